// Host names as Windows Sockets answers them: gethostname, and gethostbyname, which answers
// the machine's own name with the addresses of its adapters. Used by the host-information
// commands. These names clash with <netdb.h>'s: a file includes this header or that one.
#pragma once

#include <unistd.h>  // gethostname: 0, or -1 (SOCKET_ERROR) with errno set

namespace winsock {

// The Windows layout; h_addr_list holds h_length-byte addresses in network byte order.
struct hostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};

// For the machine's own name (what gethostname gives, in any case; also a null or empty
// name): the IPv4 addresses of the interfaces that are up, loopback left out, by interface
// index and then in the kernel's address order, or 127.0.0.1 alone when there are none.
// For any other name: the system resolver's IPv4 addresses, each once, in its order.
// The entry belongs to the calling thread and stays valid until its next call.
// Returns null with GetLastError set (WSAHOST_NOT_FOUND, WSANO_DATA, WSATRY_AGAIN,
// WSANO_RECOVERY) when the name has no IPv4 address or the kernel cannot be asked.
hostent* gethostbyname(const char* name);

}  // namespace winsock

using winsock::gethostbyname;
using winsock::hostent;
