// The main window as the program's resources make it, and what a user finds enabled in it.
#include <QEnterEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTest>
#include <map>

#include "resource.h"
#include "shell_test.h"
#include "standard_ids.h"
#include "view.h"

namespace {

TEST_F(ShellTest, TheWindowOpensWithTheMenusToolbarAndStatusBarOfItsResources) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    // The offscreen platform adds no decorations: outer and inner sizes agree.
    EXPECT_EQ(Window()->frameGeometry().size(), QSize(400, 300));
    EXPECT_EQ(Window()->centralWidget(), Frame()->GetActiveView()->GetSafeHwnd());
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("无标题 - Vandrel"));
    EXPECT_FALSE(Window()->windowIcon().isNull());
    QStringList titles;
    for (QAction* popup : Window()->menuBar()->actions()) {
        titles << popup->text();
        EXPECT_FALSE(popup->menu()->isEmpty()) << popup->text().toStdString();
    }
    EXPECT_EQ(titles, QStringList({"文件(&F)", "编辑(&E)", "查看(&V)", "帮助(&H)",
                                   "Local netConfig", "Receiver", "No use", "Multicast Send"}));

    // Seventeen entries, eleven of them buttons with images of their own, docked at the top.
    EXPECT_EQ(Window()->toolBarArea(ToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(ToolBar()->actions().size(), 17);
    QList<QImage> images;
    for (QAction* button : ToolBar()->actions()) {
        if (!button->isSeparator()) {
            const QImage image = button->icon().pixmap(16, 15).toImage();
            EXPECT_FALSE(images.contains(image)) << button->data().toUInt();
            images << image;
        }
    }
    EXPECT_EQ(images.size(), 11);
    QWidget* about = ToolBar()->widgetForAction(ToolBar()->actions().at(10));
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), about->mapToGlobal(QPointF(4, 4)));
    QApplication::sendEvent(about, &enter);
    EXPECT_EQ(Pane(0), QStringLiteral("显示程序信息，版本号和版权")) << "the About button's prompt";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(about, &leave);

    // The message pane, widest, then the key panes, greyed: no display server says a lock is on.
    LetIdleRun();
    const QString texts[] = {"就绪", "大写", "数字", "滚动"};
    QLabel* before = nullptr;
    for (int i = 0; i < 4; ++i) {
        auto* pane = StatusBar()->findChild<QLabel*>(QStringLiteral("pane%1").arg(i));
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(pane->text(), texts[i]);
        EXPECT_EQ(pane->isEnabled(), i == 0) << i;
        if (before != nullptr) {
            EXPECT_GT(pane->x(), before->x()) << i;
            EXPECT_LT(pane->width(), StatusBar()->findChild<QLabel*>("pane0")->width()) << i;
        }
        before = pane;
    }
}

// What a user finds in the menus once opened and on the toolbar once idle: the framework's
// commands and the program's enabled; Edit and "Set DestIP", which have no handler, and the
// recent-file item, with no file yet, greyed.
TEST_F(ShellTest, MenusAndToolbarEnableTheCommandsAUserCanUseAndGreyTheRest) {
    ASSERT_TRUE(Start());
    LetIdleRun();
    const std::map<UINT, bool> expected = {
        {ID_FILE_NEW, true},         {ID_FILE_OPEN, true},          {ID_FILE_SAVE, true},
        {ID_FILE_SAVE_AS, true},     {ID_FILE_PRINT, true},         {ID_FILE_PRINT_PREVIEW, true},
        {ID_FILE_PRINT_SETUP, true}, {ID_FILE_MRU_FILE1, false},    {ID_APP_EXIT, true},
        {ID_EDIT_UNDO, false},       {ID_EDIT_CUT, false},          {ID_EDIT_COPY, false},
        {ID_EDIT_PASTE, false},      {ID_VIEW_TOOLBAR, true},       {ID_VIEW_STATUS_BAR, true},
        {ID_APP_ABOUT, true},        {ID_GET_ALL_IP, true},         {ID_GET_NETINFO, true},
        {ID_UNICAST_RECEIVED, true}, {ID_MULTICAST_RECEIVED, true}, {ID_TEST_LIST_VECTOR, true},
        {ID_TEST_CREGKEY, true},     {ID_SET_DESTIP, false},
    };
    std::map<UINT, bool> items;
    for (QAction* popup : Window()->menuBar()->actions()) {
        OpenPopup(popup->menu());
        for (QAction* item : popup->menu()->actions()) {
            if (!item->isSeparator()) {
                items[item->data().toUInt()] = item->isEnabled();
            }
        }
        popup->menu()->hide();
    }
    EXPECT_EQ(items, expected);
    for (QAction* button : ToolBar()->actions()) {
        const UINT nID = button->data().toUInt();
        if (!button->isSeparator()) {
            EXPECT_EQ(button->isEnabled(), expected.at(nID)) << nID;
            EXPECT_EQ(ToolBar()->widgetForAction(button)->isEnabled(), expected.at(nID)) << nID;
        }
    }
}

TEST_F(ShellTest, ViewItemsToggleTheirBarWithTheCheckMarkFollowingAndExitCloses) {
    ASSERT_TRUE(Start());
    QMenu* view = Popup("查看(&V)");
    for (const auto& [nID, bar] : {std::pair<UINT, QWidget*>{ID_VIEW_TOOLBAR, ToolBar()},
                                   {ID_VIEW_STATUS_BAR, StatusBar()}}) {
        SCOPED_TRACE(nID);
        for (bool shownAfter : {false, true}) {
            OpenPopup(view);
            EXPECT_EQ(Item(view, nID)->isChecked(), !shownAfter);
            ClickItem(view, nID);
            EXPECT_EQ(!bar->isHidden(), shownAfter);
        }
        view->hide();
    }
    // Shown again where it was docked.
    EXPECT_EQ(Window()->toolBarArea(ToolBar()), Qt::TopToolBarArea);
    QMenu* file = Popup("文件(&F)");
    OpenPopup(file);
    ClickItem(file, ID_APP_EXIT);
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

}  // namespace
