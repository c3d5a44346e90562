#include "stream_checker.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::byte>;

constexpr unsigned kPat = 0x0000;
constexpr unsigned kVideo = 0x0100;
constexpr unsigned kAudio = 0x0101;
constexpr unsigned kNull = 0x1FFF;

enum PacketFlags {
    kPayload = 0,
    kNoPayload = 1,
    kRepeat = 2,          // the same counter as the PID's last packet
    kDiscontinuity = 4,   // announced, the counter jumps
    kTransportError = 8,  // flagged, with a counter out of turn
};

// Makes packets as a multiplexer sends them: each PID counts on with every packet that
// carries payload.
class TsMaker {
public:
    void Add(Bytes& out, unsigned pid, int flags = kPayload) {
        uint8_t& counter = m_counters[pid];
        if ((flags & kDiscontinuity) != 0) {
            counter += 7;
        } else if ((flags & kTransportError) != 0) {
            counter += 5;
        } else if ((flags & (kNoPayload | kRepeat)) == 0) {
            ++counter;
        }
        const bool adaptation = (flags & (kNoPayload | kDiscontinuity)) != 0;
        const unsigned control = (flags & kNoPayload) != 0 ? 2 : adaptation ? 3 : 1;
        const size_t start = out.size();
        out.resize(start + 188, std::byte{0xFF});
        std::byte* packet = out.data() + start;
        packet[0] = std::byte{0x47};
        packet[1] = std::byte((flags & kTransportError ? 0x80 : 0) | pid >> 8);
        packet[2] = std::byte(pid & 0xFF);
        packet[3] = std::byte(control << 4 | (counter & 0x0F));
        if (adaptation) {
            packet[4] = std::byte((flags & kNoPayload) != 0 ? 183 : 1);
            packet[5] = std::byte((flags & kDiscontinuity) != 0 ? 0x80 : 0x10);
        }
        if ((flags & kTransportError) != 0) {
            counter -= 5;  // the sender's own count went on as it was
        }
    }

    // Seven packets: three PIDs with payload, a null packet and two without payload.
    Bytes Datagram() {
        Bytes out;
        for (const unsigned pid : {kVideo, kAudio, kNull, kVideo}) {
            Add(out, pid);
        }
        Add(out, kVideo, kNoPayload);
        Add(out, kVideo, kNoPayload);
        Add(out, kPat);
        return out;
    }

private:
    std::array<uint8_t, 8192> m_counters{};
};

// RTP with two CSRCs, a one-word extension and four bytes of padding, as senders may add them.
Bytes Rtp(const Bytes& ts, uint16_t sequence, uint32_t ssrc = 0x5EED5EED) {
    Bytes out = {std::byte{0xB2},     std::byte{33}, std::byte(sequence >> 8),
                 std::byte(sequence), std::byte{0},  std::byte{0},
                 std::byte{0},        std::byte{0}};
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(std::byte(ssrc >> shift));
    }
    out.resize(out.size() + 8, std::byte{0xC5});  // the CSRCs
    const Bytes extension = {std::byte{0xBE}, std::byte{0xDE}, std::byte{0}, std::byte{1}};
    out.insert(out.end(), extension.begin(), extension.end());
    out.resize(out.size() + 4, std::byte{0x47});  // its word, to mislead a careless parser
    out.insert(out.end(), ts.begin(), ts.end());
    out.insert(out.end(), {std::byte{0}, std::byte{0}, std::byte{0}, std::byte{4}});
    return out;
}

class StreamCheckerTest : public testing::Test {
protected:
    // Hands over the next datagram, plain or in RTP as the test chose, as an exact-size copy.
    void Send(const Bytes& ts, uint64_t lostHere = 0) {
        const Bytes datagram = m_rtp ? Rtp(ts, m_sequence++) : ts;
        m_checker.Check(datagram.data(), datagram.size(), lostHere);
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
    void SendRaw(const Bytes& datagram, uint64_t lostHere = 0) {
        m_checker.Check(datagram.data(), datagram.size(), lostHere);
    }

    StreamChecker m_checker;
    TsMaker m_ts;
    bool m_rtp = false;
    uint16_t m_sequence = 1000;
};

TEST_F(StreamCheckerTest, CleanTsStreamShowsNoLoss) {
    SendClean(100);
    const StreamCheckFigures figures = m_checker.Figures();
    EXPECT_EQ(figures.kind, StreamKind::Ts);
    EXPECT_EQ(figures.unit, LossUnit::ContinuityGaps);
    EXPECT_EQ(figures.lostBefore, 0u);
    EXPECT_EQ(figures.datagramsChecked, 100u);
    EXPECT_EQ(figures.datagramsNotCheckable, 0u);
}

TEST_F(StreamCheckerTest, CleanRtpStreamShowsNoLoss) {
    m_rtp = true;
    SendClean(100);
    const StreamCheckFigures figures = m_checker.Figures();
    EXPECT_EQ(figures.kind, StreamKind::RtpTs);
    EXPECT_EQ(figures.unit, LossUnit::Datagrams);
    EXPECT_EQ(figures.lostBefore, 0u);
    EXPECT_EQ(figures.continuityGaps, 0u);
    EXPECT_EQ(figures.datagramsChecked, 100u);
}

TEST_F(StreamCheckerTest, KindIsDecidedByFourDatagramsInARow) {
    SendRaw(Bytes(1000));
    SendClean(3);
    EXPECT_EQ(m_checker.Figures().kind, StreamKind::Undecided);
    SendClean(1);
    EXPECT_EQ(m_checker.Figures().kind, StreamKind::Ts);
    EXPECT_EQ(m_checker.Figures().datagramsChecked, 4u);
}

TEST_F(StreamCheckerTest, DatagramLostUpstreamIsOneGapForEachPidItInterrupts) {
    SendClean(10);
    LoseUpstream(1);
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 3u);  // video, audio, PAT; never the null PID
}

TEST_F(StreamCheckerTest, RtpDatagramsLostUpstreamAreCountedOneByOne) {
    m_rtp = true;
    SendClean(10);
    LoseUpstream(5);
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 5u);
}

TEST_F(StreamCheckerTest, GapWithThisHostsLossesBetweenIsNotLostBefore) {
    SendClean(10);
    LoseUpstream(1);
    Send(m_ts.Datagram(), 1);
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 0u);
}

TEST_F(StreamCheckerTest, RtpCountsOnlyTheMissingNumbersThisHostDidNotLose) {
    m_rtp = true;
    SendClean(10);
    LoseUpstream(5);
    Send(m_ts.Datagram(), 2);
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 3u);
}

TEST_F(StreamCheckerTest, OneRepeatedPacketIsNoGap) {
    SendClean(10);
    Bytes datagram = m_ts.Datagram();
    m_ts.Add(datagram, kAudio, kRepeat);
    Send(datagram);
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 0u);
}

TEST_F(StreamCheckerTest, SecondRepeatOfAPacketIsAGap) {
    SendClean(10);
    Bytes datagram = m_ts.Datagram();
    m_ts.Add(datagram, kAudio, kRepeat);
    m_ts.Add(datagram, kAudio, kRepeat);
    Send(datagram);
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 1u);
}

TEST_F(StreamCheckerTest, AnnouncedDiscontinuityIsNoGap) {
    SendClean(10);
    Bytes datagram = m_ts.Datagram();
    m_ts.Add(datagram, kAudio, kDiscontinuity);
    Send(datagram);
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 0u);
}

TEST_F(StreamCheckerTest, NullPacketsAreNotChecked) {
    SendClean(10);
    Bytes datagram;
    for (int i = 0; i < 7; ++i) {
        m_ts.Add(datagram, kNull, kRepeat);
    }
    Send(datagram);
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 0u);
}

TEST_F(StreamCheckerTest, PacketsFlaggedInErrorAreCountedNotChecked) {
    SendClean(10);
    Bytes datagram = m_ts.Datagram();
    m_ts.Add(datagram, kAudio, kTransportError);
    Send(datagram);
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 0u);
    EXPECT_EQ(m_checker.Figures().transportErrors, 1u);
}

TEST_F(StreamCheckerTest, TsCutIntoThousandByteDatagramsIsNotTs) {
    Bytes stream;
    for (int i = 0; i < 100; ++i) {
        const Bytes datagram = m_ts.Datagram();
        stream.insert(stream.end(), datagram.begin(), datagram.end());
    }
    for (size_t at = 0; at + 1000 <= stream.size(); at += 1000) {
        SendRaw(Bytes(stream.begin() + at, stream.begin() + at + 1000), at % 3);
    }
    const StreamCheckFigures figures = m_checker.Figures();
    EXPECT_EQ(figures.kind, StreamKind::NotTs);
    EXPECT_EQ(figures.unit, LossUnit::None);
    EXPECT_EQ(figures.lostBefore, 0u);
    EXPECT_EQ(figures.datagramsChecked, 0u);
}

TEST_F(StreamCheckerTest, DatagramThatIsNotTsInATsStreamIsNoGap) {
    SendClean(10);
    SendRaw(Bytes(1000, std::byte{0x47}));
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().kind, StreamKind::Ts);
    EXPECT_EQ(m_checker.Figures().lostBefore, 0u);
    EXPECT_EQ(m_checker.Figures().datagramsNotCheckable, 1u);
}

TEST_F(StreamCheckerTest, RtpNumbersWrappingToZeroAreNoGap) {
    m_rtp = true;
    m_sequence = 65530;
    SendClean(20);
    EXPECT_EQ(m_checker.Figures().lostBefore, 0u);
}

TEST_F(StreamCheckerTest, OvertakenRtpDatagramIsNoLoss) {
    m_rtp = true;
    SendClean(10);
    const Bytes late = m_ts.Datagram();
    const Bytes early = m_ts.Datagram();
    SendRaw(Rtp(early, m_sequence + 1));
    SendRaw(Rtp(late, m_sequence));
    SendRaw(Rtp(late, m_sequence));
    m_sequence += 2;
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 0u);
    EXPECT_EQ(m_checker.Figures().continuityGaps, 0u);
}

TEST_F(StreamCheckerTest, RtpNumberingStartedAnewIsNoLoss) {
    m_rtp = true;
    SendClean(10);
    m_sequence -= 5000;
    SendClean(10);
    m_sequence += 40000;
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 0u);
    EXPECT_EQ(m_checker.Figures().datagramsChecked, 30u);
}

TEST_F(StreamCheckerTest, MalformedRtpInAnRtpStreamIsNotCheckedAndNoGap) {
    m_rtp = true;
    SendClean(10);
    const Bytes good = Rtp(m_ts.Datagram(), m_sequence);
    Bytes csrcsPastTheEnd = Bytes(good.begin(), good.begin() + 20);
    csrcsPastTheEnd[0] = std::byte{0x8F};
    Bytes extensionPastTheEnd = good;
    extensionPastTheEnd[22] = extensionPastTheEnd[23] = std::byte{0xFF};
    Bytes paddingOfZero = good;
    paddingOfZero.back() = std::byte{0};
    Bytes paddingPastTheStart = Bytes(good.begin(), good.begin() + 20);
    paddingPastTheStart[0] = std::byte{0xA0};
    paddingPastTheStart.back() = std::byte{0xFF};
    for (const Bytes& bad : {csrcsPastTheEnd, extensionPastTheEnd, paddingOfZero,
                             paddingPastTheStart, Bytes(good.begin(), good.begin() + 11)}) {
        SendRaw(bad);
    }
    LoseUpstream(1);  // the good one never came
    SendClean(10);
    EXPECT_EQ(m_checker.Figures().lostBefore, 1u);
    EXPECT_EQ(m_checker.Figures().datagramsNotCheckable, 5u);
}

}  // namespace
