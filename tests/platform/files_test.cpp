#include "files.h"

#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "temp_prefix.h"
#include "win_error.h"

namespace fs = std::filesystem;

namespace {

class Files : public testing::Test {
protected:
    std::string Contents() const { return ReadFile(m_root + "/drives/d/a.ts"); }
    static HANDLE OpenForWriting(DWORD share) {
        return CreateFileA("d:\\A.ts", GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    TempPrefix m_prefix;
    const std::string m_root = m_prefix.m_path;
};

TEST_F(Files, WithoutSharingASecondOpenFailsAndLeavesTheFileAlone) {
    fs::create_directories(m_root + "/drives/d");
    std::ofstream(m_root + "/drives/d/a.ts") << "old contents";
    const HANDLE first = OpenForWriting(0);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Contents(), "");
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(first, "abc", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);

    SetLastError(0);
    EXPECT_EQ(OpenForWriting(FILE_SHARE_READ | FILE_SHARE_WRITE), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Contents(), "abc");

    ASSERT_TRUE(CloseHandle(first));
    const HANDLE again = OpenForWriting(0);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Contents(), "");
    CloseHandle(again);
}

TEST_F(Files, FailuresCarryWindowsCodes) {
    EXPECT_EQ(CreateFileA("d:\\missing.ts", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(CreateFileA("c:\\LOG\\SendCommand.log", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(fs::exists(m_root + "/drives/c/LOG"));
    EXPECT_EQ(CreateFileA("ReceivedUDP.ts", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    DWORD written = 7;
    EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(written, 0u);
}

TEST_F(Files, AGatheredWriteThatFailsLeavesWholeWritesOnly) {
    const HANDLE file =
        CreateFileA("d:\\a.ts", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string a(1500, 'x');
    std::string b(1500, 'y');
    std::string empty;
    std::vector<iovec> vectors = {{empty.data(), 0}, {a.data(), a.size()}, {b.data(), b.size()}};
    ASSERT_TRUE(WriteFileVectors(file, vectors.data(), 3));

    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 4000;  // the second write stops part of the way in
    setrlimit(RLIMIT_FSIZE, &limit);
    vectors = {{a.data(), a.size()}, {b.data(), b.size()}};
    SetLastError(0);
    EXPECT_FALSE(WriteFileVectors(file, vectors.data(), 2));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    setrlimit(RLIMIT_FSIZE, &saved);

    std::string c(10, 'z');
    vectors = {{c.data(), c.size()}};
    ASSERT_TRUE(WriteFileVectors(file, vectors.data(), 1));
    CloseHandle(file);
    EXPECT_TRUE(Contents() == a + b + c);
}

}  // namespace
