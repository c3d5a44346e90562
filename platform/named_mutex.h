// Named mutexes between processes: an exclusive flock on a file named after the mutex.
// Used by the program's single-instance guard; the kernel releases the lock at process exit.
// The folder is $XDG_RUNTIME_DIR, else a per-user folder under /tmp.
#pragma once

#include "win_types.h"

using HANDLE = void*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Returns a handle, and sets the last error to ERROR_SUCCESS when this call took the name or to
// ERROR_ALREADY_EXISTS when another holder (any process, or this one) has it. Returns null with
// the last error set when the lock file cannot be made. The handle is never closed: the name is
// held until the process ends. An unnamed mutex has nothing to share and always succeeds.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);
