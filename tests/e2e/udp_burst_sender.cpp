// Sends a bursty, paced transport stream to a UDP port on loopback (or to ADDRESS, a multicast
// group for one), as a real-time encoder does, and writes the exact bytes it sent to a file.
// Usage: udp_burst_sender PORT DATAGRAMS MBITS SENT_FILE [ADDRESS [SOURCE]]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kPacket = 188;
constexpr std::size_t kDatagram = 7 * kPacket;
constexpr int kBurst = 32;  // datagrams sent back to back, then a pause

void FillDatagram(std::uint8_t* out, std::uint64_t index) {
    for (std::size_t p = 0; p < 7; ++p) {
        std::uint8_t* packet = out + p * kPacket;
        const std::uint64_t number = index * 7 + p;
        std::memset(packet, static_cast<int>(number & 0xFF), kPacket);
        packet[0] = 0x47;
        std::memcpy(packet + 4, &number, sizeof number);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 || argc > 7) {
        std::fprintf(stderr, "usage: %s PORT DATAGRAMS MBITS SENT_FILE [ADDRESS [SOURCE]]\n",
                     argv[0]);
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const long datagrams = std::atol(argv[2]);
    const double mbits = std::atof(argv[3]);
    if (port <= 0 || port > 65535 || datagrams <= 0 || datagrams > 10'000'000 || mbits <= 0) {
        std::fprintf(stderr, "%s: bad arguments\n", argv[0]);
        return 2;
    }
    FILE* sent = std::fopen(argv[4], "wb");
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (sent == nullptr || fd < 0) {
        std::perror(argv[0]);
        return 1;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (argc >= 6 && inet_pton(AF_INET, argv[5], &to.sin_addr) != 1) {
        std::fprintf(stderr, "%s: bad address %s\n", argv[0], argv[5]);
        return 2;
    }
    // A source of the sender's own, for a receiver that takes one source alone.
    sockaddr_in from{};
    from.sin_family = AF_INET;
    if (argc == 7 && (inet_pton(AF_INET, argv[6], &from.sin_addr) != 1 ||
                      bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0)) {
        std::fprintf(stderr, "%s: cannot send from %s\n", argv[0], argv[6]);
        return 2;
    }

    using Clock = std::chrono::steady_clock;
    const auto burstPeriod = std::chrono::duration<double>(kBurst * kDatagram * 8 / (mbits * 1e6));
    auto next = Clock::now();
    std::vector<std::uint8_t> datagram(kDatagram);
    for (long i = 0; i < datagrams; ++i) {
        if (i % kBurst == 0) {
            std::this_thread::sleep_until(next);
            next += std::chrono::duration_cast<Clock::duration>(burstPeriod);
        }
        FillDatagram(datagram.data(), static_cast<std::uint64_t>(i));
        if (sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
                   sizeof to) != static_cast<ssize_t>(datagram.size())) {
            std::perror("sendto");
            return 1;
        }
        std::fwrite(datagram.data(), 1, datagram.size(), sent);
    }
    close(fd);
    return std::fclose(sent) == 0 ? 0 : 1;
}
