#include "host_info.h"

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "network_namespace.h"
#include "temp_prefix.h"

namespace {

[[maybe_unused]] const bool kOwnNetwork = RunInNetworkNamespace("HostInfo");

// In a network namespace of the test's own, with a host name of its own that its own /etc/hosts
// maps elsewhere, as Debian's does. The veth end "a" with a known hardware address is a user's
// network card; its peer "b" comes first in the kernel's order.
class HostInfo : public testing::Test {
protected:
    void SetUp() override {
        if (!WhyNoNetworkNamespace().empty()) {
            GTEST_SKIP() << WhyNoNetworkNamespace();
        }
        const std::string hosts = m_prefix.m_path + "/hosts";
        std::ofstream(hosts) << "127.0.0.1 localhost\n127.0.1.1 vandrel-test\n";
        ASSERT_EQ(UnshareAsRoot(CLONE_NEWUTS | CLONE_NEWNS), "");
        ASSERT_EQ(mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
        ASSERT_EQ(mount(hosts.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr), 0);
        ASSERT_EQ(sethostname("Vandrel-Test", 12), 0);
        Shell(
            "ip link add name a type veth peer name b && ip link set dev a address "
            "00:50:ba:12:c3:0d && ip link set dev a up");
    }
    // For the next test in this process.
    void TearDown() override {
        umount("/etc/hosts");
        Shell("ip link del dev a 2>/dev/null || true");
    }
    static void Shell(const std::string& command) {
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    const TempPrefix m_prefix;
};

TEST_F(HostInfo, NetinfoGivesAdapterZeroTheFirstEthernetInterfaceThatIsUp) {
    EXPECT_EQ(GetNetinfoText().str(), "The Ethernet Number is: 0050ba12c30d\n");
    EXPECT_EQ(GetNetinfoText().str(), "The Ethernet Number is: 0050ba12c30d\n") << "asked again";
    Shell("ip link set dev a down");
    EXPECT_EQ(GetNetinfoText().str(), "");
    Shell("ip link del dev a");
    EXPECT_EQ(GetNetinfoText().str(), "");
}

TEST_F(HostInfo, AllIpGivesForTheOwnNameTheAddressesOfTheInterfacesThatAreUp) {
    Shell(
        "ip addr add 192.0.2.9/24 dev b && ip addr add 192.0.2.5/24 dev a && "
        "ip addr add 198.51.100.5/24 dev a");
    EXPECT_EQ(GetAllIpText().str(), "192.0.2.5\n198.51.100.5\n");
    Shell("ip link set dev a down");
    EXPECT_EQ(GetAllIpText().str(), "127.0.0.1\n");
}

}  // namespace
