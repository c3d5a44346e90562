#include "files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <string>

#include "drive_paths.h"
#include "fd_handle.h"
#include "threads.h"
#include "win_error.h"

namespace {

// Windows tells a missing file (2) from a missing folder on the way to it (3).
bool FolderExists(const std::string& path) {
    struct stat st {};
    return stat(path.substr(0, path.rfind('/')).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

HANDLE Fail(DWORD code, int fd = -1) {
    if (fd >= 0) {
        close(fd);
    }
    SetLastError(code);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPVOID /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                   DWORD /*dwFlagsAndAttributes*/, HANDLE /*hTemplateFile*/) {
    std::string path;
    if (const DWORD code = MapDrivePath(lpFileName, path); code != ERROR_SUCCESS) {
        return Fail(code);
    }
    const bool read = (dwDesiredAccess & GENERIC_READ) != 0;
    const bool write = (dwDesiredAccess & GENERIC_WRITE) != 0;
    int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
    if (dwCreationDisposition == CREATE_ALWAYS) {
        flags |= O_CREAT;  // emptied below, once the lock says nobody else has it open
    } else if (dwCreationDisposition == OPEN_ALWAYS) {
        flags |= O_CREAT;
    } else if (dwCreationDisposition != OPEN_EXISTING) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const int fd = open(path.c_str(), flags, 0644);
    if (fd < 0) {
        return Fail(errno == ENOENT && !FolderExists(path) ? ERROR_PATH_NOT_FOUND
                                                           : WinErrorFromErrno(errno));
    }
    // Our own opens are the only ones that take locks, so this is Windows' share check: a lock
    // held elsewhere is a sharing violation.
    const int lock = dwShareMode != 0 ? LOCK_SH : LOCK_EX;
    if (flock(fd, lock | LOCK_NB) != 0) {
        return Fail(errno == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : WinErrorFromErrno(errno), fd);
    }
    if (dwCreationDisposition == CREATE_ALWAYS && ftruncate(fd, 0) != 0) {
        return Fail(WinErrorFromErrno(errno), fd);
    }
    return HandleFromFd(fd);
}

BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
               LPDWORD lpNumberOfBytesWritten, LPVOID /*lpOverlapped*/) {
    DWORD written = 0;
    const auto* bytes = static_cast<const char*>(lpBuffer);
    BOOL ok = TRUE;
    while (written < nNumberOfBytesToWrite) {
        const ssize_t n =
            write(FdFromHandle(hFile), bytes + written, nNumberOfBytesToWrite - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // A short write followed by zero means the disk filled up.
            SetLastError(n == 0 ? ERROR_DISK_FULL : WinErrorFromErrno(errno));
            ok = FALSE;
            break;
        }
        written += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = written;
    }
    return ok;
}

// Hot: once per batch of the multicast capture. Changes need bench/capture.
BOOL WriteFileVectors(HANDLE hFile, iovec* vectors, unsigned count) {
    const int fd = FdFromHandle(hFile);
    const off_t start = lseek(fd, 0, SEEK_CUR);
    while (count > 0 && vectors->iov_len == 0) {
        ++vectors;  // writev would report nothing written as a full disk
        --count;
    }
    while (count > 0) {
        const ssize_t n = writev(fd, vectors, static_cast<int>(std::min(count, unsigned{IOV_MAX})));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            SetLastError(n == 0 ? ERROR_DISK_FULL : WinErrorFromErrno(errno));
            if (start >= 0 && ftruncate(fd, start) == 0) {
                lseek(fd, start, SEEK_SET);
            }
            return FALSE;
        }
        // A short write: go on from the first byte not written.
        auto done = static_cast<size_t>(n);
        while (count > 0 && done >= vectors->iov_len) {
            done -= vectors->iov_len;
            ++vectors;
            --count;
        }
        if (count > 0) {
            vectors->iov_base = static_cast<std::byte*>(vectors->iov_base) + done;
            vectors->iov_len -= done;
        }
    }
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE hFile, LONGLONG lDistanceToMove, LONGLONG* lpNewFilePointer,
                      DWORD dwMoveMethod) {
    if (dwMoveMethod != FILE_BEGIN || lDistanceToMove < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const off_t position =
        lseek(FdFromHandle(hFile), static_cast<off_t>(lDistanceToMove), SEEK_SET);
    if (position < 0) {
        SetLastError(WinErrorFromErrno(errno));
        return FALSE;
    }
    if (lpNewFilePointer != nullptr) {
        *lpNewFilePointer = position;
    }
    return TRUE;
}

BOOL SetEndOfFile(HANDLE hFile) {
    const int fd = FdFromHandle(hFile);
    const off_t position = lseek(fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(fd, position) != 0) {
        SetLastError(WinErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
    if (CloseThreadHandle(hObject)) {
        return TRUE;
    }
    if (hObject == INVALID_HANDLE_VALUE || close(FdFromHandle(hObject)) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
