// Registry entry points with their Windows names and codes.
// Used by the program's code; HKEY_PERFORMANCE_DATA is served from the kernel's counters,
// HKEY_LOCAL_MACHINE from the regedit file system.reg at the root of the prefix.
#pragma once

#include "regedit_file.h"
#include "win_types.h"

// Opens lpSubKey under HKEY_LOCAL_MACHINE, reading the machine registry file afresh; a key
// exists when the file lists it or a key below it. Never waits on the file. Returns the
// Windows code itself: 2 when the file or the key is missing, 5 when the file cannot be read,
// 50 when it is neither a regular file nor a folder, ERROR_BADDB when it is not in the regedit
// format or is larger than 1 GiB, 6 for any other root. *phkResult is set only on success.
[[nodiscard]] LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, HKEY* phkResult);

// Returns the Windows code itself (it does not set the last error). For
// HKEY_PERFORMANCE_DATA the only value is "510"; any other name gives ERROR_FILE_NOT_FOUND.
// For an opened key a null or empty name is the default value; 2 when the value is missing.
// On ERROR_MORE_DATA *lpcbData holds the size needed and lpData is untouched.
[[nodiscard]] LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved,
                                    LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

// Closes a key that RegOpenKeyA opened; the predefined keys may be closed too. Returns 0, or
// ERROR_INVALID_HANDLE for a key that is not open (a programmer's error).
LONG RegCloseKey(HKEY hKey);
