#include <QMenuBar>
#include <QTest>
#include <vector>

#include "resource.h"
#include "shell_test.h"
#include "standard_ids.h"

namespace {

struct MenuItem {
    const char* text;  // null for a separator
    UINT nID;
};

struct MenuPopup {
    const char* title;
    std::vector<MenuItem> items;
};

const MenuItem kSeparator{nullptr, 0};

const std::vector<MenuPopup> kMainMenu = {
    {"文件(&F)",
     {{"新建(&N)\tCtrl+N", ID_FILE_NEW},
      {"打开(&O)...\tCtrl+O", ID_FILE_OPEN},
      {"保存(&S)\tCtrl+S", ID_FILE_SAVE},
      {"另存为(&A)...", ID_FILE_SAVE_AS},
      kSeparator,
      {"打印(&P)...\tCtrl+P", ID_FILE_PRINT},
      {"打印预览(&V)", ID_FILE_PRINT_PREVIEW},
      {"打印设置(&R)...", ID_FILE_PRINT_SETUP},
      kSeparator,
      {"最近文件", ID_FILE_MRU_FILE1},
      kSeparator,
      {"退出(&X)", ID_APP_EXIT}}},
    {"编辑(&E)",
     {{"撤消(&U)\tCtrl+Z", ID_EDIT_UNDO},
      kSeparator,
      {"剪切(&T)\tCtrl+X", ID_EDIT_CUT},
      {"复制(&C)\tCtrl+C", ID_EDIT_COPY},
      {"粘贴(&P)\tCtrl+V", ID_EDIT_PASTE}}},
    {"查看(&V)", {{"工具栏(&T)", ID_VIEW_TOOLBAR}, {"状态栏(&S)", ID_VIEW_STATUS_BAR}}},
    {"帮助(&H)", {{"关于 Vandrel(&A)...", ID_APP_ABOUT}}},
    {"Local netConfig", {{"Get all IP address", ID_GET_ALL_IP}, {"get netinfo", ID_GET_NETINFO}}},
    {"Receiver",
     {{"UniCast Received", ID_UNICAST_RECEIVED}, {"Multicast Received", ID_MULTICAST_RECEIVED}}},
    {"No use", {{"Test list or vector", ID_TEST_LIST_VECTOR}, {"Test CregKey", ID_TEST_CREGKEY}}},
    {"Multicast Send", {{"Set DestIP", ID_SET_DESTIP}}},
};

TEST_F(ShellTest, MenuBarHasTheEightPopUpsWithTheirItemsInOrder) {
    ASSERT_TRUE(Start());
    const QList<QAction*> popups = Window()->menuBar()->actions();
    ASSERT_EQ(popups.size(), static_cast<qsizetype>(kMainMenu.size()));
    for (size_t p = 0; p < kMainMenu.size(); ++p) {
        SCOPED_TRACE(kMainMenu[p].title);
        EXPECT_EQ(popups[p]->text(), QString::fromUtf8(kMainMenu[p].title));
        const QList<QAction*> items = popups[p]->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(kMainMenu[p].items.size()));
        for (qsizetype i = 0; i < items.size(); ++i) {
            const MenuItem& expected = kMainMenu[p].items[static_cast<size_t>(i)];
            if (expected.text == nullptr) {
                EXPECT_TRUE(items[i]->isSeparator()) << "item " << i;
                continue;
            }
            EXPECT_EQ(items[i]->text(), QString::fromUtf8(expected.text));
            EXPECT_EQ(items[i]->data().toUInt(), expected.nID) << expected.text;
            // The accelerator table makes the keys work, not the items.
            EXPECT_TRUE(items[i]->shortcut().isEmpty()) << expected.text;
        }
    }
}

// What each item shows once its pop-up opens: the framework's commands work, the Edit items
// and "Set DestIP" have no handler, the recent-file item has no file yet.
TEST_F(ShellTest, OpeningAPopUpGreysEveryItemWithoutAHandler) {
    ASSERT_TRUE(Start());
    const std::vector<std::pair<UINT, bool>> fixed = {
        {ID_FILE_NEW, true},         {ID_FILE_OPEN, true},       {ID_FILE_SAVE, true},
        {ID_FILE_SAVE_AS, true},     {ID_FILE_PRINT, true},      {ID_FILE_PRINT_PREVIEW, true},
        {ID_FILE_PRINT_SETUP, true}, {ID_FILE_MRU_FILE1, false}, {ID_APP_EXIT, true},
        {ID_EDIT_UNDO, false},       {ID_EDIT_CUT, false},       {ID_EDIT_COPY, false},
        {ID_EDIT_PASTE, false},      {ID_VIEW_TOOLBAR, true},    {ID_VIEW_STATUS_BAR, true},
        {ID_APP_ABOUT, true},        {ID_SET_DESTIP, false},
    };
    // Commands whose handlers other parts of the program bring: enabled exactly then.
    const UINT later[] = {ID_GET_ALL_IP,         ID_GET_NETINFO,      ID_UNICAST_RECEIVED,
                          ID_MULTICAST_RECEIVED, ID_TEST_LIST_VECTOR, ID_TEST_CREGKEY};
    for (QAction* popupAction : Window()->menuBar()->actions()) {
        QMenu* popup = popupAction->menu();
        OpenPopup(popup);
        for (const auto& [nID, enabled] : fixed) {
            if (QAction* item = Item(popup, nID)) {
                EXPECT_EQ(item->isEnabled(), enabled) << item->text().toStdString();
            }
        }
        for (UINT nID : later) {
            if (QAction* item = Item(popup, nID)) {
                EXPECT_EQ(item->isEnabled(), Handled(nID)) << item->text().toStdString();
            }
        }
        popup->hide();
    }
}

TEST_F(ShellTest, ViewItemsToggleTheirBarWithTheCheckMarkFollowingAndExitCloses) {
    ASSERT_TRUE(Start());
    QMenu* view = Popup("查看(&V)");
    const struct {
        UINT nID;
        QWidget* bar;
    } cases[] = {{ID_VIEW_TOOLBAR, ToolBar()}, {ID_VIEW_STATUS_BAR, StatusBar()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nID);
        const Qt::ToolBarArea area = Window()->toolBarArea(ToolBar());
        for (bool shownAfter : {false, true}) {
            OpenPopup(view);
            EXPECT_TRUE(Item(view, c.nID)->isChecked() == !shownAfter);
            ClickItem(view, c.nID);
            EXPECT_EQ(!c.bar->isHidden(), shownAfter);
            OpenPopup(view);
            EXPECT_EQ(Item(view, c.nID)->isChecked(), shownAfter);
            view->hide();
        }
        // Shown again where it was docked.
        EXPECT_EQ(Window()->toolBarArea(ToolBar()), area);
    }
    // Exit closes the main window.
    QMenu* file = Popup("文件(&F)");
    OpenPopup(file);
    ClickItem(file, ID_APP_EXIT);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST_F(ShellTest, HighlightingAnItemShowsItsPromptUntilThePopUpCloses) {
    ASSERT_TRUE(Start());
    const struct {
        const char* popup;
        UINT nID;
        const char* prompt;
    } cases[] = {
        {"文件(&F)", ID_FILE_SAVE_AS, "将活动文档以一个新文件名保存"},
        {"文件(&F)", ID_APP_EXIT, "退出应用程序；提示保存文档"},
        {"查看(&V)", ID_VIEW_STATUS_BAR, "显示或隐藏状态栏"},
        {"Local netConfig", ID_GET_ALL_IP, "ghjgfhjgfhj"},
        {"Local netConfig", ID_GET_NETINFO, ""},
        {"Receiver", ID_UNICAST_RECEIVED, ""},
        {"Multicast Send", ID_SET_DESTIP, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prompt);
        QMenu* popup = Popup(QString::fromUtf8(c.popup));
        OpenPopup(popup);
        QTest::mouseMove(popup, popup->actionGeometry(Item(popup, c.nID)).center());
        EXPECT_EQ(Pane(0), QString::fromUtf8(c.prompt));
        popup->hide();
        EXPECT_EQ(Pane(0), QStringLiteral("就绪"));
    }
}

}  // namespace
