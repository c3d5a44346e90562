#include "named_mutex.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "win_error.h"

namespace {

class NamedMutexTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/named-mutex-test-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        setenv("XDG_RUNTIME_DIR", folder, 1);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    // A process that holds `name` until killed, started and holding when this returns.
    pid_t HoldInOtherProcess(const char* name) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            const bool took =
                CreateMutexA(nullptr, TRUE, name) != nullptr && GetLastError() == ERROR_SUCCESS;
            const char byte = took ? '1' : '0';
            (void)!write(ready[1], &byte, 1);
            pause();
            _exit(0);
        }
        char byte = 0;
        EXPECT_EQ(read(ready[0], &byte, 1), 1);
        EXPECT_EQ(byte, '1');
        close(ready[0]);
        close(ready[1]);
        return child;
    }

    static void Stop(pid_t child) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }

    std::string m_folder;
};

TEST_F(NamedMutexTest, FirstHolderTakesTheNameAndEveryLaterOneSeesItExists) {
    ASSERT_NE(CreateMutexA(nullptr, TRUE, "Vandrel net traffic"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_NE(CreateMutexA(nullptr, TRUE, "Vandrel net traffic"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    // Other names are free, and unnamed mutexes share nothing.
    for (const char* name : {"another name", "", static_cast<const char*>(nullptr), ""}) {
        EXPECT_NE(CreateMutexA(nullptr, TRUE, name), nullptr);
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    }
}

TEST_F(NamedMutexTest, AnotherProcessHoldsTheNameUntilItEnds) {
    const pid_t holder = HoldInOtherProcess("held elsewhere");
    EXPECT_NE(CreateMutexA(nullptr, FALSE, "held elsewhere"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    Stop(holder);
    // The kernel released the lock with the process.
    EXPECT_NE(CreateMutexA(nullptr, TRUE, "held elsewhere"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

// A program that starts another one must not pass its hold on.
TEST_F(NamedMutexTest, TheHoldDoesNotPassToAProgramItStarts) {
    const pid_t child = fork();
    if (child == 0) {
        CreateMutexA(nullptr, TRUE, "not inherited");
        execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    bool took = false;
    while (!took && std::chrono::steady_clock::now() < deadline) {
        took = CreateMutexA(nullptr, TRUE, "not inherited") != nullptr &&
               GetLastError() == ERROR_SUCCESS;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(took);
    Stop(child);
}

TEST_F(NamedMutexTest, SlashesInTheNameStayInOneFile) {
    ASSERT_NE(CreateMutexA(nullptr, TRUE, "Global/odd/name"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(m_folder + "/Global_odd_name.mutex"));
}

TEST_F(NamedMutexTest, UnusableFolderFailsWithACodeOtherThanAlreadyExists) {
    setenv("XDG_RUNTIME_DIR", (m_folder + "/missing").c_str(), 1);
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, "Vandrel net traffic"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(NamedMutexTest, WithoutRuntimeFolderAPrivateFolderUnderTmpIsUsed) {
    unsetenv("XDG_RUNTIME_DIR");
    const std::string name = "fallback " + std::to_string(getpid());
    ASSERT_NE(CreateMutexA(nullptr, TRUE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    const std::string folder = "/tmp/named-mutex-" + std::to_string(getuid());
    const auto status = std::filesystem::status(folder);
    EXPECT_EQ(status.permissions() & std::filesystem::perms::group_all,
              std::filesystem::perms::none);
    EXPECT_EQ(status.permissions() & std::filesystem::perms::others_all,
              std::filesystem::perms::none);
    std::filesystem::remove(folder + "/" + name + ".mutex");
}

}  // namespace
