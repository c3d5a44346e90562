// A name's IPv4 addresses from the system resolver (hosts file, DNS: what nsswitch.conf says).
// Used by the host-name lookup, apart from it because <netdb.h> declares the C library's
// gethostbyname, which the program must not reach.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "win_types.h"

// The name's IPv4 addresses in network byte order, each once, in the resolver's order.
// Returns std::nullopt when there are none, with `error` set to the Windows Sockets code
// (WSAHOST_NOT_FOUND, WSANO_DATA, WSATRY_AGAIN, WSANO_RECOVERY).
std::optional<std::vector<std::uint32_t>> ResolveIPv4(const char* name, DWORD& error);
