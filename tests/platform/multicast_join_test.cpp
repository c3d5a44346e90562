#include "multicast_join.h"

#include <gtest/gtest.h>

#include <cstring>

#include "multicast_fixture.h"

namespace {

TEST(GetInterfaceIndex, TakesTheNameAsIpPrintsItAndRefusesAnyOther) {
    const std::pair<std::string, int> cases[] = {
        {"lo", 1}, {"lo@if7", 1},  {"lo@", 1},        {"@lo", 0},
        {"", 0},   {"nosuch0", 0}, {"nosuch0@lo", 0}, {"a-name-longer-than-ifnamsiz", 0},
    };
    for (const auto& [name, expected] : cases) {
        int index = -1;
        EXPECT_EQ(GetInterfaceIndex(name, index),
                  expected != 0 ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER)
            << name;
        EXPECT_EQ(index, expected) << name;
    }
}

// Control data as recvmsg leaves it: cmsgs of the given levels and types, each `size` bytes.
struct Control {
    alignas(cmsghdr) char bytes[256] = {};
    msghdr message{};
    Control(const Control&) = delete;
    Control(std::initializer_list<std::pair<int, int>> kinds, size_t size = sizeof(in_pktinfo)) {
        message.msg_control = bytes;
        message.msg_controllen = kinds.size() * CMSG_SPACE(size);
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        for (const auto& [level, type] : kinds) {
            c->cmsg_level = level;
            c->cmsg_type = type;
            c->cmsg_len = CMSG_LEN(size);
            in_pktinfo info{};
            info.ipi_ifindex = 3;
            info.ipi_spec_dst.s_addr = inet_addr("10.0.0.9");
            info.ipi_addr.s_addr = inet_addr("232.1.1.1");
            std::memcpy(CMSG_DATA(c), &info, std::min(size, sizeof info));
            c = CMSG_NXTHDR(&message, c);
        }
    }
};

TEST(GetDatagramDestination, ReadsTheHeadersDestinationBesideOtherControlDataOrNothing) {
    const struct {
        const char* what;
        Control control;
        bool found;
    } cases[] = {
        {"alone", Control({{IPPROTO_IP, IP_PKTINFO}}), true},
        {"after the drop count", Control({{SOL_SOCKET, SO_RXQ_OVFL}, {IPPROTO_IP, IP_PKTINFO}}),
         true},
        {"none", Control({}), false},
        {"another level", Control({{SOL_SOCKET, IP_PKTINFO}}), false},
        {"cut short", Control({{IPPROTO_IP, IP_PKTINFO}}, sizeof(in_pktinfo) - 4), false},
    };
    for (const auto& c : cases) {
        in_addr_t destination = 7;
        EXPECT_EQ(GetDatagramDestination(c.control.message, destination), c.found) << c.what;
        EXPECT_EQ(destination, c.found ? inet_addr("232.1.1.1") : 7) << c.what;
    }
}

[[maybe_unused]] const bool kOwnNetwork = RunInNetworkNamespace("MulticastJoin");

// A join for one source, and the unicast strays that reach the capture's port, are the
// multicast capture's tests (tests/capture): they see what these joins let through.
using MulticastJoin = MulticastNamespaceTest;

TEST_F(MulticastJoin, JoinedOnAnInterfaceWithoutAddressOnlyItsStreamArrives) {
    const Socket capture(MakeCaptureSocket());
    ASSERT_EQ(JoinMulticastGroup(capture.m_fd, Membership("r1")), ERROR_SUCCESS);
    const Socket one(m_senders->MakeSender("s1", "10.1.0.1"));
    const Socket two(m_senders->MakeSender("s2", "10.2.0.1"));
    ASSERT_EQ(SendDatagrams(two.m_fd, kGroup, kPort, "b", 10), 10);
    ASSERT_EQ(SendDatagrams(one.m_fd, kGroup, kPort, "a", 10), 10);
    EXPECT_EQ(ReceiveAll(capture.m_fd), "aaaaaaaaaa");
}

TEST_F(MulticastJoin, APlainGroupJoinsWhereTheRouteLeadsAndWhatCannotBeJoinedFails) {
    ASSERT_TRUE(RunHere("ip route add 232.0.0.0/8 dev r2"));
    MulticastMembership membership;
    membership.group = inet_addr(kGroup);
    const Socket capture(MakeCaptureSocket());
    ASSERT_EQ(JoinMulticastGroup(capture.m_fd, membership), ERROR_SUCCESS);
    const Socket one(m_senders->MakeSender("s1", "10.1.0.1"));
    const Socket two(m_senders->MakeSender("s2", "10.2.0.1"));
    ASSERT_EQ(SendDatagrams(one.m_fd, kGroup, kPort, "a", 10), 10);
    ASSERT_EQ(SendDatagrams(two.m_fd, kGroup, kPort, "B", 1), 1);
    EXPECT_EQ(ReceiveAll(capture.m_fd), "B");

    const Socket other(MakeCaptureSocket());
    MulticastMembership noGroup = membership;
    noGroup.group = inet_addr("10.1.0.1");
    EXPECT_NE(JoinMulticastGroup(other.m_fd, noGroup), ERROR_SUCCESS);
    MulticastMembership gone = membership;
    gone.interfaceIndex = 999;
    EXPECT_NE(JoinMulticastGroup(other.m_fd, gone), ERROR_SUCCESS);
    ASSERT_TRUE(RunHere("ip route del 232.0.0.0/8 dev r2\nip route del 224.0.0.0/4 dev lo"));
    MulticastMembership unrouted = membership;
    unrouted.group = inet_addr("232.1.1.2");
    EXPECT_NE(JoinMulticastGroup(other.m_fd, unrouted), ERROR_SUCCESS);
}

}  // namespace
