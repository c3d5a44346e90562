#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "cmd_ui.h"
#include "frame_wnd.h"
#include "status_bar.h"
#include "test_resources.h"
#include "tool_bar.h"
#include "wait.h"

namespace {

class TestFrame : public CFrameWnd {
public:
    int m_nHandled = 0;
    int m_nUpdates = 0;  // how often the routing was asked about ID_HANDLED
    bool m_bDisableHandled = false;
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct) {
        static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS};
        const bool made =
            CFrameWnd::OnCreate(lpCreateStruct) != -1 &&
            m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOOLTIPS) &&
            m_wndToolBar.LoadToolBar(IDR_TEST) && m_wndStatusBar.Create(this) &&
            m_wndStatusBar.SetIndicators(indicators, 2);
        return made ? 0 : -1;
    }
    void OnHandled() { ++m_nHandled; }
    void OnUpdateHandled(CCmdUI* pCmdUI) {
        ++m_nUpdates;
        pCmdUI->Enable(!m_bDisableHandled);
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(ID_HANDLED, TestFrame::OnHandled)
ON_UPDATE_COMMAND_UI(ID_HANDLED, TestFrame::OnUpdateHandled)
END_MESSAGE_MAP()

class FrameResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString path = m_dir.filePath("strip.bmp");  // two 16x15 images side by side
        ASSERT_TRUE(QImage(32, 15, QImage::Format_RGB32).save(path));
        SetTestBitmapPath(path.toStdString());
        ASSERT_TRUE(m_pFrame->LoadFrame(IDR_TEST));
    }
    void TearDown() override {
        m_pFrame->DestroyWindow();  // deletes the frame from the event loop
        QTest::qWait(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QMainWindow* Window() const { return static_cast<QMainWindow*>(m_pFrame->GetSafeHwnd()); }
    // The toolbar's button for the first (ID_HANDLED) or third (ID_UNHANDLED) entry.
    QWidget* Button(int index) const {
        auto* toolBar = Window()->findChild<QToolBar*>();
        return toolBar->widgetForAction(toolBar->actions()[index]);
    }

    QTemporaryDir m_dir;
    TestFrame* m_pFrame = new TestFrame;
};

// A command's string: the prompt up to its newline, the button's tooltip after it.
TEST_F(FrameResourcesTest, TheMessagePaneShowsAPromptAndAButtonTheTooltipOfItsString) {
    const std::pair<UINT, const char*> prompts[] = {{ID_HANDLED, "Does it"}, {ID_NO_STRING, ""}};
    for (const auto& [nID, prompt] : prompts) {
        m_pFrame->SetMessageText(nID);
        EXPECT_EQ(Window()->statusBar()->findChild<QLabel*>("pane0")->text(), prompt) << nID;
    }
    EXPECT_EQ(Button(0)->toolTip() + "|" + Button(2)->toolTip(), "Handled|");
}

TEST_F(FrameResourcesTest, AcceleratorsFireOnlyWhileTheirCommandIsEnabled) {
    Window()->show();
    Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, bool, int> cases[] = {
        // key, modifiers, ID_HANDLED disabled, how often it has run
        {Qt::Key_A, Qt::ControlModifier, false, 1}, {Qt::Key_F6, Qt::ShiftModifier, false, 2},
        {Qt::Key_A, Qt::ControlModifier, true, 2},  {Qt::Key_B, Qt::ControlModifier, false, 2},
        {Qt::Key_A, Qt::NoModifier, false, 2},
    };
    for (const auto& [key, modifiers, disabled, handled] : cases) {
        m_pFrame->m_bDisableHandled = disabled;
        QTest::keyClick(Window(), key, modifiers);
        EXPECT_EQ(m_pFrame->m_nHandled, handled) << key;
    }
}

// Idle with nothing happening asks nothing: a window left alone costs no updates.
TEST_F(FrameResourcesTest, TheCommandsStatesAreAskedAfterTheStartAndAfterEventsOnly) {
    ASSERT_TRUE(WaitUntil([&] { return m_pFrame->m_nUpdates > 0; })) << "after the start";
    const int settled = m_pFrame->m_nUpdates;
    QTest::qWait(400);  // the stimulus: time passing without an event
    EXPECT_EQ(m_pFrame->m_nUpdates, settled) << "no event, no update";
    m_pFrame->SetTimer(7, 10);  // a timer message with any id is an event
    EXPECT_TRUE(WaitUntil([&] { return m_pFrame->m_nUpdates > settled; }));
    m_pFrame->KillTimer(7);
}

}  // namespace
