#include "named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "win_error.h"

namespace {

struct MutexObject {
    int fd = -1;
};

// A folder only this user may write, so no other user can hold or fake our names.
bool LockFolder(std::string& folder) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        folder = runtime;
        return true;
    }
    folder = "/tmp/named-mutex-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != getuid() || (info.st_mode & 0077) != 0) {
        errno = EACCES;
        return false;
    }
    return true;
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
    auto* mutex = new MutexObject;
    if (lpName == nullptr || *lpName == '\0') {
        SetLastError(ERROR_SUCCESS);
        return mutex;
    }
    std::string folder;
    if (!LockFolder(folder)) {
        SetLastError(WinErrorFromErrno(errno));
        delete mutex;
        return nullptr;
    }
    const std::string path = folder + "/" + FileNameOf(lpName);
    mutex->fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (mutex->fd < 0) {
        SetLastError(WinErrorFromErrno(errno));
        delete mutex;
        return nullptr;
    }
    if (flock(mutex->fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        SetLastError(err == EWOULDBLOCK ? ERROR_ALREADY_EXISTS : WinErrorFromErrno(err));
        if (err != EWOULDBLOCK) {
            close(mutex->fd);
            delete mutex;
            return nullptr;
        }
        return mutex;
    }
    SetLastError(ERROR_SUCCESS);
    return mutex;
}
