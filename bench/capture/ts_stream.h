// The benchmark's stream: 1,316-byte datagrams of seven 188-byte TS packets, each numbered,
// and the check of a received file or datagram run against what was sent.
// Used by capture_bench only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr size_t kTsPacket = 188;
inline constexpr size_t kPacketsPerDatagram = 7;
inline constexpr size_t kDatagram = kTsPacket * kPacketsPerDatagram;

// Fills one datagram carrying packets 7 * index ... 7 * index + 6, over three PIDs.
void FillDatagram(uint8_t* out, uint64_t index);

// Counts what a receiver got of `datagrams` datagrams, packet by packet.
class StreamCheck {
public:
    explicit StreamCheck(uint64_t datagrams);
    void AddBytes(const uint8_t* data, size_t size);
    uint64_t Lost() const { return m_seen.size() - m_unique; }
    bool LossFree() const {
        return Lost() == 0 && m_duplicated == 0 && m_reordered == 0 && m_corrupt == 0;
    }

    uint64_t m_unique = 0;
    uint64_t m_duplicated = 0;
    uint64_t m_reordered = 0;
    uint64_t m_corrupt = 0;

private:
    std::vector<bool> m_seen;
    uint64_t m_last = 0;
    bool m_any = false;
};
