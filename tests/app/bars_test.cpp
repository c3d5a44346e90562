#include <QEnterEvent>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <vector>

#include "resource.h"
#include "shell_test.h"
#include "standard_ids.h"
#include "view.h"

namespace {

struct Button {
    UINT nID;
    const char* tooltip;
    const char* prompt;
};

// In toolbar order; ID_SEPARATOR marks a gap.
const std::vector<Button> kButtons = {
    {ID_FILE_NEW, "新建", "建立新文档"},
    {ID_FILE_OPEN, "打开", "打开一个现有文档"},
    {ID_FILE_SAVE, "保存", "保存活动文档"},
    {ID_SEPARATOR, nullptr, nullptr},
    {ID_EDIT_CUT, "剪切", "剪切被选对象并将其置于剪贴板上"},
    {ID_EDIT_COPY, "复制", "复制被选对象并将其置于剪贴板上"},
    {ID_EDIT_PASTE, "粘贴", "插入剪贴板内容"},
    {ID_SEPARATOR, nullptr, nullptr},
    {ID_FILE_PRINT, "打印", "打印活动文档"},
    {ID_SEPARATOR, nullptr, nullptr},
    {ID_APP_ABOUT, "关于", "显示程序信息，版本号和版权"},
    {ID_SEPARATOR, nullptr, nullptr},
    {ID_GET_ALL_IP, "", "ghjgfhjgfhj"},
    {ID_SEPARATOR, nullptr, nullptr},
    {ID_GET_NETINFO, "", ""},
    {ID_SEPARATOR, nullptr, nullptr},
    {ID_TEST_CREGKEY, "", ""},
};

TEST_F(ShellTest, ToolbarHasItsSeventeenEntriesWithTooltipsAndDistinctImages) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Window()->toolBarArea(ToolBar()), Qt::TopToolBarArea);
    EXPECT_TRUE(ToolBar()->isMovable());
    EXPECT_EQ(ToolBar()->allowedAreas(), Qt::AllToolBarAreas);
    const QList<QAction*> actions = ToolBar()->actions();
    ASSERT_EQ(actions.size(), 17);
    std::vector<QImage> images;
    for (size_t i = 0; i < kButtons.size(); ++i) {
        SCOPED_TRACE(i);
        if (kButtons[i].nID == ID_SEPARATOR) {
            EXPECT_TRUE(actions[i]->isSeparator());
            continue;
        }
        EXPECT_EQ(actions[i]->data().toUInt(), kButtons[i].nID);
        auto* button = qobject_cast<QToolButton*>(ToolBar()->widgetForAction(actions[i]));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(kButtons[i].tooltip));
        EXPECT_EQ(button->iconSize(), QSize(16, 15));
        const QImage image = actions[i]->icon().pixmap(16, 15).toImage();
        for (const QImage& other : images) {
            EXPECT_NE(image, other);
        }
        images.push_back(image);
    }
}

TEST_F(ShellTest, ButtonsWithoutAHandlerAreDisabledOnIdle) {
    ASSERT_TRUE(Start());
    LetIdleRun();
    for (QAction* action : ToolBar()->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        const UINT nID = action->data().toUInt();
        const bool edit = nID == ID_EDIT_CUT || nID == ID_EDIT_COPY || nID == ID_EDIT_PASTE;
        EXPECT_EQ(action->isEnabled(), !edit && Handled(nID)) << nID;
        EXPECT_EQ(ToolBar()->widgetForAction(action)->isEnabled(), action->isEnabled()) << nID;
    }
}

TEST_F(ShellTest, RestingOnAButtonShowsItsPromptAndLeavingShowsReady) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Pane(0), QStringLiteral("就绪"));
    const QList<QAction*> actions = ToolBar()->actions();
    for (size_t i = 0; i < kButtons.size(); ++i) {
        if (kButtons[i].nID == ID_SEPARATOR) {
            continue;
        }
        SCOPED_TRACE(kButtons[i].prompt);
        QWidget* button = ToolBar()->widgetForAction(actions[i]);
        QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), button->mapToGlobal(QPointF(4, 4)));
        QApplication::sendEvent(button, &enter);
        EXPECT_EQ(Pane(0), QString::fromUtf8(kButtons[i].prompt));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        EXPECT_EQ(Pane(0), QStringLiteral("就绪"));
    }
}

TEST_F(ShellTest, StatusBarHasTheMessagePaneAndThreeKeyPanes) {
    ASSERT_TRUE(Start());
    LetIdleRun();
    const QString texts[] = {"就绪", "大写", "数字", "滚动"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Pane(i), texts[i]);
    }
    // Left to right: the message pane stretches, then the key panes in order.
    auto pane = [this](int i) {
        return StatusBar()->findChild<QLabel*>(QStringLiteral("pane%1").arg(i));
    };
    Window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    EXPECT_LT(pane(0)->x(), pane(1)->x());
    EXPECT_LT(pane(1)->x(), pane(2)->x());
    EXPECT_LT(pane(2)->x(), pane(3)->x());
    EXPECT_GT(pane(0)->width(), pane(1)->width());
    // No display server here says a lock is on: the key panes stay greyed.
    for (int i = 1; i < 4; ++i) {
        EXPECT_FALSE(pane(i)->isEnabled());
    }
}

TEST_F(ShellTest, FrameOpensAt400By300WithTheViewInside) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window()));
    // The offscreen platform adds no decorations: outer and inner sizes agree.
    EXPECT_EQ(Window()->frameGeometry().size(), QSize(400, 300));
    EXPECT_EQ(Window()->centralWidget(), Frame()->GetActiveView()->GetSafeHwnd());
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("无标题 - Vandrel"));
    EXPECT_FALSE(Window()->windowIcon().isNull());
}

}  // namespace
