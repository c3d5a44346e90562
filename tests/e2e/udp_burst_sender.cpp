// Sends a bursty, paced transport stream to a UDP port on loopback (or to ADDRESS, a multicast
// group for one), as a real-time encoder does, and writes the exact bytes it sent to a file.
// Usage: udp_burst_sender PORT DATAGRAMS MBITS SENT_FILE [ADDRESS [SOURCE]]
#include <arpa/inet.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    constexpr std::size_t kPacket = 188;
    constexpr std::size_t kDatagram = 7 * kPacket;
    constexpr int kBurst = 32;  // datagrams sent back to back, then a pause
    const int port = argc >= 5 ? std::atoi(argv[1]) : 0;
    const long datagrams = argc >= 5 ? std::atol(argv[2]) : 0;
    const double mbits = argc >= 5 ? std::atof(argv[3]) : 0;
    sockaddr_in to{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    sockaddr_in from{AF_INET, 0, {}, {}};  // a source of its own, for a receiver of one source
    if (argc > 7 || port <= 0 || port > 65535 || datagrams <= 0 || datagrams > 10'000'000 ||
        mbits <= 0 || (argc >= 6 && inet_pton(AF_INET, argv[5], &to.sin_addr) != 1) ||
        (argc == 7 && inet_pton(AF_INET, argv[6], &from.sin_addr) != 1)) {
        std::fprintf(stderr, "usage: %s PORT DATAGRAMS MBITS SENT_FILE [ADDRESS [SOURCE]]\n",
                     argv[0]);
        return 2;
    }
    FILE* sent = std::fopen(argv[4], "wb");
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (sent == nullptr || fd < 0 ||
        (argc == 7 && bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0)) {
        std::perror(argv[0]);
        return 1;
    }

    using Clock = std::chrono::steady_clock;
    const auto burstPeriod = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(kBurst * kDatagram * 8 / (mbits * 1e6)));
    auto next = Clock::now();
    std::uint8_t datagram[kDatagram];
    for (long i = 0; i < datagrams; ++i) {
        if (i % kBurst == 0) {
            std::this_thread::sleep_until(next);
            next += burstPeriod;
        }
        // Seven TS packets, each numbered after its sync byte and filled with its number.
        for (std::uint64_t p = 0, number = static_cast<std::uint64_t>(i) * 7; p < 7;
             ++p, ++number) {
            std::uint8_t* packet = datagram + p * kPacket;
            std::memset(packet, static_cast<int>(number & 0xFF), kPacket);
            packet[0] = 0x47;
            std::memcpy(packet + 4, &number, sizeof number);
        }
        if (sendto(fd, datagram, kDatagram, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) !=
            static_cast<ssize_t>(kDatagram)) {
            std::perror("sendto");
            return 1;
        }
        std::fwrite(datagram, 1, kDatagram, sent);
    }
    close(fd);
    return std::fclose(sent) == 0 ? 0 : 1;
}
