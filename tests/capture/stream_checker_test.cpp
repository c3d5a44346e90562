#include "stream_checker.h"

#include <gtest/gtest.h>

#include <tuple>

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
struct Feed {
    explicit Feed(bool rtp = false, uint16_t sequence = 1000) : m_rtp(rtp), m_sequence(sequence) {}
    void Send(const std::string& ts, uint64_t lostHere = 0) {
        Raw(m_rtp ? Rtp(ts, m_sequence++) : ts, lostHere);
    }
    // The stream's next count datagrams; lost ones never arrive.
    void Clean(int count, bool lost = false) {
        for (int i = 0; i < count; ++i) {
            const std::string ts = m_ts.Datagram();
            lost ? void(++m_sequence) : Send(ts);
        }
    }
    void Raw(const std::string& datagram, uint64_t lostHere = 0) {
        m_checker.Check(reinterpret_cast<const std::byte*>(datagram.data()), datagram.size(),
                        lostHere);
    }
    StreamCheckFigures Figures() const { return m_checker.Figures(); }

    StreamChecker m_checker;
    TsMaker m_ts;
    bool m_rtp;
    uint16_t m_sequence;
};

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
        feed.Clean(10);
        feed.Clean(c.lost, true);
        feed.Send(feed.m_ts.Datagram(), c.lostHere);
        feed.Clean(10);
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
        feed.Clean(10);
        std::string datagram = feed.m_ts.Datagram();
        for (const int flags : c.packets) {
            feed.m_ts.Add(datagram, c.pid, flags);
        }
        feed.Send(datagram);
        feed.Clean(10);
        EXPECT_EQ(std::tuple(feed.Figures().lostBefore, feed.Figures().transportErrors),
                  std::tuple(c.gaps, c.transportErrors))
            << c.what;
    }
}

TEST(StreamChecker, TsCutIntoThousandByteDatagramsIsNotTs) {
    Feed feed;
    std::string stream;
    for (int i = 0; i < 100; ++i) {
        stream += feed.m_ts.Datagram();
    }
    for (size_t at = 0; at + 1000 <= stream.size(); at += 1000) {
        feed.Raw(stream.substr(at, 1000), at % 3);
    }
    const StreamCheckFigures f = feed.Figures();
    EXPECT_EQ(std::tuple(f.kind, f.unit, f.lostBefore, f.datagramsChecked),
              std::tuple(StreamKind::NotTs, LossUnit::None, uint64_t{0}, uint64_t{0}));
}

TEST(StreamChecker, DatagramThatIsNotTsInATsStreamIsNoGap) {
    Feed feed;
    feed.Clean(10);
    feed.Raw(std::string(1000, '\x47'));
    feed.Clean(10);
    const StreamCheckFigures f = feed.Figures();
    EXPECT_EQ(std::tuple(f.kind, f.lostBefore, f.datagramsNotCheckable),
              std::tuple(StreamKind::Ts, uint64_t{0}, uint64_t{1}));
}

// Numbers wrapping to zero, a datagram overtaken (and repeated), and the sender numbering anew.
TEST(StreamChecker, RtpNumbersThatDoNotCountOnByOneAreNoLossUnlessSomeAreMissing) {
    Feed wrapping(true, 65530), overtaken(true), anew(true);
    wrapping.Clean(20);
    overtaken.Clean(10);
    const std::string late = overtaken.m_ts.Datagram();
    overtaken.Raw(Rtp(overtaken.m_ts.Datagram(), overtaken.m_sequence + 1));
    overtaken.Raw(Rtp(late, overtaken.m_sequence));
    overtaken.Raw(Rtp(late, overtaken.m_sequence));
    overtaken.m_sequence += 2;
    overtaken.Clean(10);
    for (const int step : {0, -5000, 40000}) {
        anew.m_sequence += step;
        anew.Clean(10);
    }
    for (const Feed* feed : {&wrapping, &overtaken, &anew}) {
        EXPECT_EQ(feed->Figures().lostBefore + feed->Figures().continuityGaps, 0u);
    }
    EXPECT_EQ(anew.Figures().datagramsChecked, 30u);
}

TEST(StreamChecker, MalformedRtpInAnRtpStreamIsNotCheckedAndNoGap) {
    Feed feed(true);
    feed.Clean(10);
    const std::string good = Rtp(feed.m_ts.Datagram(), feed.m_sequence);
    std::string csrcsPastTheEnd = good.substr(0, 20), paddingPastTheStart = csrcsPastTheEnd;
    csrcsPastTheEnd[0] = '\x8F';
    paddingPastTheStart[0] = '\xA0';
    paddingPastTheStart.back() = '\xFF';
    std::string extensionPastTheEnd = good, paddingOfZero = good;
    extensionPastTheEnd[22] = extensionPastTheEnd[23] = '\xFF';
    paddingOfZero.back() = '\0';
    for (const std::string& bad : {csrcsPastTheEnd, extensionPastTheEnd, paddingOfZero,
                                   paddingPastTheStart, good.substr(0, 11)}) {
        feed.Raw(bad);
    }
    feed.Clean(1, true);  // the good one never came
    feed.Clean(10);
    EXPECT_EQ(std::tuple(feed.Figures().lostBefore, feed.Figures().datagramsNotCheckable),
              std::tuple(uint64_t{1}, uint64_t{5}));
}

}  // namespace
