#include "test_stream.h"

#include <array>
#include <cstring>

namespace {

constexpr unsigned kVideo = 0x100;
constexpr unsigned kAudio = 0x101;
constexpr unsigned kPat = 0x000;
constexpr unsigned kNull = 0x1FFF;
constexpr size_t kRtpHeader = 12;

class Multiplexer {
public:
    // A packet of pid; counts on when it carries payload; discontinuity jumps the count.
    std::string Packet(unsigned pid, bool payload, bool discontinuity, uint64_t index) {
        uint8_t& counter = m_counters[pid];
        counter = static_cast<uint8_t>(counter + (discontinuity ? 7 : payload ? 1 : 0));
        std::string packet(188, '\xFF');
        packet[0] = 0x47;
        packet[1] = static_cast<char>(pid >> 8);
        packet[2] = static_cast<char>(pid & 0xFF);
        const bool adaptation = !payload || discontinuity;
        const unsigned control = !payload ? 2 : adaptation ? 3 : 1;
        packet[3] = static_cast<char>(control << 4 | (counter & 0x0F));
        if (adaptation) {
            packet[4] = static_cast<char>(!payload ? 183 : 7);
            packet[5] = static_cast<char>(discontinuity ? 0x80 : 0x00);
        }
        std::memcpy(&packet[12], &index, sizeof index);
        return packet;
    }

private:
    std::array<uint8_t, 8192> m_counters{};
};

}  // namespace

std::vector<std::string> MakeTestStream(size_t count, bool rtp) {
    Multiplexer mux;
    std::vector<std::string> stream;
    for (uint64_t i = 0; i < count; ++i) {
        std::string datagram;
        if (rtp) {
            const char header[kRtpHeader] = {'\x80',
                                             33,
                                             static_cast<char>(i >> 8),
                                             static_cast<char>(i),
                                             0,
                                             0,
                                             0,
                                             0,
                                             0x5E,
                                             0x5E,
                                             0x5E,
                                             0x5E};
            datagram.assign(header, kRtpHeader);
        }
        datagram += mux.Packet(kVideo, true, i % 10 == 7, i);
        const std::string audio = mux.Packet(kAudio, true, false, i);
        datagram += audio;
        datagram += mux.Packet(kNull, true, false, i);
        datagram += mux.Packet(kVideo, true, false, i);
        datagram += mux.Packet(kVideo, false, false, i);
        datagram += mux.Packet(kPat, true, false, i);
        // A legal duplicate: the PID's last packet sent again as it was.
        datagram += i % 10 == 5 ? audio : mux.Packet(kAudio, true, false, i);
        stream.push_back(std::move(datagram));
    }
    return stream;
}

uint64_t TestStreamIndex(const std::string& datagram) {
    const size_t start = datagram.size() == 7 * 188 + kRtpHeader ? kRtpHeader : 0;
    if (datagram.size() != 7 * 188 + start || datagram[start] != 0x47) {
        return UINT64_MAX;
    }
    uint64_t index = 0;
    std::memcpy(&index, &datagram[start + 12], sizeof index);
    return index;
}
