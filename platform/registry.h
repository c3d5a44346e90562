// Registry entry points with their Windows names and codes.
// Used by the program's code; HKEY_PERFORMANCE_DATA is served from the kernel's counters.
#pragma once

#include "win_types.h"

inline constexpr DWORD REG_BINARY = 3;

// Returns the Windows code itself (it does not set the last error). For
// HKEY_PERFORMANCE_DATA the only value is "510"; any other name gives ERROR_FILE_NOT_FOUND.
// On ERROR_MORE_DATA *lpcbData holds the size needed and lpData is untouched.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData);

LONG RegCloseKey(HKEY hKey);
