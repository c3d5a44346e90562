// The kernel's interfaces with their byte counters, read in one netlink RTM_GETLINK dump.
// Used by the performance-data and NetBIOS stand-ins; the parser takes bytes so tests can replay
// dumps.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct InterfaceSample {
    std::string name;
    std::uint64_t rxBytes = 0;
    std::uint64_t txBytes = 0;
    std::uint64_t bandwidthBitsPerSec = 0;  // 0 where the kernel knows no link speed
    int index = 0;
    unsigned flags = 0;                     // IFF_UP, IFF_LOOPBACK, ...
    unsigned short type = 0;                // ARPHRD_ETHER, ARPHRD_LOOPBACK, ...
    std::size_t hardwareAddressLength = 0;  // as the kernel gives it; the first six bytes kept
    std::array<std::uint8_t, 6> hardwareAddress{};
    std::uint64_t rxMulticast = 0;  // as the driver counts them; veth counts none
};

// Appends one sample per RTM_NEWLINK message of a dump reply to `out`, in message order.
// Sets `done` once NLMSG_DONE is seen; it stays false while more reply datagrams are due.
// Returns 0, or EIO for a malformed message or an NLMSG_ERROR.
[[nodiscard]] int ParseLinkDump(std::span<const std::byte> reply, std::vector<InterfaceSample>& out,
                                bool& done);

// One dump of every interface into `samples`, in the kernel's (ifindex) order, with link
// speeds from sysfs (re-read every 10 s). Thread-safe.
// Returns 0, or the errno value when the kernel cannot be asked (`samples` then left empty).
[[nodiscard]] int ReadLinkStats(std::vector<InterfaceSample>& samples);
