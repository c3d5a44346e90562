// Finds what a captured stream lost before it reached this host, from its own numbering:
// TS continuity counters, and RTP sequence numbers where the TS comes in RTP. Used by both
// captures; one thread at a time, it only reads the datagrams and allocates only when made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// What the datagrams carry, decided by the first four in a row that agree: four plain TS
// datagrams make Ts, four RTP datagrams carrying TS with one SSRC make RtpTs, four of anything
// else NotTs; 64 datagrams without such a run make NotTs too. The kind never changes after
// that: a datagram that does not fit it is counted as not checkable and is no gap.
enum class StreamKind {
    Undecided,
    Ts,     // each datagram a whole number of 188-byte packets, each opening with 0x47
    RtpTs,  // RTP version 2 whose payload (CSRCs, extension and padding left out) is that
    NotTs,  // nothing is checked
};

// What `lostBefore` counts.
enum class LossUnit {
    None,            // nothing is checked: the kind is undecided or not TS
    ContinuityGaps,  // one for each PID a run of lost packets interrupts
    Datagrams,       // missing RTP sequence numbers
};

struct StreamCheckFigures {
    StreamKind kind = StreamKind::Undecided;
    LossUnit unit = LossUnit::None;
    // Lost before this host, in `unit`. A gap is this host's own (and not counted) when it
    // lost datagrams between the two that bound the gap; with RTP, the missing numbers beyond
    // this host's losses between them count. A step in the RTP numbering of 2 to 32768 means
    // one less missing; a repeat or a step back of up to 64 is a datagram repeated or
    // overtaken (its packets unchecked, and one counted missing is taken back); any other
    // step is the sender numbering anew (no gap: 16 bits cannot tell it from 32767 lost).
    uint64_t lostBefore = 0;
    // Continuity gaps that this host's losses do not explain; equal to lostBefore for Ts. For
    // RtpTs, gaps without missing numbers were lost before the TS was put into RTP.
    uint64_t continuityGaps = 0;
    uint64_t datagramsChecked = 0;
    uint64_t datagramsNotCheckable = 0;  // did not fit the kind, or the kind is NotTs
    uint64_t transportErrors = 0;        // packets flagged by their sender, left unchecked
};

class StreamChecker {
public:
    StreamChecker();
    StreamChecker(const StreamChecker&) = delete;
    StreamChecker& operator=(const StreamChecker&) = delete;

    // Checks the next datagram as it arrived. `lostHereBefore` is how many datagrams this host
    // lost (kernel buffer, its own queue, a datagram refused) since the previous call.
    // Any bytes are safe (`data` may be null when `size` is 0); the figures count from the
    // datagrams that decided the kind.
    void Check(const std::byte* data, size_t size, uint64_t lostHereBefore);

    // The figures so far; while the kind is undecided they are provisional.
    StreamCheckFigures Figures() const;

private:
    enum class Layout : uint8_t { Ts, RtpTs, Other };
    struct Datagram {
        Layout layout = Layout::Other;
        bool rtp = false;  // an RTP header that fits, whatever the payload
        uint16_t sequence = 0;
        uint32_t ssrc = 0;
        const std::byte* packets = nullptr;  // the TS packets when the layout is not Other
        size_t packetBytes = 0;
    };
    struct PidState {
        uint32_t generation = 0;  // the PID is known when this is m_generation
        uint32_t lossEpoch = 0;   // m_lossEpoch at its last packet with payload
        uint8_t counter = 0;
        bool repeated = false;  // its last packet repeated the one before
    };

    static Datagram Classify(const std::byte* data, size_t size);
    void Decide(const Datagram& datagram);
    void StartAfresh();
    void ForgetPids();
    bool FollowSequence(const Datagram& datagram);
    void CheckRtp(const Datagram& datagram);
    void CheckPackets(const std::byte* packets, size_t size);

    StreamKind m_kind = StreamKind::Undecided;
    StreamKind m_checkingAs = StreamKind::Undecided;  // the decided kind, or the run's
    Layout m_runLayout = Layout::Other;
    uint32_t m_runSsrc = 0;
    int m_runLength = 0;
    int m_datagramsUndecided = 0;

    std::unique_ptr<PidState[]> m_pids;
    uint32_t m_generation = 1;  // a new one forgets every PID at once
    uint32_t m_lossEpoch = 0;   // counts the calls that brought local losses

    bool m_haveSequence = false;
    uint16_t m_sequence = 0;
    uint32_t m_ssrc = 0;
    uint64_t m_lostHereSinceSequence = 0;
    uint64_t m_datagramsLostBefore = 0;
    // Bit i: the number m_sequence - 1 - i was counted in m_datagramsLostBefore.
    uint64_t m_missingBefore = 0;

    StreamCheckFigures m_figures;
};
