#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <functional>

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

TEST_F(FrameResourcesTest, TheBarsShowTheirResourcesAndNeedAnImageAndAStringForEachItem) {
    EXPECT_EQ(Make(IDR_NARROW), nullptr) << "a toolbar image short";
    ASSERT_NE(Make(IDR_TEST), nullptr);
    auto* toolBar = Window()->findChild<QToolBar*>();
    EXPECT_EQ(Window()->toolBarArea(toolBar), Qt::TopToolBarArea);
    EXPECT_EQ(toolBar->widgetForAction(toolBar->actions()[0])->toolTip(), "Handled");
    EXPECT_EQ(toolBar->widgetForAction(toolBar->actions()[2])->toolTip(), "");

    const UINT missing[] = {ID_SEPARATOR, ID_NO_STRING};
    EXPECT_FALSE(m_pFrame->m_wndStatusBar.SetIndicators(missing, 2));
    EXPECT_EQ(m_pFrame->m_wndStatusBar.GetCount(), 2);
    EXPECT_EQ(m_pFrame->m_wndStatusBar.GetPaneText(1), CString("CAP"));
    // The message pane shows prompts up to their newline.
    EXPECT_EQ(MessagePane(), "Ready");
    const std::pair<UINT, const char*> prompts[] = {
        {ID_HANDLED, "Does it"},
        {ID_UNHANDLED, "Nobody does it"},
        {ID_NO_STRING, ""},
        {AFX_IDS_IDLEMESSAGE, "Ready"},
    };
    for (const auto& [nID, prompt] : prompts) {
        m_pFrame->SetMessageText(nID);
        EXPECT_EQ(MessagePane(), prompt) << nID;
    }
}

TEST_F(FrameResourcesTest, AcceleratorsFireOnlyWhileTheirCommandIsEnabled) {
    ASSERT_NE(Make(), nullptr);
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

// Enabled: the handled command while its update allows it. Greyed: the unhandled one, and the
// item greyed in the table.
TEST_F(FrameResourcesTest, MenuItemsAndToolbarButtonsAreEnabledOnlyWhereACommandIsHandled) {
    ASSERT_NE(Make(), nullptr);
    QMenu* popup = Window()->menuBar()->actions().value(0)->menu();
    ASSERT_NE(popup, nullptr);
    const QList<QAction*> items = popup->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_TRUE(items[1]->isSeparator());
    auto* toolBar = Window()->findChild<QToolBar*>();
    QWidget* handled = toolBar->widgetForAction(toolBar->actions()[0]);
    QWidget* unhandled = toolBar->widgetForAction(toolBar->actions()[2]);
    for (bool disabled : {false, true, false}) {
        m_pFrame->m_bDisableHandled = disabled;
        popup->popup(QPoint(0, 0));  // items follow the routing when opened
        EXPECT_EQ(items[0]->isEnabled(), !disabled);
        EXPECT_FALSE(items[2]->isEnabled());
        EXPECT_FALSE(items[3]->isEnabled());
        popup->hide();
        QTest::qWait(300);  // buttons follow it on idle
        EXPECT_EQ(handled->isEnabled(), !disabled);
        EXPECT_FALSE(unhandled->isEnabled());
    }
    qobject_cast<QToolButton*>(handled)->click();
    popup->popup(QPoint(0, 0));
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(items[0]).center());
    EXPECT_EQ(m_pFrame->m_nHandled, 2);
}

TEST_F(FrameResourcesTest, TheBarsAreUpdatedAfterEventsAndNotWhileNothingHappens) {
    ASSERT_NE(Make(), nullptr);
    QTest::qWait(50);
    EXPECT_GT(m_pFrame->m_nUpdates, 0) << "one update follows the start";
    int settled = m_pFrame->m_nUpdates;
    QTest::qWait(400);
    EXPECT_EQ(m_pFrame->m_nUpdates, settled) << "no event, no update";
    const std::function<void()> events[] = {
        [&] { QTest::keyClick(Window(), Qt::Key_A); },
        [&] { m_pFrame->SetTimer(7, 10); },
    };
    for (const auto& event : events) {
        event();
        QTest::qWait(50);
        EXPECT_GT(m_pFrame->m_nUpdates, settled) << "input, then a timer message";
        settled = m_pFrame->m_nUpdates;
    }
    m_pFrame->KillTimer(7);
}

}  // namespace
