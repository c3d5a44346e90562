#include "test_stream.h"

#include <cstring>

void TsMaker::Add(std::string& out, unsigned pid, int flags, uint64_t index) {
    uint8_t& counter = m_counters[pid];
    if ((flags & kDiscontinuity) != 0) {
        counter += 7;
    } else if ((flags & (kNoPayload | kRepeat | kTransportError)) == 0) {
        ++counter;
    }
    const bool adaptation = (flags & (kNoPayload | kDiscontinuity)) != 0;
    const unsigned control = (flags & kNoPayload) != 0 ? 2 : adaptation ? 3 : 1;
    // The sender's own count goes on as it was: only this packet's is out of turn.
    const unsigned shown = counter + ((flags & kTransportError) != 0 ? 6 : 0);
    std::string packet(188, '\xFF');
    packet[0] = 0x47;
    packet[1] = static_cast<char>(((flags & kTransportError) != 0 ? 0x80 : 0) | pid >> 8);
    packet[2] = static_cast<char>(pid & 0xFF);
    packet[3] = static_cast<char>(control << 4 | (shown & 0x0F));
    if (adaptation) {
        packet[4] = static_cast<char>((flags & kNoPayload) != 0 ? 183 : 1);
        packet[5] = static_cast<char>((flags & kDiscontinuity) != 0 ? 0x80 : 0x10);
    }
    std::memcpy(&packet[12], &index, sizeof index);
    out += packet;
}

std::string TsMaker::Datagram(uint64_t index) {
    // A legal duplicate now and then: the PID's last packet sent again as it was.
    int flags[] = {kPayload, kPayload, kPayload, kPayload, kNoPayload, kPayload, kPayload};
    flags[0] = index % 10 == 7 ? kDiscontinuity : kPayload;
    flags[6] = index % 10 == 5 ? kRepeat : kPayload;
    const unsigned pids[] = {kVideo, kAudio, kNull, kVideo, kVideo, kPat, kAudio};
    std::string out;
    for (int p = 0; p < 7; ++p) {
        Add(out, pids[p], flags[p], index);
    }
    return out;
}

std::vector<std::string> MakeTestStream(size_t count, bool rtp) {
    TsMaker ts;
    std::vector<std::string> stream(count);
    for (uint64_t i = 0; i < count; ++i) {
        if (rtp) {  // version 2, type 33 (MPEG-TS), the sequence number, one SSRC
            stream[i] = std::string{'\x80', 33, static_cast<char>(i >> 8), static_cast<char>(i)} +
                        std::string(4, '\0') + "\x5E\x5E\x5E\x5E";
        }
        stream[i] += ts.Datagram(i);
    }
    return stream;
}
