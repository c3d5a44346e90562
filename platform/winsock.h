// The Windows Sockets names the program and framework use, over Linux sockets.
// Linux sockets are Winsock's twins: only the names Winsock adds are defined here.
// Socket errors are reported through GetLastError (win_error.h), as WSAGetLastError.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "win_types.h"

using SOCKET = int;
inline constexpr SOCKET INVALID_SOCKET = -1;
inline constexpr int SOCKET_ERROR = -1;
inline constexpr int SD_RECEIVE = SHUT_RD;

inline constexpr long FD_READ = 0x01;
inline constexpr long FD_WRITE = 0x02;
inline constexpr long FD_OOB = 0x04;
inline constexpr long FD_ACCEPT = 0x08;
inline constexpr long FD_CONNECT = 0x10;
inline constexpr long FD_CLOSE = 0x20;

// Returns 0, or SOCKET_ERROR with GetLastError set. The descriptor is released either way, so
// the answer matters only for a socket that is not open, a programmer's error.
int closesocket(SOCKET s);

// The lowest port an unprivileged user may bind (net.ipv4.ip_unprivileged_port_start);
// 1024, the kernel's default, when it cannot be read.
DWORD GetUnprivilegedPortStart();
