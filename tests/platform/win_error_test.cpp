#include "win_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

namespace {

TEST(WinErrorFromErrno, MapsEachErrnoToItsWindowsTwin) {
    const std::pair<int, DWORD> cases[] = {
        {0, ERROR_SUCCESS},
        {ENOENT, ERROR_FILE_NOT_FOUND},
        {ENOTDIR, ERROR_PATH_NOT_FOUND},
        {EACCES, ERROR_ACCESS_DENIED},
        {EPERM, ERROR_ACCESS_DENIED},
        {EISDIR, ERROR_ACCESS_DENIED},
        {EROFS, ERROR_ACCESS_DENIED},
        {EBADF, ERROR_INVALID_HANDLE},
        {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
        {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
        {ENOSPC, ERROR_DISK_FULL},
        {EFBIG, ERROR_DISK_FULL},
        {EDQUOT, ERROR_DISK_FULL},
        {EEXIST, ERROR_ALREADY_EXISTS},
        {EINVAL, ERROR_INVALID_PARAMETER},
        {ENAMETOOLONG, ERROR_INVALID_PARAMETER},
        {EPIPE, ERROR_INVALID_PARAMETER},
        {-1, ERROR_INVALID_PARAMETER},
    };
    for (const auto& [err, code] : cases) {
        EXPECT_EQ(WinErrorFromErrno(err), code) << "errno " << err;
    }
}

TEST(LastError, IsPerThread) {
    SetLastError(ERROR_MORE_DATA);
    DWORD seenByOther = 1;
    std::thread([&] { seenByOther = GetLastError(); }).join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
}

}  // namespace
