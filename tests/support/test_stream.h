// A transport stream as a multiplexer sends it, for the capture tests: datagrams of seven
// 188-byte packets over several PIDs and the null PID, with a legal duplicate and an announced
// discontinuity now and then, plain or in RTP. Each datagram's index is in its bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr unsigned kPat = 0x0000;
inline constexpr unsigned kVideo = 0x0100;
inline constexpr unsigned kAudio = 0x0101;
inline constexpr unsigned kNull = 0x1FFF;

enum PacketFlags {
    kPayload = 0,
    kNoPayload = 1,
    kRepeat = 2,          // the same counter and bytes as the PID's last packet
    kDiscontinuity = 4,   // announced, the counter jumps
    kTransportError = 8,  // flagged, with a counter out of turn
};

// Makes packets as a multiplexer does: each PID counts on with every packet that carries
// payload.
class TsMaker {
public:
    // Appends a packet of pid that carries index in its bytes.
    void Add(std::string& out, unsigned pid, int flags = kPayload, uint64_t index = 0);
    // The stream's datagram index: seven packets of three PIDs with payload, one of them
    // without, and a null packet; with a repeat when index % 10 is 5 and a discontinuity
    // announced when it is 7.
    std::string Datagram(uint64_t index = 0);

private:
    std::array<uint8_t, 8192> m_counters{};
};

// The stream's first count datagrams.
std::vector<std::string> MakeTestStream(size_t count, bool rtp);
