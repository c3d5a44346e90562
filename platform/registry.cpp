#include "registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
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

// A full export of HKEY_LOCAL_MACHINE runs to a few hundred MB in UTF-16, so 1 GiB takes the
// largest with room to spare. A bigger file is no export, and reading it would hold the window
// for seconds and take several times its size in memory.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

// Reads fd to its end into bytes, sized for the expected count and one byte more, so that
// the end is seen without growing; a file that grew past the limit while read is ERROR_BADDB.
DWORD ReadUpToLimit(int fd, std::size_t expected, std::vector<std::byte>& bytes) {
    bytes.resize(expected + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > kMaxFileBytes) {
                return ERROR_BADDB;
            }
            bytes.resize(std::min(2 * filled, kMaxFileBytes + 1));
        }
        const ssize_t n = read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return WinErrorFromErrno(errno);
        }
        if (n == 0) {
            bytes.resize(filled);
            return ERROR_SUCCESS;
        }
        filled += static_cast<std::size_t>(n);
    }
}

// Reads the registry file whole; returns a Windows code. Only a regular file is read: a
// device could be read without end, and a FIFO opened without O_NONBLOCK waits for a writer.
// The kind is taken from the descriptor itself, so the file cannot be swapped after the test.
DWORD ReadRegistryFile(const std::string& path, std::vector<std::byte>& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        // A socket in the file's place cannot be opened (ENXIO): no regular file either.
        return errno == ENOTDIR ? ERROR_FILE_NOT_FOUND
               : errno == ENXIO ? ERROR_NOT_SUPPORTED
                                : WinErrorFromErrno(errno);
    }
    DWORD code = ERROR_SUCCESS;
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        code = WinErrorFromErrno(errno);
    } else if (S_ISDIR(status.st_mode)) {
        code = ERROR_ACCESS_DENIED;  // as reading a folder always said
    } else if (!S_ISREG(status.st_mode)) {
        code = ERROR_NOT_SUPPORTED;
    } else if (static_cast<std::uintmax_t>(status.st_size) > kMaxFileBytes) {
        code = ERROR_BADDB;
    } else {
        code = ReadUpToLimit(fd, static_cast<std::size_t>(status.st_size), bytes);
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
    if (const DWORD code = ReadRegistryFile(GetPrefixFolder() + "/system.reg", bytes);
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
