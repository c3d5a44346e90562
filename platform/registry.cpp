#include "registry.h"

#include <cstring>

#include "perf_data_source.h"

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || lpcbData == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (hKey != HKEY_PERFORMANCE_DATA) {
        return ERROR_INVALID_HANDLE;
    }
    if (lpValueName == nullptr || std::strcmp(lpValueName, "510") != 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (lpType != nullptr) {
        *lpType = REG_BINARY;
    }
    return static_cast<LONG>(QueryPerfData(lpData, lpcbData));
}

LONG RegCloseKey(HKEY hKey) {
    return hKey == nullptr ? static_cast<LONG>(ERROR_INVALID_HANDLE) : ERROR_SUCCESS;
}
