#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "cmd_ui.h"
#include "frame_wnd.h"
#include "status_bar.h"
#include "test_resources.h"
#include "tool_bar.h"

namespace {

class TestFrame : public CFrameWnd {
public:
    explicit TestFrame(UINT nToolBarID) : m_nToolBarID(nToolBarID) {}

    int m_nHandled = 0;
    int m_nUpdates = 0;  // how often the routing was asked about ID_HANDLED
    bool m_bDisableHandled = false;
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct) {
        static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS};
        if (CFrameWnd::OnCreate(lpCreateStruct) == -1 ||
            !m_wndToolBar.CreateEx(this, TBSTYLE_FLAT,
                                   WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY) ||
            !m_wndToolBar.LoadToolBar(m_nToolBarID) || !m_wndStatusBar.Create(this) ||
            !m_wndStatusBar.SetIndicators(indicators, 2)) {
            return -1;
        }
        EnableDocking(CBRS_ALIGN_ANY);
        m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(&m_wndToolBar);
        return 0;
    }
    void OnHandled() { ++m_nHandled; }
    void OnUpdateHandled(CCmdUI* pCmdUI) {
        ++m_nUpdates;
        pCmdUI->Enable(!m_bDisableHandled);
    }

    UINT m_nToolBarID;

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
        ASSERT_TRUE(m_dir.isValid());
        // Two 16x15 images side by side; the narrow strip holds only one.
        for (auto [nID, images] : {std::pair{IDR_TEST, 2}, std::pair{IDR_NARROW, 1}}) {
            QImage strip(16 * images, 15, QImage::Format_RGB32);
            strip.fill(Qt::darkBlue);
            const QString path = m_dir.filePath(QStringLiteral("strip%1.bmp").arg(nID));
            ASSERT_TRUE(strip.save(path));
            SetTestBitmapPath(nID, path.toStdString());
        }
    }
    void TearDown() override {
        if (m_pFrame != nullptr) {
            m_pFrame->DestroyWindow();  // deletes the frame from the event loop
        }
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TestFrame* Make(UINT nToolBarID = IDR_TEST) {
        m_pFrame = new TestFrame(nToolBarID);
        if (!m_pFrame->LoadFrame(IDR_TEST)) {
            delete m_pFrame;
            m_pFrame = nullptr;
        }
        return m_pFrame;
    }
    QMainWindow* Window() const { return static_cast<QMainWindow*>(m_pFrame->GetSafeHwnd()); }
    QString MessagePane() const {
        return Window()->statusBar()->findChild<QLabel*>("pane0")->text();
    }

    QTemporaryDir m_dir;
    TestFrame* m_pFrame = nullptr;
};

TEST_F(FrameResourcesTest, ToolbarNeedsAnImageForEveryButton) {
    EXPECT_EQ(Make(IDR_NARROW), nullptr);
    ASSERT_NE(Make(IDR_TEST), nullptr);
    EXPECT_EQ(Window()->toolBarArea(Window()->findChild<QToolBar*>()), Qt::TopToolBarArea);
}

TEST_F(FrameResourcesTest, IndicatorsNeedAStringEach) {
    ASSERT_NE(Make(), nullptr);
    const UINT missing[] = {ID_SEPARATOR, ID_NO_STRING};
    EXPECT_FALSE(m_pFrame->m_wndStatusBar.SetIndicators(missing, 2));
    EXPECT_EQ(m_pFrame->m_wndStatusBar.GetCount(), 2);
    EXPECT_EQ(m_pFrame->m_wndStatusBar.GetPaneText(1), CString("CAP"));
}

TEST_F(FrameResourcesTest, MessagePaneShowsPromptsUpToTheNewline) {
    ASSERT_NE(Make(), nullptr);
    EXPECT_EQ(MessagePane(), QStringLiteral("Ready"));
    const std::pair<UINT, const char*> cases[] = {
        {ID_HANDLED, "Does it"},
        {ID_UNHANDLED, "Nobody does it"},
        {ID_NO_STRING, ""},
        {AFX_IDS_IDLEMESSAGE, "Ready"},
    };
    for (const auto& [nID, prompt] : cases) {
        m_pFrame->SetMessageText(nID);
        EXPECT_EQ(MessagePane(), QString::fromUtf8(prompt)) << nID;
    }
}

TEST_F(FrameResourcesTest, AcceleratorsFireOnlyWhileTheirCommandIsEnabled) {
    ASSERT_NE(Make(), nullptr);
    Window()->show();
    Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool disabled;
        int handled;
    } cases[] = {
        {Qt::Key_A, Qt::ControlModifier, false, 1}, {Qt::Key_F6, Qt::ShiftModifier, false, 2},
        {Qt::Key_A, Qt::ControlModifier, true, 2},  {Qt::Key_B, Qt::ControlModifier, false, 2},
        {Qt::Key_A, Qt::NoModifier, false, 2},
    };
    for (const auto& c : cases) {
        m_pFrame->m_bDisableHandled = c.disabled;
        QTest::keyClick(Window(), c.key, c.modifiers);
        EXPECT_EQ(m_pFrame->m_nHandled, c.handled) << c.key;
    }
}

TEST_F(FrameResourcesTest, PopUpItemsFollowTheRoutingWhenOpened) {
    ASSERT_NE(Make(), nullptr);
    QMenu* popup = Window()->menuBar()->actions().value(0)->menu();
    ASSERT_NE(popup, nullptr);
    const QList<QAction*> items = popup->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_FALSE(items[3]->isEnabled());  // greyed in the table
    for (bool disabled : {false, true}) {
        m_pFrame->m_bDisableHandled = disabled;
        popup->popup(QPoint(0, 0));
        EXPECT_EQ(items[0]->isEnabled(), !disabled);
        EXPECT_FALSE(items[2]->isEnabled());
        EXPECT_FALSE(items[3]->isEnabled());
        popup->hide();
    }
    m_pFrame->m_bDisableHandled = false;
    popup->popup(QPoint(0, 0));
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(items[0]).center());
    EXPECT_EQ(m_pFrame->m_nHandled, 1);
}

TEST_F(FrameResourcesTest, ToolbarButtonsSendTheirCommandAndFollowTheRoutingOnIdle) {
    ASSERT_NE(Make(), nullptr);
    auto* toolBar = Window()->findChild<QToolBar*>();
    const QList<QAction*> actions = toolBar->actions();
    ASSERT_EQ(actions.size(), 3);
    auto* handled = qobject_cast<QToolButton*>(toolBar->widgetForAction(actions[0]));
    auto* unhandled = qobject_cast<QToolButton*>(toolBar->widgetForAction(actions[2]));
    EXPECT_EQ(handled->toolTip(), QStringLiteral("Handled"));
    EXPECT_EQ(unhandled->toolTip(), QString());
    m_pFrame->OnIdleUpdateCmdUI();
    EXPECT_TRUE(handled->isEnabled());
    EXPECT_FALSE(unhandled->isEnabled());
    handled->click();
    EXPECT_EQ(m_pFrame->m_nHandled, 1);
    m_pFrame->m_bDisableHandled = true;
    QTest::qWait(300);  // the idle update runs on its own
    EXPECT_FALSE(handled->isEnabled());
}

TEST_F(FrameResourcesTest, TheBarsAreUpdatedAfterEventsAndNotWhileNothingHappens) {
    ASSERT_NE(Make(), nullptr);
    QTest::qWait(50);
    EXPECT_GT(m_pFrame->m_nUpdates, 0) << "one update follows the start";
    const int settled = m_pFrame->m_nUpdates;
    QTest::qWait(400);
    EXPECT_EQ(m_pFrame->m_nUpdates, settled) << "no event, no update";

    QTest::keyClick(Window(), Qt::Key_A);
    QTest::qWait(50);
    EXPECT_GT(m_pFrame->m_nUpdates, settled) << "input";
    const int afterKey = m_pFrame->m_nUpdates;
    m_pFrame->SetTimer(7, 10);
    QTest::qWait(50);
    m_pFrame->KillTimer(7);
    EXPECT_GT(m_pFrame->m_nUpdates, afterKey) << "a timer message";
}

}  // namespace
