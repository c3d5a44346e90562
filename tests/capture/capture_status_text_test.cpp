// The status bar's words for a running capture, tick by tick, from figures the tests make.
#include "capture_status_text.h"

#include <gmock/gmock.h>

namespace {

using testing::HasSubstr;
using testing::StartsWith;
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
    std::string Details() const { return m_text.GetDetails().str(); }

    Clock::time_point m_start = Clock::now();
    CaptureStatusFigures m_figures;
    CCaptureStatusText m_text;
};

TEST_F(CaptureStatusText, TheLineGivesWhatRateLossesTimeAndFileSize) {
    m_figures.capture = {.bytesWritten = 3 * 1024 * 1024 / 2, .bufferFull = 2, .tooLong = 1};
    m_figures.stream = {.kind = StreamKind::RtpTs, .unit = LossUnit::Datagrams, .lostBefore = 4};
    Tick(3661, 0);
    EXPECT_EQ(Tick(3662, 1316 * 950),
              "228.7.7.7:8001 — lost here 3, before this host 4, 10.0 Mbit/s, 1:01:02, 1.5 MB");
    EXPECT_THAT(Details(), HasSubstr("Lost here: 3 datagrams (2 receive buffer full, 1 too long, "
                                     "0 not written)"));
    EXPECT_THAT(Details(), HasSubstr("Lost before this host: 4 datagrams (RTP sequence numbers)"));
}

TEST_F(CaptureStatusText, FiveSecondsWithoutDataAreSaidWithTheTimeAndDataBringsTheRateBack) {
    EXPECT_THAT(Tick(4, 0), testing::Not(HasSubstr("nothing")));
    EXPECT_THAT(Tick(5, 0), StartsWith("228.7.7.7:8001 — nothing received for 5 s, lost here 0, "))
        << "since the start";
    Tick(6, 13160);
    EXPECT_THAT(Tick(7, 13160), HasSubstr("0.0 Mbit/s"));
    EXPECT_THAT(Tick(11, 13160), HasSubstr("nothing received for 5 s")) << "mid-stream";
    EXPECT_THAT(Details(), HasSubstr("Nothing received for 5 s (since "));
    EXPECT_THAT(Tick(12, 26320), HasSubstr("0.1 Mbit/s"));
}

TEST_F(CaptureStatusText, AStreamThatIsNotTsIsSaidToBeUnchecked) {
    EXPECT_THAT(Tick(1, 0), HasSubstr("before this host not known yet"));
    m_figures.stream.kind = StreamKind::NotTs;
    EXPECT_THAT(Tick(2, 0), HasSubstr("before this host not checked (not TS)"));
    EXPECT_THAT(Details(),
                HasSubstr("Lost before this host: not checked (not an MPEG transport stream)"));
}

TEST_F(CaptureStatusText, ANewCaptureStartsItsRateAndSilenceAfresh) {
    Tick(100, 1316 * 1000);
    m_figures.started = m_start = Clock::now() + std::chrono::hours(1);
    EXPECT_THAT(Tick(1, 1316 * 95), HasSubstr(", 1.0 Mbit/s, 0:00:01, "));
}

}  // namespace
