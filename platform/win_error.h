// The calling thread's last error, and the one place where errno becomes a Windows code.
// Used by every platform stand-in that reports through GetLastError.
//
// How the platform fails: the Windows calls answer as Windows does, with their code or the
// last error. Inside, a function that can fail returns what went wrong, 0 on success, and
// gives its results through out-parameters: an errno value (int) where the failure comes
// from the system, or the Windows code (DWORD) where the function already decides a Windows
// call's answer. Nothing leaves a failure in errno or a flag for its caller to find; an empty
// optional means only "none here" (a token of a file parser that is not in the format, which
// the parser then answers with its code). The caller that knows what a failure means says so:
// a lock held elsewhere is a sharing violation for a file and an existing name for a mutex.
#pragma once

#include "win_types.h"

DWORD GetLastError();
void SetLastError(DWORD code);

// Maps an errno value to the Windows error code that the same failure gives on Windows;
// values without a Windows twin map to ERROR_INVALID_PARAMETER.
[[nodiscard]] DWORD WinErrorFromErrno(int err);
