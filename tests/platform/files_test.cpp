// The file system: files, the drives' folders under the prefix, and the named mutex.
#include "files.h"

#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "drive_paths.h"
#include "named_mutex.h"
#include "temp_prefix.h"
#include "win_error.h"

namespace fs = std::filesystem;

namespace {

class Files : public testing::Test {
protected:
    void TearDown() override {
        setenv("HOME", m_home.c_str(), 1);
        unsetenv("XDG_RUNTIME_DIR");
    }
    static HANDLE Open(const char* path, DWORD share = 0, DWORD disposition = CREATE_ALWAYS,
                       DWORD access = GENERIC_WRITE) {
        return CreateFileA(path, access, share, nullptr, disposition, 0, nullptr);
    }
    static DWORD Error(HANDLE file) {
        return file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    }
    TempPrefix m_prefix;
    const std::string m_root = m_prefix.m_path;
    const std::string m_home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
};

TEST_F(Files, ASecondOpenFailsAsASharingViolationAndLeavesTheOpenFileAlone) {
    const HANDLE first = Open("d:\\a.ts");
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(first, "abc", 3, &written, nullptr) && written == 3);
    EXPECT_EQ(Error(Open("D:\\A.TS", FILE_SHARE_READ | FILE_SHARE_WRITE)), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(ReadFile(m_root + "/drives/d/a.ts"), "abc") << "not emptied by the failed open";
    ASSERT_TRUE(CloseHandle(first));
    EXPECT_EQ(Error(Open("d:\\missing.ts", 0, OPEN_EXISTING, GENERIC_READ)), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Error(Open("c:\\LOG\\x.log", 0, OPEN_EXISTING)), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(fs::exists(m_root + "/drives/c/LOG"));
    EXPECT_EQ(Error(Open("ReceivedUDP.ts")), ERROR_PATH_NOT_FOUND);
    written = 7;
    EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(written, 0u);
}

TEST_F(Files, ADriveIsAFolderOfTheUsersOwnPrefixWhoseNamesMatchWhateverTheirCase) {
    fs::create_directories(m_root + "/drives/c/LOG");
    std::ofstream(m_root + "/drives/c/LOG/SendCommand.log") << "x";
    const std::pair<const char*, std::string> cases[] = {
        {"E:/x/../y/./z.bin", "/drives/e/y/z.bin"},
        {"C:\\log\\sendcommand.LOG", "/drives/c/LOG/SendCommand.log"},
        {"c:\\Log\\New.txt", "/drives/c/LOG/New.txt"},
    };
    std::string mapped;
    for (const auto& [drivePath, path] : cases) {
        EXPECT_EQ(MapDrivePath(drivePath, mapped), ERROR_SUCCESS);
        EXPECT_EQ(mapped, m_root + path);
    }
    EXPECT_EQ(MapDrivePath("ReceivedUDP.ts", mapped), ERROR_PATH_NOT_FOUND);
    setenv("VANDREL_PREFIX", "/proc/no-such-prefix", 1);
    EXPECT_NE(MapDrivePath("d:\\x", mapped), ERROR_SUCCESS) << "an uncreatable drive folder";
    setenv("VANDREL_PREFIX", "/", 1);  // root's, never written by another user
    if (geteuid() == 0) {
        ASSERT_EQ(chown(m_root.c_str(), 65534, 65534), 0);
        setenv("VANDREL_PREFIX", m_root.c_str(), 1);
    }
    EXPECT_EQ(MapDrivePath("d:\\ReceivedUDP.ts", mapped), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(fs::exists(m_root + "/drives/d"));

    unsetenv("VANDREL_PREFIX");
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(GetPrefixFolder(), "/data/home/vandrel");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(GetPrefixFolder(), "/home/someone/.local/share/vandrel");
    unsetenv("HOME");  // the password database's home
    EXPECT_EQ(GetPrefixFolder(),
              std::string(getpwuid(geteuid())->pw_dir) + "/.local/share/vandrel");
}

DWORD Take(const char* name) {
    return CreateMutexA(nullptr, TRUE, name) != nullptr ? GetLastError() : ~DWORD{0};
}

TEST_F(Files, ANamedMutexIsHeldByItsTakerAndOtherNamesAreFree) {
    setenv("XDG_RUNTIME_DIR", m_root.c_str(), 1);
    EXPECT_EQ(Take("Vandrel net traffic"), ERROR_SUCCESS);
    EXPECT_EQ(Take("Vandrel net traffic"), ERROR_ALREADY_EXISTS);
    for (const char* name : {"Global/odd/name", "", static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(Take(name), ERROR_SUCCESS) << "other names are free, unnamed ones share nothing";
    }
    EXPECT_TRUE(fs::exists(m_root + "/Global_odd_name.mutex")) << "one file";
}

TEST_F(Files, ANamedMutexWithoutARuntimeFolderTakesAPrivateFolderUnderTmp) {
    unsetenv("XDG_RUNTIME_DIR");
    const std::string name = "fallback " + std::to_string(getpid());
    EXPECT_EQ(Take(name.c_str()), ERROR_SUCCESS);
    const std::string folder = "/tmp/named-mutex-" + std::to_string(getuid());
    EXPECT_EQ(fs::status(folder).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);
    fs::remove(folder + "/" + name + ".mutex");
}

}  // namespace
