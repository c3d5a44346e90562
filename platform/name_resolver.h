// A name's IPv4 addresses from the system resolver (hosts file, DNS: what nsswitch.conf says).
// Used by the host-name lookup, apart from it because <netdb.h> declares the C library's
// gethostbyname, which the program must not reach.
#pragma once

#include <cstdint>
#include <vector>

#include "win_types.h"

// The name's IPv4 addresses into `addresses`, in network byte order, each once, in the
// resolver's order. Returns ERROR_SUCCESS, or the Windows Sockets code when there are none
// (WSAHOST_NOT_FOUND, WSANO_DATA, WSATRY_AGAIN, WSANO_RECOVERY).
[[nodiscard]] DWORD ResolveIPv4(const char* name, std::vector<std::uint32_t>& addresses);
