// Starts the sockets service before the program's first socket.
// Called once by the application's InitInstance.
#pragma once

#include "win_types.h"

struct WSADATA;

// Non-zero when sockets can be used. Linux sockets need no start-up, so this succeeds; the
// data block, if given, is left untouched.
BOOL AfxSocketInit(WSADATA* lpwsaData = nullptr);
