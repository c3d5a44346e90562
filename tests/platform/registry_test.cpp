// The machine registry: HKEY_LOCAL_MACHINE read from system.reg.
#include "registry.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "temp_prefix.h"

namespace {

constexpr const char* kCardKey = "SOFTWARE\\Ostrand\\Quellar\\DVB Card 1";

// HKEY_LOCAL_MACHINE from system.reg in a prefix of the test's own; the card probe's own
// cases are in tests/app/diagnostics_test.cpp.
class MachineRegistry : public testing::Test {
protected:
    std::string RegistryFile() const { return m_prefix.m_path + "/system.reg"; }

    // RegOpenKeyA's code for the card's key, asked in a child process so that a read without
    // end or a wait for a writer fails the test instead of filling memory or hanging it: the
    // child may map 256 MiB more than it has and is killed after 5 s.
    static std::string OpenCardKeyInChild() {
        int answer[2];
        if (pipe(answer) != 0) {
            return "no pipe";
        }
        if (fork() == 0) {
            rlim_t pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            const rlim_t most = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (256 << 20);
            const rlimit limit{most, most};
            setrlimit(RLIMIT_AS, &limit);
            sigset_t alarmOnly{};
            sigaddset(&alarmOnly, SIGALRM);
            sigprocmask(SIG_UNBLOCK, &alarmOnly, nullptr);
            signal(SIGALRM, SIG_DFL);
            alarm(5);
            std::string code = "threw";  // caught here: gtest would go on in the child
            try {
                HKEY key = nullptr;
                code = std::to_string(RegOpenKeyA(HKEY_LOCAL_MACHINE, kCardKey, &key));
            } catch (...) {
            }
            (void)!write(answer[1], code.data(), code.size());
            _exit(0);
        }
        close(answer[1]);
        char buffer[64];
        const ssize_t n = read(answer[0], buffer, sizeof buffer);  // 0 once the child is gone
        close(answer[0]);
        wait(nullptr);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "killed";
    }

    TempPrefix m_prefix;
};

TEST_F(MachineRegistry, KeysOpenByAnyCaseWithTheirParentsAndValuesCopyOut) {
    std::ofstream(RegistryFile())
        << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\DVB Card 1]\n\"V\"=\"abc\"\n";
    HKEY key = nullptr;
    for (const char* path : {"SOFTWARE\\Ostr", "\\SOFTWARE", "SOFTWARE\\", "SOFTWARE\\\\Ostrand"}) {
        EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key), ERROR_FILE_NOT_FOUND) << path;
    }
    for (const char* path : {"SOFTWARE", "software\\OSTRAND"}) {
        ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS) << path;
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ostrand\\DVB Card 1", &key),
              ERROR_SUCCESS);
    DWORD type = 0, size = 3;
    char text[4] = {};
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
              ERROR_MORE_DATA);
    EXPECT_TRUE(size == 4 && type == REG_SZ);
    EXPECT_STREQ(text, "") << "a short buffer is left alone";
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
}

// Only a regular export is read: a device would be read without end, a FIFO with no writer
// would hold the window until one came, and a file larger than any export (sparse here) is
// refused before a byte is read.
TEST_F(MachineRegistry, WhatIsNoRegularExportIsRefusedAtOnce) {
    const std::string path = RegistryFile();
    const std::pair<std::function<bool()>, DWORD> cases[] = {
        {[&] { return symlink("/dev/zero", path.c_str()) == 0; }, ERROR_NOT_SUPPORTED},
        {[&] { return mkfifo(path.c_str(), 0600) == 0; }, ERROR_NOT_SUPPORTED},
        {[&] {
             std::ofstream{path};
             return truncate(path.c_str(), (1LL << 30) + 1) == 0;
         },
         ERROR_BADDB},
    };
    for (const auto& [make, code] : cases) {
        unlink(path.c_str());
        ASSERT_TRUE(make()) << code;
        EXPECT_EQ(OpenCardKeyInChild(), std::to_string(code));
    }
}

}  // namespace
