#include "stream_checker.h"

#include <gtest/gtest.h>

#include "test_stream.h"

namespace {

// RTP with two CSRCs, a one-word extension and four bytes of padding, as senders may add them.
std::string Rtp(const std::string& ts, uint16_t sequence) {
    std::string out = {'\xB2', 33, static_cast<char>(sequence >> 8), static_cast<char>(sequence)};
    out += std::string(4, '\0') + "\x5E\xED\x5E\xED" + std::string(8, '\xC5');  // SSRC, CSRCs
    out += std::string("\xBE\xDE\0\x01", 4) + std::string(4, '\x47');  // to mislead a parser
    return out + ts + std::string("\0\0\0\x04", 4);
}

// A stream handed to a checker datagram by datagram, plain or in RTP.
class Feed {
public:
    explicit Feed(bool rtp = false, uint16_t sequence = 1000) : m_rtp(rtp), m_sequence(sequence) {}

    void Send(const std::string& ts, uint64_t lostHere = 0) {
        SendRaw(m_rtp ? Rtp(ts, m_sequence++) : ts, lostHere);
    }
    void SendClean(int count) {
        for (int i = 0; i < count; ++i) {
            Send(m_ts.Datagram());
        }
    }
    // Datagrams that never arrive.
    void LoseUpstream(int count) {
        for (int i = 0; i < count; ++i) {
            m_ts.Datagram();
            ++m_sequence;
        }
    }
    void SendRaw(const std::string& datagram, uint64_t lostHere = 0) {
        m_checker.Check(reinterpret_cast<const std::byte*>(datagram.data()), datagram.size(),
                        lostHere);
    }
    StreamCheckFigures Figures() const { return m_checker.Figures(); }

    StreamChecker m_checker;
    TsMaker m_ts;
    bool m_rtp;
    uint16_t m_sequence;
};

TEST(StreamChecker, KindIsDecidedByFourDatagramsInARow) {
    Feed feed;
    feed.SendRaw(std::string(1000, '\0'));
    feed.SendClean(3);
    EXPECT_EQ(feed.Figures().kind, StreamKind::Undecided);
    feed.SendClean(1);
    EXPECT_EQ(feed.Figures().kind, StreamKind::Ts);
    EXPECT_EQ(feed.Figures().datagramsChecked, 4u);
}

// Plain TS: one gap for each PID the loss interrupts (video, audio, PAT; never the null PID).
// RTP: the missing numbers. Neither counts what this host lost itself.
TEST(StreamChecker, DatagramsLostUpstreamAreCountedButNotThoseThisHostLost) {
    const struct {
        bool rtp;
        int lost;
        uint64_t lostHere, counted;
    } cases[] = {{false, 1, 0, 3}, {true, 5, 0, 5}, {false, 1, 1, 0}, {true, 5, 2, 3}};
    for (const auto& c : cases) {
        Feed feed(c.rtp);
        feed.SendClean(10);
        feed.LoseUpstream(c.lost);
        feed.Send(feed.m_ts.Datagram(), c.lostHere);
        feed.SendClean(10);
        EXPECT_EQ(feed.Figures().lostBefore, c.counted) << c.rtp << " " << c.lostHere;
    }
}

// Repeats, announced discontinuities, null packets and packets flagged in error are what a
// multiplexer may send; only a packet out of turn is a gap.
TEST(StreamChecker, OnlyAPacketOutOfTurnIsAGap) {
    const struct {
        const char* what;
        unsigned pid;
        std::vector<int> packets;
        uint64_t gaps, transportErrors;
    } cases[] = {
        {"one repeat", kAudio, {kRepeat}, 0, 0},
        {"a second repeat", kAudio, {kRepeat, kRepeat}, 1, 0},
        {"announced discontinuity", kAudio, {kDiscontinuity}, 0, 0},
        {"null packets", kNull, std::vector<int>(7, kRepeat), 0, 0},
        {"flagged in error", kAudio, {kTransportError}, 0, 1},
    };
    for (const auto& c : cases) {
        Feed feed;
        feed.SendClean(10);
        std::string datagram = feed.m_ts.Datagram();
        for (const int flags : c.packets) {
            feed.m_ts.Add(datagram, c.pid, flags);
        }
        feed.Send(datagram);
        feed.SendClean(10);
        EXPECT_EQ(feed.Figures().lostBefore, c.gaps) << c.what;
        EXPECT_EQ(feed.Figures().transportErrors, c.transportErrors) << c.what;
    }
}

TEST(StreamChecker, TsCutIntoThousandByteDatagramsIsNotTs) {
    Feed feed;
    std::string stream;
    for (int i = 0; i < 100; ++i) {
        stream += feed.m_ts.Datagram();
    }
    for (size_t at = 0; at + 1000 <= stream.size(); at += 1000) {
        feed.SendRaw(stream.substr(at, 1000), at % 3);
    }
    const StreamCheckFigures figures = feed.Figures();
    EXPECT_EQ(figures.kind, StreamKind::NotTs);
    EXPECT_EQ(figures.unit, LossUnit::None);
    EXPECT_EQ(figures.lostBefore, 0u);
    EXPECT_EQ(figures.datagramsChecked, 0u);
}

TEST(StreamChecker, DatagramThatIsNotTsInATsStreamIsNoGap) {
    Feed feed;
    feed.SendClean(10);
    feed.SendRaw(std::string(1000, '\x47'));
    feed.SendClean(10);
    EXPECT_EQ(feed.Figures().kind, StreamKind::Ts);
    EXPECT_EQ(feed.Figures().lostBefore, 0u);
    EXPECT_EQ(feed.Figures().datagramsNotCheckable, 1u);
}

// Numbers wrapping to zero, a datagram overtaken (and repeated), and the sender numbering anew.
TEST(StreamChecker, RtpNumbersThatDoNotCountOnByOneAreNoLossUnlessSomeAreMissing) {
    Feed wrapping(true, 65530);
    wrapping.SendClean(20);
    Feed overtaken(true);
    overtaken.SendClean(10);
    const std::string late = overtaken.m_ts.Datagram();
    overtaken.SendRaw(Rtp(overtaken.m_ts.Datagram(), overtaken.m_sequence + 1));
    overtaken.SendRaw(Rtp(late, overtaken.m_sequence));
    overtaken.SendRaw(Rtp(late, overtaken.m_sequence));
    overtaken.m_sequence += 2;
    overtaken.SendClean(10);
    Feed anew(true);
    anew.SendClean(10);
    anew.m_sequence -= 5000;
    anew.SendClean(10);
    anew.m_sequence += 40000;
    anew.SendClean(10);
    for (const Feed* feed : {&wrapping, &overtaken, &anew}) {
        EXPECT_EQ(feed->Figures().lostBefore + feed->Figures().continuityGaps, 0u);
    }
    EXPECT_EQ(anew.Figures().datagramsChecked, 30u);
}

TEST(StreamChecker, MalformedRtpInAnRtpStreamIsNotCheckedAndNoGap) {
    Feed feed(true);
    feed.SendClean(10);
    const std::string good = Rtp(feed.m_ts.Datagram(), feed.m_sequence);
    std::string csrcsPastTheEnd = good.substr(0, 20);
    csrcsPastTheEnd[0] = '\x8F';
    std::string extensionPastTheEnd = good;
    extensionPastTheEnd[22] = extensionPastTheEnd[23] = '\xFF';
    std::string paddingOfZero = good;
    paddingOfZero.back() = '\0';
    std::string paddingPastTheStart = good.substr(0, 20);
    paddingPastTheStart[0] = '\xA0';
    paddingPastTheStart.back() = '\xFF';
    for (const std::string& bad : {csrcsPastTheEnd, extensionPastTheEnd, paddingOfZero,
                                   paddingPastTheStart, good.substr(0, 11)}) {
        feed.SendRaw(bad);
    }
    feed.LoseUpstream(1);  // the good one never came
    feed.SendClean(10);
    EXPECT_EQ(feed.Figures().lostBefore, 1u);
    EXPECT_EQ(feed.Figures().datagramsNotCheckable, 5u);
}

}  // namespace
