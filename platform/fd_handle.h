// How a HANDLE carries a descriptor: the descriptor plus one. No descriptor then gives null
// (CreateMutexA's failure) or INVALID_HANDLE_VALUE (CreateFileA's), fd 0 included; a null or
// invalid handle gives back a descriptor no call accepts. Used by the file and named-mutex
// stand-ins; thread handles are pointers and never this small.
#pragma once

#include <cstdint>

#include "win_types.h"

inline HANDLE HandleFromFd(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(fd) + 1);
}

inline int FdFromHandle(HANDLE h) {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(h) - 1);
}
