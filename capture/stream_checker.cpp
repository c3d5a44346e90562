#include "stream_checker.h"

namespace {

constexpr size_t kTsPacketSize = 188;
constexpr std::byte kSyncByte{0x47};
constexpr unsigned kNullPid = 0x1FFF;
constexpr size_t kPidCount = 8192;
constexpr size_t kRtpHeaderSize = 12;
constexpr int kRunToDecide = 4;
constexpr int kUndecidedLimit = 64;
// A forward step in the RTP numbering of up to this many means one less went missing.
constexpr uint16_t kLargestStep = 32768;
// A step back of at most this many is a datagram repeated or overtaken on its way, not a
// restart; as many numbers are remembered for taking back a count of one that turns up late.
constexpr uint16_t kReorderWindow = 64;
// The numbers remembered, one bit each; a 64-bit word shifted by as many or more is undefined.
constexpr unsigned kMissingBits = 64;
static_assert(kReorderWindow <= kMissingBits);

unsigned Byte(std::byte b) {
    return std::to_integer<unsigned>(b);
}

bool WholeTsPackets(const std::byte* data, size_t size) {
    if (size == 0 || size % kTsPacketSize != 0) {
        return false;
    }
    for (size_t offset = 0; offset < size; offset += kTsPacketSize) {
        if (data[offset] != kSyncByte) {
            return false;
        }
    }
    return true;
}

}  // namespace

StreamChecker::StreamChecker() : m_pids(std::make_unique<PidState[]>(kPidCount)) {}

// Runs once per datagram on the capture's consumer thread: changes need the benchmark.
void StreamChecker::Check(const std::byte* data, size_t size, uint64_t lostHereBefore) {
    if (lostHereBefore != 0) {
        ++m_lossEpoch;
        m_lostHereSinceSequence += lostHereBefore;
    }
    const Datagram datagram = Classify(data, size);
    if (m_kind == StreamKind::Undecided) {
        Decide(datagram);
    }
    switch (m_checkingAs) {
        case StreamKind::Ts:
            if (datagram.layout == Layout::Ts) {
                CheckPackets(datagram.packets, datagram.packetBytes);
                ++m_figures.datagramsChecked;
            } else {
                ++m_figures.datagramsNotCheckable;
            }
            break;
        case StreamKind::RtpTs:
            CheckRtp(datagram);
            break;
        case StreamKind::Undecided:
        case StreamKind::NotTs:
            ++m_figures.datagramsNotCheckable;
            break;
    }
}

StreamCheckFigures StreamChecker::Figures() const {
    StreamCheckFigures figures = m_figures;
    figures.kind = m_kind;
    switch (m_checkingAs) {
        case StreamKind::Ts:
            figures.unit = LossUnit::ContinuityGaps;
            figures.lostBefore = m_figures.continuityGaps;
            break;
        case StreamKind::RtpTs:
            figures.unit = LossUnit::Datagrams;
            figures.lostBefore = m_datagramsLostBefore;
            break;
        case StreamKind::Undecided:
        case StreamKind::NotTs:
            break;
    }
    return figures;
}

StreamChecker::Datagram StreamChecker::Classify(const std::byte* data, size_t size) {
    Datagram datagram;
    if (WholeTsPackets(data, size)) {
        datagram.layout = Layout::Ts;
        datagram.packets = data;
        datagram.packetBytes = size;
        return datagram;
    }
    // A TS datagram opens with 0x47, which as an RTP header is version 1: never both.
    if (size < kRtpHeaderSize || Byte(data[0]) >> 6 != 2) {
        return datagram;
    }
    const unsigned first = Byte(data[0]);
    size_t header = kRtpHeaderSize + 4 * (first & 0x0F);
    if ((first & 0x10) != 0) {
        if (header + 4 > size) {
            return datagram;
        }
        header += 4 + 4 * (Byte(data[header + 2]) << 8 | Byte(data[header + 3]));
    }
    size_t end = size;
    if ((first & 0x20) != 0) {
        const size_t padding = Byte(data[size - 1]);  // counts itself, so never 0
        if (padding == 0 || padding > size) {
            return datagram;
        }
        end -= padding;
    }
    if (header > end) {
        return datagram;
    }
    datagram.rtp = true;
    datagram.sequence = static_cast<uint16_t>(Byte(data[2]) << 8 | Byte(data[3]));
    datagram.ssrc = static_cast<uint32_t>(Byte(data[8]) << 24 | Byte(data[9]) << 16 |
                                          Byte(data[10]) << 8 | Byte(data[11]));
    if (WholeTsPackets(data + header, end - header)) {
        datagram.layout = Layout::RtpTs;
        datagram.packets = data + header;
        datagram.packetBytes = end - header;
    }
    return datagram;
}

// Each datagram either extends the current run or starts a new one from nothing, so that
// what a short run of another kind taught is never held against the stream that follows.
void StreamChecker::Decide(const Datagram& datagram) {
    const uint32_t ssrc = datagram.layout == Layout::RtpTs ? datagram.ssrc : 0;
    if (m_runLength == 0 || datagram.layout != m_runLayout || ssrc != m_runSsrc) {
        StartAfresh();
        m_runLayout = datagram.layout;
        m_runSsrc = ssrc;
        m_runLength = 0;
        m_checkingAs = datagram.layout == Layout::Ts      ? StreamKind::Ts
                       : datagram.layout == Layout::RtpTs ? StreamKind::RtpTs
                                                          : StreamKind::NotTs;
    }
    ++m_runLength;
    ++m_datagramsUndecided;
    if (m_runLength == kRunToDecide) {
        m_kind = m_checkingAs;
    } else if (m_datagramsUndecided == kUndecidedLimit) {
        StartAfresh();
        m_kind = m_checkingAs = StreamKind::NotTs;
    }
}

void StreamChecker::StartAfresh() {
    m_figures = {};
    ForgetPids();
    m_haveSequence = false;
    m_lostHereSinceSequence = 0;
    m_datagramsLostBefore = 0;
    m_missingBefore = 0;
}

// Datagrams of another SSRC or without a header that fits leave the numbering alone: they are
// not this stream's. Another SSRC carrying TS is the stream's sender started anew.
void StreamChecker::CheckRtp(const Datagram& datagram) {
    if (!datagram.rtp || (datagram.ssrc != m_ssrc && datagram.layout != Layout::RtpTs)) {
        ++m_figures.datagramsNotCheckable;
        return;
    }
    const bool follows = FollowSequence(datagram);
    if (datagram.layout != Layout::RtpTs) {
        ++m_figures.datagramsNotCheckable;
        return;
    }
    // A repeated or overtaken datagram's packets would break every PID's count.
    if (follows) {
        CheckPackets(datagram.packets, datagram.packetBytes);
    }
    ++m_figures.datagramsChecked;
}

// Returns false for a datagram that repeats one already seen or comes after its successors;
// the numbering then goes on from the latest one.
bool StreamChecker::FollowSequence(const Datagram& datagram) {
    if (!m_haveSequence || datagram.ssrc != m_ssrc) {
        if (m_haveSequence) {
            ForgetPids();  // a new sender numbers its packets afresh too
        }
        m_haveSequence = true;
        m_ssrc = datagram.ssrc;
        m_missingBefore = 0;
    } else {
        const auto back = static_cast<uint16_t>(m_sequence - datagram.sequence);
        if (back <= kReorderWindow) {
            const uint64_t bit = back == 0 ? 0 : uint64_t{1} << (back - 1);
            if ((m_missingBefore & bit) != 0) {
                m_missingBefore &= ~bit;
                --m_datagramsLostBefore;
            }
            return false;
        }
        const auto step = static_cast<uint16_t>(datagram.sequence - m_sequence);
        if (step <= kLargestStep) {
            const uint64_t missing = step - 1u;
            m_missingBefore = step >= kMissingBits ? 0 : m_missingBefore << step;
            if (missing > m_lostHereSinceSequence) {
                m_datagramsLostBefore += missing - m_lostHereSinceSequence;
                // Which numbers were this host's is known only when it lost none.
                if (m_lostHereSinceSequence == 0) {
                    m_missingBefore |=
                        missing >= kMissingBits ? ~uint64_t{0} : (uint64_t{1} << missing) - 1;
                }
            }
            if (missing != 0) {
                ++m_lossEpoch;  // the packets' gaps across it are explained
            }
        } else {
            ForgetPids();
            m_missingBefore = 0;
        }
    }
    m_sequence = datagram.sequence;
    m_lostHereSinceSequence = 0;
    return true;
}

// 0 stays free: it marks a PID forgotten by itself.
void StreamChecker::ForgetPids() {
    if (++m_generation == 0) {
        ++m_generation;
    }
}

void StreamChecker::CheckPackets(const std::byte* packets, size_t size) {
    for (const std::byte* packet = packets; packet != packets + size; packet += kTsPacketSize) {
        const unsigned flagsAndPid = Byte(packet[1]);
        if ((flagsAndPid & 0x80) != 0) {
            ++m_figures.transportErrors;
            continue;
        }
        const unsigned pid = (flagsAndPid & 0x1F) << 8 | Byte(packet[2]);
        const unsigned control = Byte(packet[3]) >> 4 & 0x3;  // 0 is reserved
        if (pid == kNullPid || control == 0) {
            continue;
        }
        PidState& state = m_pids[pid];
        const bool discontinuity =
            (control & 0x2) != 0 && Byte(packet[4]) != 0 && (Byte(packet[5]) & 0x80) != 0;
        if ((control & 0x1) == 0) {
            // Without payload the counter stays; after a discontinuity any value may follow.
            if (discontinuity) {
                state.generation = 0;
            }
            continue;
        }
        const auto counter = static_cast<uint8_t>(Byte(packet[3]) & 0x0F);
        bool gap = false;
        if (state.generation == m_generation && !discontinuity) {
            if (counter == state.counter) {
                gap = state.repeated;  // one repeat is a legal duplicate
                state.repeated = true;
            } else {
                gap = counter != ((state.counter + 1) & 0x0F);
                state.repeated = false;
            }
        } else {
            state.generation = m_generation;
            state.repeated = false;
        }
        // This host's losses since the PID's previous packet explain the gap.
        if (gap && state.lossEpoch == m_lossEpoch) {
            ++m_figures.continuityGaps;
        }
        state.counter = counter;
        state.lossEpoch = m_lossEpoch;
    }
}
