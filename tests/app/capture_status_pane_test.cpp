// The status bar of the program's own frame while captures run, as a screen reader reads it.
#include <QAccessible>

#include "capture_status_pane.h"
#include "shell_test.h"
#include "standard_ids.h"

namespace {

class CaptureStatusPaneTest : public ShellTest {
protected:
    // A unicast capture on :1002 and a multicast one on 228.7.7.7:8001, after the bars' first
    // update, which must not take the pane back.
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_TRUE(Start() && BarsUpdated());
        m_pFrame = dynamic_cast<CFrameWnd*>(theApp.m_pMainWnd);
        m_unicast.strWhat = ":1002";
        m_unicast.started = CCaptureStatusText::Clock::now();
        m_multicast = m_unicast;
        m_multicast.strWhat = "228.7.7.7:8001";
    }
    QString Heard(QAccessible::Text text = QAccessible::Name) const {
        return QAccessible::queryAccessibleInterface(Pane(0))->text(text);
    }

    CFrameWnd* m_pFrame = nullptr;
    CaptureStatusFigures m_unicast;
    CaptureStatusFigures m_multicast;
    CCaptureStatusPane m_pane;
};

TEST_F(CaptureStatusPaneTest, ARunningCaptureTakesTheIdleTextsPlaceUntilNoneRuns) {
    m_pane.Update(m_pFrame, &m_unicast, nullptr);
    EXPECT_TRUE(Heard().startsWith(":1002 — lost here 0, before this host not known yet, "))
        << Heard().toStdString();
    EXPECT_TRUE(Heard(QAccessible::Description).contains("Lost here: 0 datagrams"));
    m_pane.Update(m_pFrame, &m_unicast, &m_multicast);
    EXPECT_TRUE(Heard().contains("; 228.7.7.7:8001 — lost here 0, ")) << Heard().toStdString();
    m_pane.Update(m_pFrame, nullptr, nullptr);
    EXPECT_EQ(Heard(), "就绪");
    EXPECT_TRUE(Pane(0)->toolTip().isEmpty());
}

// A menu's prompt is the user's to read first.
TEST_F(CaptureStatusPaneTest, APromptIsLeftAloneAndTheStatusComesBackOnceItHasGone) {
    m_pFrame->SetMessageText("Receive a multicast stream");
    m_pane.Update(m_pFrame, &m_unicast, &m_multicast);
    EXPECT_EQ(Heard(), "Receive a multicast stream");
    m_pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
    m_pane.Update(m_pFrame, &m_unicast, &m_multicast);
    EXPECT_TRUE(Heard().startsWith(":1002 — ")) << Heard().toStdString();
}

}  // namespace
