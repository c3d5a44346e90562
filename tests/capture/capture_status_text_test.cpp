// The status bar's words for a running capture, tick by tick, from figures the tests make.
#include "capture_status_text.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = CCaptureStatusText::Clock;

class CaptureStatusText : public testing::Test {
protected:
    CaptureStatusText() {
        m_figures.strWhat = "228.7.7.7:8001";
        m_figures.started = m_start;
    }
    // Ticks at seconds after the start, bytes having arrived by then in as many datagrams.
    std::string Tick(int seconds, uint64_t bytes) {
        m_figures.bytesArrived = bytes;
        m_figures.datagramsArrived = bytes / 1316;
        m_text.Update(m_figures, m_start + std::chrono::seconds(seconds));
        return m_text.GetLine().str();
    }

    Clock::time_point m_start = Clock::now();
    CaptureStatusFigures m_figures;
    CCaptureStatusText m_text;
};

TEST_F(CaptureStatusText, TheLineGivesWhatRateLossesTimeAndFileSize) {
    m_figures.capture.bytesWritten = 3 * 1024 * 1024 / 2;
    m_figures.capture.bufferFull = 2;
    m_figures.capture.tooLong = 1;
    m_figures.stream.kind = StreamKind::RtpTs;
    m_figures.stream.unit = LossUnit::Datagrams;
    m_figures.stream.lostBefore = 4;
    Tick(3661, 0);
    EXPECT_EQ(Tick(3662, 1316 * 950),
              "228.7.7.7:8001 — lost here 3, before this host 4, 10.0 Mbit/s, 1:01:02, 1.5 MB");
    const std::string details = m_text.GetDetails().str();
    EXPECT_NE(details.find("Lost here: 3 datagrams (2 receive buffer full, 1 too long, 0 not "
                           "written)"),
              std::string::npos)
        << details;
    EXPECT_NE(details.find("Lost before this host: 4 datagrams (RTP sequence numbers)"),
              std::string::npos)
        << details;
}

TEST_F(CaptureStatusText, FiveSecondsWithoutDataAreSaidWithTheTimeAndDataBringsTheRateBack) {
    EXPECT_EQ(Tick(4, 0).find("nothing"), std::string::npos);
    EXPECT_EQ(Tick(5, 0).rfind("228.7.7.7:8001 — nothing received for 5 s, lost here 0, ", 0), 0u)
        << "since the start";
    Tick(6, 13160);
    EXPECT_NE(Tick(7, 13160).find("0.0 Mbit/s"), std::string::npos);
    EXPECT_NE(Tick(11, 13160).find("nothing received for 5 s"), std::string::npos)
        << "in the middle of a stream";
    EXPECT_NE(m_text.GetDetails().str().find("Nothing received for 5 s (since "),
              std::string::npos);
    EXPECT_NE(Tick(12, 26320).find("0.1 Mbit/s"), std::string::npos);
}

TEST_F(CaptureStatusText, AStreamThatIsNotTsIsSaidToBeUnchecked) {
    EXPECT_NE(Tick(1, 0).find("before this host not known yet"), std::string::npos);
    m_figures.stream.kind = StreamKind::NotTs;
    EXPECT_NE(Tick(2, 0).find("before this host not checked (not TS)"), std::string::npos);
    EXPECT_NE(m_text.GetDetails().str().find(
                  "Lost before this host: not checked (not an MPEG transport stream)"),
              std::string::npos);
}

TEST_F(CaptureStatusText, ANewCaptureStartsItsRateAndSilenceAfresh) {
    Tick(100, 1316 * 1000);
    m_start = Clock::now() + 1h;
    m_figures.started = m_start;
    EXPECT_NE(Tick(1, 1316 * 95).find(", 1.0 Mbit/s, 0:00:01, "), std::string::npos);
}

}  // namespace
