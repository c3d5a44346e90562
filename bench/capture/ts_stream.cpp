#include "ts_stream.h"

#include <cstring>

void FillDatagram(uint8_t* out, uint64_t index) {
    for (size_t p = 0; p < kPacketsPerDatagram; ++p) {
        uint8_t* packet = out + p * kTsPacket;
        const uint64_t sequence = index * kPacketsPerDatagram + p;
        // Three PIDs in turn, each counting on, so that the capture's checks do their whole work.
        const uint64_t pid = 0x100 + sequence % 3;
        packet[0] = 0x47;
        packet[1] = static_cast<uint8_t>(pid >> 8);
        packet[2] = static_cast<uint8_t>(pid & 0xFF);
        packet[3] = static_cast<uint8_t>(0x10 | (sequence / 3 & 0x0F));
        std::memcpy(packet + 4, &sequence, sizeof sequence);
        std::memset(packet + 12, 0xFF, kTsPacket - 12);
    }
}

StreamCheck::StreamCheck(uint64_t datagrams) : m_seen(datagrams * kPacketsPerDatagram, false) {}

void StreamCheck::AddBytes(const uint8_t* data, size_t size) {
    if (size % kTsPacket != 0) {
        ++m_corrupt;
    }
    for (size_t offset = 0; offset + kTsPacket <= size; offset += kTsPacket) {
        uint64_t sequence = 0;
        std::memcpy(&sequence, data + offset + 4, sizeof sequence);
        if (data[offset] != 0x47 || sequence >= m_seen.size()) {
            ++m_corrupt;
            continue;
        }
        if (m_seen[sequence]) {
            ++m_duplicated;
        } else {
            m_seen[sequence] = true;
            ++m_unique;
        }
        if (m_any && sequence < m_last) {
            ++m_reordered;
        }
        m_last = sequence;
        m_any = true;
    }
}
