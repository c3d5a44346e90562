// The kernel's IPv4 interface addresses, read in one netlink RTM_GETADDR dump.
// Used by the host-name lookup; the parser takes bytes so tests and the fuzzer can replay dumps.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

struct InterfaceAddress {
    int index = 0;              // the interface's ifindex
    std::uint32_t address = 0;  // network byte order
};

// Appends one entry per IPv4 RTM_NEWADDR message of a dump reply to `out`, in message order:
// the interface's own address (IFA_LOCAL; IFA_ADDRESS where there is none, as on loopback).
// Returns true once NLMSG_DONE is seen, false while more reply datagrams are due.
// A malformed message or an NLMSG_ERROR sets `failed` and returns true.
bool ParseAddressDump(std::span<const std::byte> reply, std::vector<InterfaceAddress>& out,
                      bool& failed);

// Every IPv4 address in the kernel's order. Returns std::nullopt, with errno set, when the
// kernel cannot be asked.
std::optional<std::vector<InterfaceAddress>> ReadInterfaceAddresses();
