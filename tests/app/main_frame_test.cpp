// The main window as the program's resources make it, and what a user finds enabled in it.
#include <set>

#include "host_info.h"
#include "resource.h"
#include "shell_test.h"
#include "standard_ids.h"

namespace {

// The framework's commands and the program's; Edit and "Set DestIP", which have no handler,
// and the recent-file item, with no file yet, are greyed.
const std::set<UINT> kEnabled = {ID_FILE_NEW,         ID_FILE_OPEN,        ID_FILE_SAVE,
                                 ID_FILE_SAVE_AS,     ID_FILE_PRINT,       ID_FILE_PRINT_PREVIEW,
                                 ID_FILE_PRINT_SETUP, ID_APP_EXIT,         ID_VIEW_TOOLBAR,
                                 ID_VIEW_STATUS_BAR,  ID_APP_ABOUT,        ID_GET_ALL_IP,
                                 ID_GET_NETINFO,      ID_UNICAST_RECEIVED, ID_MULTICAST_RECEIVED,
                                 ID_TEST_LIST_VECTOR, ID_TEST_CREGKEY};
const std::set<UINT> kGreyed = {ID_FILE_MRU_FILE1, ID_EDIT_UNDO,  ID_EDIT_CUT,
                                ID_EDIT_COPY,      ID_EDIT_PASTE, ID_SET_DESTIP};

class MainFrameTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start());
    }
};

TEST_F(MainFrameTest, TheWindowOpensAtItsSizeWithItsIcon) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    // The offscreen platform adds no decorations: outer and inner sizes agree.
    EXPECT_EQ(Window()->frameGeometry().size(), QSize(400, 300));
    EXPECT_FALSE(Window()->windowIcon().isNull());
}

TEST_F(MainFrameTest, EachMenuOpensWithTheCommandsThatHaveAHandlerEnabledAndTheRestGreyed) {
    std::set<UINT> items[2];  // greyed, enabled
    for (QAction* popup : Window()->menuBar()->actions()) {
        OpenPopup(popup->menu());
        for (QAction* item : popup->menu()->actions()) {
            if (!item->isSeparator()) {
                items[item->isEnabled()].insert(item->data().toUInt());
            }
        }
        popup->menu()->hide();
    }
    EXPECT_EQ(items[1], kEnabled);
    EXPECT_EQ(items[0], kGreyed);
}

TEST_F(MainFrameTest, TheToolbarShowsElevenButtonsWithImagesOfTheirOwnEnabledAsTheirItems) {
    EXPECT_TRUE(BarsUpdated());
    QList<QImage> images;
    for (QAction* button : ToolBar()->actions()) {
        if (const UINT nID = button->data().toUInt(); !button->isSeparator()) {
            images << button->icon().pixmap(16, 15).toImage();
            EXPECT_EQ(images.count(images.last()), 1) << nID;
            EXPECT_EQ(button->isEnabled(), kEnabled.contains(nID)) << nID;
        }
    }
    EXPECT_EQ(images.size(), 11);
}

// From the menu, then from the toolbar: one message box each, with the text the host
// information's tests check. The prompt shows while the pointer rests on the item.
TEST_F(MainFrameTest, EachLocalNetConfigCommandShowsItsTextFromItsItemAndItsButton) {
    const std::tuple<UINT, const char*, CString (*)()> commands[] = {
        {ID_GET_ALL_IP, "ghjgfhjgfhj", GetAllIpText}, {ID_GET_NETINFO, "", GetNetinfoText}};
    QMenu* popup = Popup("Local netConfig");
    for (const auto& [nID, prompt, text] : commands) {
        OpenPopup(popup);
        QTest::mouseMove(popup, popup->actionGeometry(Item(popup, nID)).center());
        EXPECT_EQ(Pane(0)->text(), prompt) << nID;
        ModalDriver driver;
        ClickItem(popup, nID);
        Button(nID)->click();
        EXPECT_EQ(driver.m_messages, std::vector<std::string>(2, text().str())) << nID;
    }
}

TEST_F(MainFrameTest, TheViewItemsHideAndShowTheirBarTheCheckMarkFollowing) {
    QMenu* view = Popup("查看(&V)");
    for (const auto& [nID, bar] : {std::pair<UINT, QWidget*>{ID_VIEW_TOOLBAR, ToolBar()},
                                   {ID_VIEW_STATUS_BAR, Window()->statusBar()}}) {
        for (bool shownAfter : {false, true}) {
            OpenPopup(view);
            EXPECT_EQ(Item(view, nID)->isChecked(), !shownAfter) << nID;
            ClickItem(view, nID);
            EXPECT_EQ(!bar->isHidden(), shownAfter) << nID;
        }
        view->hide();
    }
    EXPECT_EQ(Window()->toolBarArea(ToolBar()), Qt::TopToolBarArea) << "shown where it was docked";
}

TEST_F(MainFrameTest, ExitClosesTheWindow) {
    ClickItem(Popup("文件(&F)"), ID_APP_EXIT);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

}  // namespace
