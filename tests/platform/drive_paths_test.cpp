#include "drive_paths.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "temp_prefix.h"

namespace fs = std::filesystem;

namespace {

class DrivePaths : public testing::Test {
protected:
    TempPrefix m_prefix;
    const std::string m_root = m_prefix.m_path;
};

TEST_F(DrivePaths, ADriveIsAFolderOfThePrefixCreatedOnFirstUse) {
    std::string path;
    ASSERT_EQ(MapDrivePath("d:\\ReceivedUDP.ts", path), ERROR_SUCCESS);
    EXPECT_EQ(path, m_root + "/drives/d/ReceivedUDP.ts");
    EXPECT_TRUE(fs::is_directory(m_root + "/drives/d"));
    ASSERT_EQ(MapDrivePath("D:/x/../y/./z.bin", path), ERROR_SUCCESS);
    EXPECT_EQ(path, m_root + "/drives/d/y/z.bin");
    EXPECT_EQ(MapDrivePath("ReceivedUDP.ts", path), ERROR_PATH_NOT_FOUND);
}

TEST_F(DrivePaths, ExistingComponentsMatchWhateverTheirCase) {
    fs::create_directories(m_root + "/drives/c/LOG");
    std::ofstream(m_root + "/drives/c/LOG/SendCommand.log") << "x";
    std::string path;
    ASSERT_EQ(MapDrivePath("C:\\log\\sendcommand.LOG", path), ERROR_SUCCESS);
    EXPECT_EQ(path, m_root + "/drives/c/LOG/SendCommand.log");
    ASSERT_EQ(MapDrivePath("c:\\Log\\New.txt", path), ERROR_SUCCESS);
    EXPECT_EQ(path, m_root + "/drives/c/LOG/New.txt");
}

TEST_F(DrivePaths, ThePrefixFallsBackToTheUsersDataFolder) {
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    unsetenv("VANDREL_PREFIX");
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(GetPrefixFolder(), "/data/home/vandrel");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(GetPrefixFolder(), "/home/someone/.local/share/vandrel");
    setenv("HOME", home.c_str(), 1);
}

TEST_F(DrivePaths, WithoutHomeThePasswordDatabaseGivesTheHomeFolderNeverTmp) {
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    unsetenv("VANDREL_PREFIX");
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    const passwd* user = getpwuid(geteuid());
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(GetPrefixFolder(), std::string(user->pw_dir) + "/.local/share/vandrel");
    setenv("HOME", home.c_str(), 1);
}

TEST_F(DrivePaths, APrefixFolderOfAnotherUserIsRefused) {
    std::string path;
    setenv("VANDREL_PREFIX", "/", 1);  // root's
    if (geteuid() == 0) {
        ASSERT_EQ(chown(m_root.c_str(), 65534, 65534), 0);
        setenv("VANDREL_PREFIX", m_root.c_str(), 1);
    }
    EXPECT_TRUE(IsPrefixFolderForeign());
    EXPECT_EQ(MapDrivePath("d:\\ReceivedUDP.ts", path), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(fs::exists(m_root + "/drives"));
}

TEST_F(DrivePaths, AnUncreatableDriveFolderGivesItsCode) {
    setenv("VANDREL_PREFIX", "/proc/no-such-prefix", 1);
    std::string path;
    EXPECT_NE(MapDrivePath("d:\\x", path), ERROR_SUCCESS);
}

}  // namespace
