#include "win_error.h"

#include <cerrno>

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD GetLastError() {
    return t_lastError;
}

void SetLastError(DWORD code) {
    t_lastError = code;
}

DWORD WinErrorFromErrno(int err) {
    switch (err) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case EPIPE:
            return ERROR_NO_DATA;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EWOULDBLOCK:
            return WSAEWOULDBLOCK;
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case EEXIST:
            return ERROR_ALREADY_EXISTS;
        case EMSGSIZE:
            return WSAEMSGSIZE;
        case EAFNOSUPPORT:
            return WSAEAFNOSUPPORT;
        case EADDRINUSE:
            return WSAEADDRINUSE;
        case EADDRNOTAVAIL:
            return WSAEADDRNOTAVAIL;
        case ENOTSOCK:
            return WSAENOTSOCK;
        case ENOBUFS:
            return WSAENOBUFS;
        case EINVAL:
        case ENAMETOOLONG:
        default:
            return ERROR_INVALID_PARAMETER;
    }
}
