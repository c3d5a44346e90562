// The main window as the program's resources make it, and what a user finds enabled in it.
#include <regex>
#include <set>

#include "resource.h"
#include "shell_test.h"
#include "standard_ids.h"
#include "view.h"

namespace {

TEST_F(ShellTest,
       TheWindowOpensWithItsBarsItsCommandsEnabledOrGreyedTheHostInfoBoxesAndExitCloses) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    // The offscreen platform adds no decorations: outer and inner sizes agree.
    EXPECT_EQ(Window()->frameGeometry().size(), QSize(400, 300));
    EXPECT_EQ(Window()->centralWidget(),
              dynamic_cast<CFrameWnd*>(theApp.m_pMainWnd)->GetActiveView()->GetSafeHwnd());
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("无标题 - Vandrel"));
    EXPECT_FALSE(Window()->windowIcon().isNull());
    // The message pane, widest, then the key panes, greyed: no display server says a lock is on.
    // The bars are updated when idle.
    QTest::qWait(250);
    const QString texts[] = {"就绪", "-大写", "-数字", "-滚动"};  // "-": greyed
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(Pane(i), nullptr);
        EXPECT_EQ((Pane(i)->isEnabled() ? "" : "-") + Pane(i)->text(), texts[i]);
        EXPECT_TRUE(i == 0 ||
                    (Pane(i)->x() > Pane(i - 1)->x() && Pane(i)->width() < Pane(0)->width()))
            << i;
    }
    // What a user finds in the menus once opened and on the toolbar once idle: the framework's
    // commands and the program's enabled; Edit and "Set DestIP", which have no handler, and the
    // recent-file item, with no file yet, greyed.
    const std::set<UINT> enabled = {ID_FILE_NEW,         ID_FILE_OPEN,        ID_FILE_SAVE,
                                    ID_FILE_SAVE_AS,     ID_FILE_PRINT,       ID_FILE_PRINT_PREVIEW,
                                    ID_FILE_PRINT_SETUP, ID_APP_EXIT,         ID_VIEW_TOOLBAR,
                                    ID_VIEW_STATUS_BAR,  ID_APP_ABOUT,        ID_GET_ALL_IP,
                                    ID_GET_NETINFO,      ID_UNICAST_RECEIVED, ID_MULTICAST_RECEIVED,
                                    ID_TEST_LIST_VECTOR, ID_TEST_CREGKEY};
    const std::set<UINT> greyed = {ID_FILE_MRU_FILE1, ID_EDIT_UNDO,  ID_EDIT_CUT,
                                   ID_EDIT_COPY,      ID_EDIT_PASTE, ID_SET_DESTIP};
    std::set<UINT> items[2];  // greyed, enabled
    QStringList titles;
    for (QAction* popup : Window()->menuBar()->actions()) {
        titles << popup->text();
        OpenPopup(popup->menu());
        for (QAction* item : popup->menu()->actions()) {
            if (!item->isSeparator()) {
                items[item->isEnabled()].insert(item->data().toUInt());
            }
        }
        popup->menu()->hide();
    }
    EXPECT_EQ(titles, QStringList({"文件(&F)", "编辑(&E)", "查看(&V)", "帮助(&H)",
                                   "Local netConfig", "Receiver", "No use", "Multicast Send"}));
    EXPECT_EQ(items[1], enabled);
    EXPECT_EQ(items[0], greyed);
    // Seventeen entries, eleven of them buttons with images of their own, docked at the top.
    EXPECT_EQ(ToolBar()->actions().size(), 17);
    QList<QImage> images;
    for (QAction* button : ToolBar()->actions()) {
        if (const UINT nID = button->data().toUInt(); !button->isSeparator()) {
            images << button->icon().pixmap(16, 15).toImage();
            EXPECT_EQ(images.count(images.last()), 1) << nID;
            EXPECT_EQ(button->isEnabled(), enabled.contains(nID)) << nID;
        }
    }
    EXPECT_EQ(images.size(), 11);
    // "Local netConfig": each command ends in one message box, from the menu as from the toolbar.
    const std::tuple<UINT, const char*, std::regex> commands[] = {
        {ID_GET_ALL_IP, "ghjgfhjgfhj", std::regex("([0-9]{1,3}\\.){3}[0-9]{1,3}\n(.|\n)*")},
        // Nothing when the machine has no adapter.
        {ID_GET_NETINFO, "", std::regex("(The Ethernet Number is: [0-9a-f]{12}\n)?")},
    };
    QMenu* popup = Popup("Local netConfig");
    ModalDriver driver;
    for (const auto& [nID, prompt, box] : commands) {
        OpenPopup(popup);
        QTest::mouseMove(popup, popup->actionGeometry(Item(popup, nID)).center());
        EXPECT_EQ(Pane(0)->text(), prompt);
        driver.m_messages.clear();
        ClickItem(popup, nID);
        Button(nID)->click();
        ASSERT_EQ(driver.m_messages.size(), 2u) << nID;
        EXPECT_EQ(driver.m_messages[0], driver.m_messages[1]);
        EXPECT_TRUE(std::regex_match(driver.m_messages[0], box)) << driver.m_messages[0];
    }
    // The View items hide and show their bar, the check mark following; Exit closes.
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
    ClickItem(Popup("文件(&F)"), ID_APP_EXIT);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

}  // namespace
