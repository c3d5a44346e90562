// The status bar of the program's own frame while captures run, as a screen reader reads it.
#include <QAccessible>

#include "capture_status_pane.h"
#include "shell_test.h"
#include "standard_ids.h"

namespace {

QString Heard(QLabel* label, QAccessible::Text text = QAccessible::Name) {
    return QAccessible::queryAccessibleInterface(label)->text(text);
}

TEST_F(ShellTest, TheCaptureStatusTakesTheIdleTextsPlaceLeavesAPromptAloneAndGoesWithTheCapture) {
    ASSERT_TRUE(Start());
    QTest::qWait(250);
    auto* pFrame = dynamic_cast<CFrameWnd*>(theApp.m_pMainWnd);
    CaptureStatusFigures unicast;
    unicast.strWhat = ":1002";
    unicast.started = CCaptureStatusText::Clock::now();
    CaptureStatusFigures multicast = unicast;
    multicast.strWhat = "228.7.7.7:8001";
    CCaptureStatusPane pane;
    pane.Update(pFrame, &unicast, nullptr);
    EXPECT_TRUE(Heard(Pane(0)).startsWith(":1002 — lost here 0, before this host not known yet, "))
        << Heard(Pane(0)).toStdString();
    EXPECT_TRUE(Heard(Pane(0), QAccessible::Description).contains("Lost here: 0 datagrams"));
    // A menu's prompt is the user's to read first; the status comes back once it has gone.
    pFrame->SetMessageText("Receive a multicast stream");
    pane.Update(pFrame, &unicast, &multicast);
    EXPECT_EQ(Heard(Pane(0)), "Receive a multicast stream");
    pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
    pane.Update(pFrame, &unicast, &multicast);
    EXPECT_TRUE(Heard(Pane(0)).contains("; 228.7.7.7:8001 — lost here 0, "))
        << Heard(Pane(0)).toStdString();
    pane.Update(pFrame, nullptr, nullptr);
    EXPECT_EQ(Heard(Pane(0)), "就绪");
    EXPECT_TRUE(Pane(0)->toolTip().isEmpty());
}

}  // namespace
