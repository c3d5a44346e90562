// The file system: files, the drives' folders under the prefix, and the named mutex.
#include "files.h"

#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "drive_paths.h"
#include "named_mutex.h"
#include "temp_prefix.h"
#include "wait.h"
#include "win_error.h"

namespace fs = std::filesystem;

namespace {

class Files : public testing::Test {
protected:
    void TearDown() override { setenv("HOME", m_home.c_str(), 1); }
    std::string Contents() const { return ReadFile(m_root + "/drives/d/a.ts"); }
    static HANDLE Open(const char* path, DWORD share = 0, DWORD disposition = CREATE_ALWAYS,
                       DWORD access = GENERIC_WRITE) {
        return CreateFileA(path, access, share, nullptr, disposition, 0, nullptr);
    }
    TempPrefix m_prefix;
    const std::string m_root = m_prefix.m_path;
    const std::string m_home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
};

TEST_F(Files, WithoutSharingASecondOpenFailsAndLeavesTheFileAlone) {
    fs::create_directories(m_root + "/drives/d");
    std::ofstream(m_root + "/drives/d/a.ts") << "old contents";
    const HANDLE first = Open("d:\\A.ts");
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Contents(), "");
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(first, "abc", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(Open("d:\\A.ts", FILE_SHARE_READ | FILE_SHARE_WRITE), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Contents(), "abc");
    ASSERT_TRUE(CloseHandle(first));
    ASSERT_TRUE(CloseHandle(Open("d:\\A.ts")));
    EXPECT_EQ(Contents(), "");
}

TEST_F(Files, FailuresCarryWindowsCodes) {
    EXPECT_EQ(Open("d:\\missing.ts", 0, OPEN_EXISTING, GENERIC_READ), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open("c:\\LOG\\SendCommand.log", FILE_SHARE_WRITE, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(fs::exists(m_root + "/drives/c/LOG"));
    EXPECT_EQ(Open("ReceivedUDP.ts"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    DWORD written = 7;
    EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(written, 0u);
}

TEST_F(Files, AGatheredWriteThatFailsOnAFullDiskLeavesWholeWritesOnly) {
    const HANDLE file = Open("d:\\a.ts");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string a(1500, 'x'), b(1500, 'y'), c(10, 'z');
    iovec vectors[] = {{c.data(), 0}, {a.data(), a.size()}, {b.data(), b.size()}};
    ASSERT_TRUE(WriteFileVectors(file, vectors, 3));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{4000, saved.rlim_max};  // the second write stops part of the way in
    setrlimit(RLIMIT_FSIZE, &limit);           // (SIGXFSZ is ignored, as in the program)
    EXPECT_FALSE(WriteFileVectors(file, vectors + 1, 2));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    setrlimit(RLIMIT_FSIZE, &saved);
    vectors[0].iov_len = c.size();
    ASSERT_TRUE(WriteFileVectors(file, vectors, 1));
    CloseHandle(file);
    EXPECT_TRUE(Contents() == a + b + c);
}

TEST_F(Files, ADriveIsAFolderOfThePrefixWhoseNamesMatchWhateverTheirCase) {
    fs::create_directories(m_root + "/drives/c/LOG");
    std::ofstream(m_root + "/drives/c/LOG/SendCommand.log") << "x";
    const std::pair<const char*, std::string> cases[] = {
        {"d:\\ReceivedUDP.ts", "/drives/d/ReceivedUDP.ts"},
        {"D:/x/../y/./z.bin", "/drives/d/y/z.bin"},
        {"C:\\log\\sendcommand.LOG", "/drives/c/LOG/SendCommand.log"},
        {"c:\\Log\\New.txt", "/drives/c/LOG/New.txt"},
    };
    std::string mapped;
    for (const auto& [drivePath, path] : cases) {
        EXPECT_EQ(MapDrivePath(drivePath, mapped), ERROR_SUCCESS);
        EXPECT_EQ(mapped, m_root + path);
    }
    EXPECT_TRUE(fs::is_directory(m_root + "/drives/d")) << "created on first use";
    EXPECT_EQ(MapDrivePath("ReceivedUDP.ts", mapped), ERROR_PATH_NOT_FOUND);
    setenv("VANDREL_PREFIX", "/proc/no-such-prefix", 1);
    EXPECT_NE(MapDrivePath("d:\\x", mapped), ERROR_SUCCESS) << "an uncreatable drive folder";
}

TEST_F(Files, ThePrefixIsTheUsersOwnDataFolderNeverTmpNorAnotherUsers) {
    setenv("VANDREL_PREFIX", "/", 1);  // root's
    if (geteuid() == 0) {
        ASSERT_EQ(chown(m_root.c_str(), 65534, 65534), 0);
        setenv("VANDREL_PREFIX", m_root.c_str(), 1);
    }
    EXPECT_TRUE(IsPrefixFolderForeign());
    std::string path;
    EXPECT_EQ(MapDrivePath("d:\\ReceivedUDP.ts", path), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(fs::exists(m_root + "/drives"));

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

// A process that has taken `name` when this returns, then holds on or starts a program.
pid_t Holder(const char* name, bool startsProgram) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        const char took = Take(name) == ERROR_SUCCESS ? '1' : '0';
        (void)!write(ready[1], &took, 1);
        if (startsProgram) {
            execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        }
        pause();
        _exit(0);
    }
    close(ready[1]);  // a child that dies unheard ends the read
    char took = 0;
    EXPECT_EQ(read(ready[0], &took, 1), 1);
    EXPECT_EQ(took, '1');
    close(ready[0]);
    return child;
}

void Stop(pid_t child) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

TEST_F(Files, ANamedMutexIsHeldByItsFirstTakerUntilItEndsButNotByAProgramItStarts) {
    setenv("XDG_RUNTIME_DIR", m_root.c_str(), 1);
    EXPECT_EQ(Take("Vandrel net traffic"), ERROR_SUCCESS);
    EXPECT_EQ(Take("Vandrel net traffic"), ERROR_ALREADY_EXISTS);
    // Other names are free, and unnamed mutexes share nothing.
    for (const char* name : {"another name", "", static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(Take(name), ERROR_SUCCESS);
    }
    EXPECT_EQ(Take("Global/odd/name"), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(m_root + "/Global_odd_name.mutex")) << "one file";

    const pid_t holder = Holder("held elsewhere", false);
    EXPECT_EQ(Take("held elsewhere"), ERROR_ALREADY_EXISTS);
    Stop(holder);
    EXPECT_EQ(Take("held elsewhere"), ERROR_SUCCESS) << "the kernel released it with the process";
    const pid_t starter = Holder("not inherited", true);
    EXPECT_TRUE(WaitUntil([] { return Take("not inherited") == ERROR_SUCCESS; }));
    Stop(starter);
    unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(Files, ANamedMutexFailsInAnUnusableFolderAndWithoutOneTakesAPrivateFolderUnderTmp) {
    setenv("XDG_RUNTIME_DIR", (m_root + "/missing").c_str(), 1);
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, "Vandrel net traffic"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << "not ERROR_ALREADY_EXISTS";
    unsetenv("XDG_RUNTIME_DIR");
    const std::string name = "fallback " + std::to_string(getpid());
    EXPECT_EQ(Take(name.c_str()), ERROR_SUCCESS);
    const std::string folder = "/tmp/named-mutex-" + std::to_string(getuid());
    EXPECT_EQ(fs::status(folder).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);
    fs::remove(folder + "/" + name + ".mutex");
}

}  // namespace
