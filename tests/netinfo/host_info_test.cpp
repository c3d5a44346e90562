#include "host_info.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>

#include "network_namespace.h"
#include "temp_prefix.h"
#include "win_error.h"

namespace {

// Runs body in a child with network, host-name and mount namespaces of its own (inside a user
// namespace whose root it is, without root): the host name, /etc/hosts and the interfaces that
// `commands` (for sh) make. Returns its answer, or "skip: why". The child has 20 s.
std::string InNamespace(const std::string& hostName, const std::string& hosts,
                        const std::string& commands, const std::function<std::string()>& body) {
    const TempPrefix folder;
    const std::string hostsFile = folder.m_path + "/hosts";
    std::ofstream(hostsFile) << hosts;
    int answer[2];
    EXPECT_EQ(pipe(answer), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(20);
        std::string out = UnshareAsRoot(CLONE_NEWNET | CLONE_NEWUTS | CLONE_NEWNS);
        if (!out.empty()) {
            out = "skip: no namespaces: " + out;
        } else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                   mount(hostsFile.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0 ||
                   sethostname(hostName.data(), hostName.size()) != 0) {
            out = std::string("skip: ") + std::strerror(errno);
        } else {
            out = std::system(("set -e\n" + commands).c_str()) == 0 ? body() : "setup failed";
        }
        (void)!write(answer[1], out.data(), out.size());
        _exit(0);
    }
    close(answer[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(answer[0], buffer, sizeof buffer)) > 0;) {
        out.append(buffer, static_cast<size_t>(n));
    }
    close(answer[0]);
    waitpid(pid, nullptr, 0);
    return out.empty() ? "the child gave no answer" : out;
}

#define SKIP_WITHOUT_NAMESPACE(result)      \
    if ((result).rfind("skip: ", 0) == 0) { \
        GTEST_SKIP() << (result);           \
    }

// An interface of the namespace's own, as a user's network card: the veth end "a" with a
// known hardware address. Its peer "b" comes first in the kernel's order but stays down.
const std::string kVethPair =
    "ip link set dev lo up\n"
    "ip link add name a type veth peer name b\n"
    "ip link set dev a address 00:50:ba:12:c3:0d\n";

// Empty when the command worked, so a failed step shows in the compared text.
std::string Shell(const char* command) {
    return std::system(command) == 0 ? "" : std::string("(failed: ") + command + ")";
}

TEST(GetNetinfo, AdapterZeroIsTheFirstEthernetInterfaceThatIsUp) {
    const std::string result =
        InNamespace("vandrel-test", "", kVethPair + "ip link set dev a up", [] {
            std::string out = GetNetinfoText().str() + GetNetinfoText().str();
            out += Shell("ip link set dev a down");  // a statement a step, to keep their order
            out += "[" + GetNetinfoText().str() + "]";
            out += Shell("ip link del dev a");
            return out + "[" + GetNetinfoText().str() + "]";
        });
    SKIP_WITHOUT_NAMESPACE(result);
    EXPECT_EQ(result,
              "The Ethernet Number is: 0050ba12c30d\n"
              "The Ethernet Number is: 0050ba12c30d\n"
              "[][]");
}

std::string Lookup(const char* name) {
    CString text;
    const hostent* host = gethostbyname(name);
    AppendHostAddresses(text, host);
    // Which code depends on whether a name server can be asked from the namespace.
    return host != nullptr ? text.str() : GetLastError() != 0 ? "error\n" : "no code\n";
}

TEST(GetAllIp, OwnNameGivesTheAddressesOfTheInterfacesThatAreUp) {
    // The hosts file maps the own name elsewhere, as Debian's does to 127.0.1.1.
    const std::string hosts =
        "127.0.0.1 localhost\n127.0.1.1 vandrel-test\n"
        "198.51.100.7 stream-server\n198.51.100.7 stream-server\n";
    const std::string commands = kVethPair +
                                 "ip addr add 192.0.2.9/24 dev b\n"
                                 "ip addr add 192.0.2.5/24 dev a\n"
                                 "ip addr add 198.51.100.5/24 dev a\n"
                                 "ip link set dev a up\n";
    const std::string result = InNamespace("Vandrel-Test", hosts, commands, [] {
        std::string out = GetAllIpText().str() + "--\n" + Lookup("VANDREL-test") + "--\n" +
                          Lookup("stream-server") + Lookup("localhost") + Lookup("no-such-host");
        out += Shell("ip link set dev a down");
        return out + "--\n" + GetAllIpText().str();
    });
    SKIP_WITHOUT_NAMESPACE(result);
    EXPECT_EQ(result,
              "192.0.2.5\n198.51.100.5\n--\n"
              "192.0.2.5\n198.51.100.5\n--\n"
              "198.51.100.7\n127.0.0.1\nerror\n--\n"
              "127.0.0.1\n");
}

}  // namespace
