#include "host_info.h"

#include <arpa/inet.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "win_error.h"

namespace {

TEST(HostInfoText, AddressesAreDottedDecimalOneALineInOrderAndLeadingZerosOnlyInHex) {
    std::vector<std::uint32_t> addresses;
    for (const char* text : {"10.0.0.5", "0.0.0.0", "255.255.255.255", "192.168.1.20"}) {
        addresses.push_back(inet_addr(text));
    }
    std::vector<char*> list;
    for (std::uint32_t& address : addresses) {
        list.push_back(reinterpret_cast<char*>(&address));
    }
    list.push_back(nullptr);
    hostent host{};
    host.h_addr_list = list.data();
    CString text;
    AppendHostAddresses(text, nullptr);
    AppendHostAddresses(text, &host);
    EXPECT_EQ(text.str(), "10.0.0.5\n0.0.0.0\n255.255.255.255\n192.168.1.20\n");

    ADAPTER_STATUS status{};
    const UCHAR address[6] = {0x00, 0x50, 0xBA, 0x12, 0xC3, 0x0D};
    std::memcpy(status.adapter_address, address, 6);
    EXPECT_EQ(FormatEthernetNumber(status).str(), "The Ethernet Number is: 0050ba12c30d\n");
}

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path);
    return static_cast<bool>(file << text << std::flush);
}

// Gives the calling process network, host-name and mount namespaces of its own; without root,
// inside a user namespace of its own whose root it is. Returns why not, or "".
std::string Unshare() {
    const int flags = CLONE_NEWNET | CLONE_NEWUTS | CLONE_NEWNS;
    if (unshare(flags) == 0) {
        return "";
    }
    const std::string uid = std::to_string(geteuid()), gid = std::to_string(getegid());
    if (unshare(flags | CLONE_NEWUSER) != 0) {
        return std::string("unshare: ") + std::strerror(errno);
    }
    const bool mapped = WriteFile("/proc/self/setgroups", "deny") &&
                        WriteFile("/proc/self/uid_map", "0 " + uid + " 1") &&
                        WriteFile("/proc/self/gid_map", "0 " + gid + " 1");
    return mapped ? "" : "cannot map the user namespace's root";
}

// Runs body in a child process with namespaces of its own: the host name, /etc/hosts and the
// interfaces that `commands` (for sh) make. Returns its answer; "skip: why" when no namespace
// can be made here. The child gets 20 s, then is killed.
std::string InNamespace(const std::string& hostName, const std::string& hosts,
                        const std::string& commands, const std::function<std::string()>& body) {
    char dirTemplate[] = "/tmp/vandrel-ns-XXXXXX";
    const std::filesystem::path dir = mkdtemp(dirTemplate);
    WriteFile(dir / "hosts", hosts);
    const pid_t pid = fork();
    if (pid == 0) {
        std::string answer = Unshare();
        if (!answer.empty() || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount((dir / "hosts").c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0 ||
            sethostname(hostName.data(), hostName.size()) != 0) {
            answer = "skip: " + (answer.empty() ? std::strerror(errno) : answer);
        } else if (std::system(("set -e\n" + commands).c_str()) != 0) {
            answer = "setup failed: " + commands;
        } else {
            answer = body();
        }
        WriteFile(dir / "answer", answer);
        _exit(0);
    }
    int status = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (pid > 0 && waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::stringstream answer;
    answer << std::ifstream(dir / "answer").rdbuf();
    std::filesystem::remove_all(dir);
    return answer.str().empty() ? "the child gave no answer" : answer.str();
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

std::string Code(UCHAR code) {
    return std::to_string(code) + ";";
}

TEST(GetNetinfo, AdapterZeroIsTheFirstEthernetInterfaceThatIsUp) {
    const std::string result =
        InNamespace("vandrel-test", "", kVethPair + "ip link set dev a up", [] {
            std::string out = GetNetinfoText().str() + GetNetinfoText().str();
            // The codes the program does not meet: a buffer too small, another adapter.
            UCHAR buffer[600] = {};
            NCB ncb{};
            ncb.ncb_command = NCBASTAT;
            ncb.ncb_callname[0] = '*';
            ncb.ncb_buffer = buffer;
            ncb.ncb_length = 59;
            out += Code(Netbios(&ncb));
            ncb.ncb_lana_num = 1;
            ncb.ncb_length = sizeof buffer;
            out += Code(Netbios(&ncb));
            ncb.ncb_lana_num = 0;
            out += Code(Netbios(&ncb));
            out += std::to_string(ncb.ncb_length) + ";" + Code(buffer[8]);
            out += Shell("ip link set dev a down");
            out += "[" + GetNetinfoText().str() + "]";
            out += Shell("ip link del dev a");
            return out + "[" + GetNetinfoText().str() + "]";
        });
    SKIP_WITHOUT_NAMESPACE(result);
    EXPECT_EQ(result,
              "The Ethernet Number is: 0050ba12c30d\n"
              "The Ethernet Number is: 0050ba12c30d\n"
              "1;35;0;60;254;[][]");
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
