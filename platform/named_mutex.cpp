#include "named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "fd_handle.h"
#include "win_error.h"

namespace {

// A folder only this user may write, so no other user can hold or fake our names.
// Returns 0, or the errno value.
int LockFolder(std::string& folder) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        folder = runtime;
        return 0;
    }
    folder = "/tmp/named-mutex-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return errno;
    }
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        return errno;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != getuid() || (info.st_mode & 0077) != 0) {
        return EACCES;
    }
    return 0;
}

// Windows names may hold "\" (as in "Global\name"); a file name may not hold "/".
std::string FileNameOf(const char* name) {
    std::string file = name;
    for (char& c : file) {
        if (c == '/') {
            c = '_';
        }
    }
    return file + ".mutex";
}

}  // namespace

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES /*lpMutexAttributes*/, BOOL /*bInitialOwner*/,
                    LPCSTR lpName) {
    std::string path = "/dev/null";
    if (lpName != nullptr && *lpName != '\0') {
        std::string folder;
        if (const int err = LockFolder(folder); err != 0) {
            SetLastError(WinErrorFromErrno(err));
            return nullptr;
        }
        path = folder + "/" + FileNameOf(lpName);
    }
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetLastError(WinErrorFromErrno(errno));
        return nullptr;
    }
    if (lpName == nullptr || *lpName == '\0') {
        SetLastError(ERROR_SUCCESS);
        return HandleFromFd(fd);
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        // A lock held elsewhere means another holder has the name.
        if (err != EWOULDBLOCK) {
            close(fd);
            SetLastError(WinErrorFromErrno(err));
            return nullptr;
        }
        SetLastError(ERROR_ALREADY_EXISTS);
        return HandleFromFd(fd);
    }
    SetLastError(ERROR_SUCCESS);
    return HandleFromFd(fd);
}
