#include "files.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstddef>
#include <string>
#include <thread>

#include "drive_paths.h"
#include "fd_handle.h"
#include "threads.h"
#include "win_error.h"

namespace {

// A pipe whose reader takes nothing for this long fails the write: no write holds its caller
// (the window, or a capture being closed) longer, whatever the reader does.
constexpr auto kPipeStall = std::chrono::milliseconds(2000);
std::atomic<unsigned> g_writeDelayMilliseconds{0};

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

// Only files and pipes hold data for the program: a device would swallow a capture or feed the
// registry without end. A pipe stays non-blocking, so its writes can be bounded.
DWORD CheckKind(int fd, bool& pipe) {
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        return WinErrorFromErrno(errno);
    }
    pipe = S_ISFIFO(st.st_mode);
    if (!pipe && !S_ISREG(st.st_mode)) {
        return ERROR_NOT_SUPPORTED;
    }
    if (!pipe && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        return WinErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

void DelayWrite() {
    if (const unsigned ms = g_writeDelayMilliseconds.load(std::memory_order_relaxed); ms != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

// After a write that would block (a pipe whose reader is behind): waits until the pipe takes
// more, or fails once the caller has waited kPipeStall in all. Returns 0 or the Windows code.
DWORD WaitForPipe(int fd, std::chrono::steady_clock::time_point& deadline) {
    const auto now = std::chrono::steady_clock::now();
    if (deadline == std::chrono::steady_clock::time_point{}) {
        deadline = now + kPipeStall;
    }
    pollfd waiting{fd, POLLOUT, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    if (left.count() <= 0 || poll(&waiting, 1, static_cast<int>(left.count())) == 0) {
        return ERROR_TIMEOUT;
    }
    return ERROR_SUCCESS;  // ready, interrupted or the reader gone: the next write says which
}

}  // namespace

void SetWriteDelayForTesting(unsigned milliseconds) {
    g_writeDelayMilliseconds = milliseconds;
}

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPVOID /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                   DWORD /*dwFlagsAndAttributes*/, HANDLE /*hTemplateFile*/) {
    std::string path;
    if (const DWORD code = MapDrivePath(lpFileName, path); code != ERROR_SUCCESS) {
        return Fail(code);
    }
    const bool read = (dwDesiredAccess & GENERIC_READ) != 0;
    const bool write = (dwDesiredAccess & GENERIC_WRITE) != 0;
    // Non-blocking, so that a pipe without a reader or a device fails here instead of holding
    // the caller; a regular file is made blocking again below.
    int flags = O_CLOEXEC | O_NONBLOCK | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
    if (dwCreationDisposition == CREATE_ALWAYS) {
        flags |= O_CREAT;  // emptied below, once the lock says nobody else has it open
    } else if (dwCreationDisposition == OPEN_ALWAYS) {
        flags |= O_CREAT;
    } else if (dwCreationDisposition != OPEN_EXISTING) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const int fd = open(path.c_str(), flags, 0644);
    if (fd < 0) {
        if (errno == ENXIO) {
            return Fail(ERROR_PIPE_NOT_CONNECTED);  // a pipe that nobody reads
        }
        return Fail(errno == ENOENT && !FolderExists(path) ? ERROR_PATH_NOT_FOUND
                                                           : WinErrorFromErrno(errno));
    }
    bool pipe = false;
    if (const DWORD code = CheckKind(fd, pipe); code != ERROR_SUCCESS) {
        return Fail(code, fd);
    }
    // Our own opens are the only ones that take locks, so this is Windows' share check: a lock
    // held elsewhere is a sharing violation.
    const int lock = dwShareMode != 0 ? LOCK_SH : LOCK_EX;
    if (flock(fd, lock | LOCK_NB) != 0) {
        return Fail(errno == EWOULDBLOCK ? ERROR_SHARING_VIOLATION : WinErrorFromErrno(errno), fd);
    }
    if (dwCreationDisposition == CREATE_ALWAYS && !pipe && ftruncate(fd, 0) != 0) {
        return Fail(WinErrorFromErrno(errno), fd);
    }
    return HandleFromFd(fd);
}

BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
               LPDWORD lpNumberOfBytesWritten, LPVOID /*lpOverlapped*/) {
    DWORD written = 0;
    const auto* bytes = static_cast<const char*>(lpBuffer);
    BOOL ok = TRUE;
    std::chrono::steady_clock::time_point deadline{};
    DelayWrite();
    while (written < nNumberOfBytesToWrite) {
        const int fd = FdFromHandle(hFile);
        const ssize_t n = write(fd, bytes + written, nNumberOfBytesToWrite - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EAGAIN) {
            if (const DWORD code = WaitForPipe(fd, deadline); code != ERROR_SUCCESS) {
                SetLastError(code);
                ok = FALSE;
                break;
            }
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
    const off_t start = lseek(fd, 0, SEEK_CUR);  // -1 for a pipe, which cannot be cut back
    std::chrono::steady_clock::time_point deadline{};
    DelayWrite();
    while (count > 0 && vectors->iov_len == 0) {
        ++vectors;  // writev would report nothing written as a full disk
        --count;
    }
    while (count > 0) {
        const ssize_t n = writev(fd, vectors, static_cast<int>(std::min(count, unsigned{IOV_MAX})));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        DWORD code = n == 0 ? ERROR_DISK_FULL : WinErrorFromErrno(errno);
        if (n < 0 && errno == EAGAIN && (code = WaitForPipe(fd, deadline)) == ERROR_SUCCESS) {
            continue;
        }
        if (n <= 0) {
            SetLastError(code);
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
    if (position < 0 && errno == ESPIPE) {
        SetLastError(ERROR_SEEK_ON_DEVICE);  // a pipe: it has no position to move
        return FALSE;
    }
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
