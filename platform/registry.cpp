#include "registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "drive_paths.h"
#include "perf_data_source.h"
#include "perf_records.h"
#include "win_error.h"

namespace {

constexpr std::string_view kMachineRoot = "HKEY_LOCAL_MACHINE";

// What an open key holds: the values as the file gave them when it was opened.
struct OpenKey {
    std::vector<RegeditValue> values;
};

// Open keys, so that a stale or foreign handle gets a code instead of a crash.
std::mutex g_keysMutex;
std::set<OpenKey*> g_openKeys;

// Reads the whole file; returns a Windows code.
DWORD ReadWholeFile(const std::string& path, std::vector<std::byte>& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOTDIR ? ERROR_FILE_NOT_FOUND : WinErrorFromErrno(errno);
    }
    DWORD code = ERROR_SUCCESS;
    std::byte chunk[65536];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            code = WinErrorFromErrno(errno);  // a folder in the file's place reads as EISDIR: 5
            break;
        }
        if (n == 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    close(fd);
    return code;
}

}  // namespace

LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, HKEY* phkResult) {
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (hKey != HKEY_LOCAL_MACHINE) {
        return ERROR_INVALID_HANDLE;
    }
    if (lpSubKey == nullptr || lpSubKey[0] == '\0') {
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    std::vector<std::byte> bytes;
    if (const DWORD code = ReadWholeFile(GetPrefixFolder() + "/system.reg", bytes);
        code != ERROR_SUCCESS) {
        return static_cast<LONG>(code);
    }
    std::vector<RegeditKey> keys;
    if (const DWORD code = ParseRegeditFile(bytes, keys); code != ERROR_SUCCESS) {
        return static_cast<LONG>(code);
    }
    // An empty component (a doubled or edge backslash) never names a key.
    const std::string_view subKey = lpSubKey;
    if (subKey.front() == '\\' || subKey.back() == '\\' || subKey.find("\\\\") != subKey.npos) {
        return ERROR_FILE_NOT_FOUND;
    }
    const std::string path = std::string(kMachineRoot) + "\\" + lpSubKey;
    auto key = std::make_unique<OpenKey>();
    bool found = false;
    for (RegeditKey& listed : keys) {
        if (!RegPathIsAtOrBelow(listed.path, path)) {
            continue;
        }
        found = true;
        if (RegNamesEqual(listed.path, path)) {
            key->values = std::move(listed.values);  // the parser merged repeated listings
        }
    }
    if (!found) {
        return ERROR_FILE_NOT_FOUND;
    }
    const std::lock_guard lock(g_keysMutex);
    g_openKeys.insert(key.get());
    *phkResult = reinterpret_cast<HKEY>(key.release());
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || lpcbData == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (hKey == HKEY_PERFORMANCE_DATA) {
        if (lpValueName == nullptr ||
            std::strcmp(lpValueName, kNetworkInterfaceValueName.data()) != 0) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (lpType != nullptr) {
            *lpType = REG_BINARY;
        }
        return static_cast<LONG>(QueryPerfData(lpData, lpcbData));
    }
    const std::lock_guard lock(g_keysMutex);
    const auto it = g_openKeys.find(reinterpret_cast<OpenKey*>(hKey));
    if (it == g_openKeys.end()) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string_view name = lpValueName != nullptr ? lpValueName : "";
    for (const RegeditValue& value : (*it)->values) {
        if (!RegNamesEqual(value.name, name)) {
            continue;
        }
        if (lpType != nullptr) {
            *lpType = value.type;
        }
        const auto size = static_cast<DWORD>(value.data.size());
        if (lpData != nullptr && *lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (lpData != nullptr && size != 0) {
            std::memcpy(lpData, value.data.data(), size);
        }
        *lpcbData = size;
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

LONG RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_PERFORMANCE_DATA || hKey == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    const std::lock_guard lock(g_keysMutex);
    const auto it = g_openKeys.find(reinterpret_cast<OpenKey*>(hKey));
    if (it == g_openKeys.end()) {
        return ERROR_INVALID_HANDLE;
    }
    delete *it;
    g_openKeys.erase(it);
    return ERROR_SUCCESS;
}
