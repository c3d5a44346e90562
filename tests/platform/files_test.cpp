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
    void TearDown() override { setenv("HOME", m_home.c_str(), 1); }
    TempPrefix m_prefix;
    const std::string m_root = m_prefix.m_path;
    const std::string m_home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
};

// The sharing of an open file is the unicast capture's test's (tests/capture).
TEST_F(Files, AMissingFileOrFolderIsNotFoundAndNothingIsMade) {
    const auto error = [](const char* path, DWORD disposition) {
        const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr);
        return file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    };
    EXPECT_EQ(error("d:\\missing.ts", OPEN_EXISTING), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(error("c:\\LOG\\x.log", CREATE_ALWAYS), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(fs::exists(m_root + "/drives/c/LOG"));
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
    // A prefix of another user's is the captures' test's.
    EXPECT_NE(MapDrivePath("d:\\x", mapped), ERROR_SUCCESS) << "an uncreatable drive folder";
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

// Held by another, the program's own name refuses a start: the application's test's.
TEST_F(Files, ANamedMutexWithoutARuntimeFolderTakesAPrivateFolderUnderTmp) {
    unsetenv("XDG_RUNTIME_DIR");
    const std::string name = "fallback " + std::to_string(getpid());
    EXPECT_NE(CreateMutexA(nullptr, TRUE, name.c_str()), nullptr);
    const std::string folder = "/tmp/named-mutex-" + std::to_string(getuid());
    EXPECT_EQ(fs::status(folder).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);
    fs::remove(folder + "/" + name + ".mutex");
}

}  // namespace
