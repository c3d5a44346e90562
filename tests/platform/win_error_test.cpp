#include "win_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(WinErrorFromErrno, MapsEachErrnoToItsWindowsTwin) {
    const std::pair<int, DWORD> cases[] = {
        {0, ERROR_SUCCESS},
        {ENOENT, ERROR_FILE_NOT_FOUND},
        {ENOTDIR, ERROR_PATH_NOT_FOUND},
        {EACCES, ERROR_ACCESS_DENIED},
        {EPERM, ERROR_ACCESS_DENIED},
        {EBADF, ERROR_INVALID_HANDLE},
        {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
        {EWOULDBLOCK, WSAEWOULDBLOCK},
        {ENOSPC, ERROR_DISK_FULL},
        {EEXIST, ERROR_ALREADY_EXISTS},
        {EINVAL, ERROR_INVALID_PARAMETER},
        {-1, ERROR_INVALID_PARAMETER},
    };
    for (const auto& [err, code] : cases) {
        EXPECT_EQ(WinErrorFromErrno(err), code) << "errno " << err;
    }
}

}  // namespace
