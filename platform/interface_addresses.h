// The kernel's IPv4 interface addresses, read in one netlink RTM_GETADDR dump.
// Used by the host-name lookup; the parser takes bytes so tests and the fuzzer can replay dumps.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct InterfaceAddress {
    int index = 0;              // the interface's ifindex
    std::uint32_t address = 0;  // network byte order
};

// Appends one entry per IPv4 RTM_NEWADDR message of a dump reply to `out`, in message order:
// the interface's own address (IFA_LOCAL; IFA_ADDRESS where there is none, as on loopback).
// Sets `done` once NLMSG_DONE is seen; it stays false while more reply datagrams are due.
// Returns 0, or EIO for a malformed message or an NLMSG_ERROR.
[[nodiscard]] int ParseAddressDump(std::span<const std::byte> reply,
                                   std::vector<InterfaceAddress>& out, bool& done);

// Every IPv4 address into `addresses`, in the kernel's order. Returns 0, or the errno value
// when the kernel cannot be asked (`addresses` then left empty).
[[nodiscard]] int ReadInterfaceAddresses(std::vector<InterfaceAddress>& addresses);
