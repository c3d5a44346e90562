// The machine registry: HKEY_LOCAL_MACHINE read from system.reg.
#include "registry.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
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

    // How a child process that opens the card's key ends: "exit 0" when RegOpenKeyA gave code.
    // A child, so that a read without end or a wait for a writer fails the test instead of
    // filling memory or hanging it: it may map 256 MiB more than it has and dies after 5 s.
    static std::string OpenCardKeyInChild(LONG code) {
        const pid_t pid = fork();
        if (pid == 0) {
            rlim_t pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            const rlim_t most = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (256 << 20);
            const rlimit limit{most, most};
            setrlimit(RLIMIT_AS, &limit);
            signal(SIGALRM, SIG_DFL);
            alarm(5);
            try {
                HKEY key = nullptr;
                _exit(RegOpenKeyA(HKEY_LOCAL_MACHINE, kCardKey, &key) == code ? 0 : 1);
            } catch (...) {
                _exit(2);  // not to gtest, which would go on in the child
            }
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid) {
            return "no child";
        }
        return WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                                 : std::string("killed by ") + strsignal(WTERMSIG(status));
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
}

// Only a regular export is read: a device would be read without end, a FIFO with no writer
// would hold the window until one came, and a file larger than any export (sparse here) is
// refused before a byte is read.
TEST_F(MachineRegistry, WhatIsNoRegularExportIsRefusedAtOnce) {
    const std::string path = RegistryFile();
    const std::pair<std::function<bool()>, LONG> cases[] = {
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
        EXPECT_EQ(OpenCardKeyInChild(code), "exit 0") << code;
    }
}

}  // namespace
