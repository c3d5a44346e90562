// The calling thread's last error, and the one place where errno becomes a Windows code.
// Used by every platform stand-in that reports through GetLastError.
#pragma once

#include "win_types.h"

DWORD GetLastError();
void SetLastError(DWORD code);

// Maps an errno value to the Windows error code that the same failure gives on Windows;
// values without a Windows twin map to ERROR_INVALID_PARAMETER.
DWORD WinErrorFromErrno(int err);
