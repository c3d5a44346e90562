#include "threads.h"

#include <gtest/gtest.h>

#include <atomic>

#include "files.h"
#include "win_error.h"

namespace {

std::atomic<bool> g_release{false};

DWORD WaitForRelease(LPVOID lpParameter) {
    g_release.wait(false);
    return *static_cast<DWORD*>(lpParameter);
}

TEST(Threads, AHandleIsWaitedForGivesTheExitCodeAndMayBeClosedFirst) {
    static DWORD code = 42;
    DWORD exitCode = 0;
    const HANDLE h = CreateThread(nullptr, 0, WaitForRelease, &code, 0, nullptr);
    EXPECT_TRUE(GetExitCodeThread(h, &exitCode) && exitCode == STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(h, 20), WAIT_TIMEOUT);
    // Closing the handle leaves the thread running to its end.
    EXPECT_TRUE(CloseHandle(CreateThread(nullptr, 64 * 1024, WaitForRelease, &code, 0, nullptr)));
    g_release = true;
    g_release.notify_all();
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(h, &exitCode) && exitCode == 42 && CloseHandle(h));
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
