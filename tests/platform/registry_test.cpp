// The machine registry: HKEY_LOCAL_MACHINE read from system.reg.
#include "registry.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
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

    // Opens the card's key in a child process, so that a probe that reads without end or
    // waits for a writer fails the test instead of filling memory or hanging it: the child may
    // map 256 MiB more than it has and is killed after 5 s. Returns "code N" with RegOpenKeyA's
    // result, or how the child died.
    std::string OpenCardKeyInChild() const {
        int answer[2];
        if (pipe(answer) != 0) {
            return "no pipe";
        }
        const pid_t pid = fork();
        if (pid == 0) {
            unsigned long long pages = 0;
            if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
                (void)!std::fscanf(statm, "%llu", &pages);
                std::fclose(statm);
            }
            const rlim_t mapped = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
            const rlimit limit{mapped + (256 << 20), mapped + (256 << 20)};
            setrlimit(RLIMIT_AS, &limit);
            sigset_t alarmOnly;
            sigemptyset(&alarmOnly);
            sigaddset(&alarmOnly, SIGALRM);
            sigprocmask(SIG_UNBLOCK, &alarmOnly, nullptr);
            signal(SIGALRM, SIG_DFL);
            alarm(5);
            std::string out;
            try {
                HKEY key = nullptr;
                out = "code " + std::to_string(RegOpenKeyA(HKEY_LOCAL_MACHINE, kCardKey, &key));
            } catch (const std::exception& e) {
                out = std::string("threw ") + e.what();  // gtest would go on in the child
            }
            (void)!write(answer[1], out.data(), out.size());
            _exit(0);
        }
        close(answer[1]);
        char buffer[256];
        const ssize_t n = read(answer[0], buffer, sizeof buffer);
        close(answer[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFSIGNALED(status)) {
            return std::string("killed by ") + strsignal(WTERMSIG(status));
        }
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n))
                     : "no answer, exit status " + std::to_string(WEXITSTATUS(status));
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
        EXPECT_EQ(OpenCardKeyInChild(), "code " + std::to_string(code));
    }
}

}  // namespace
