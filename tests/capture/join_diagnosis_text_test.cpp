#include "join_diagnosis_text.h"

#include <gtest/gtest.h>

// GCC before 14 warns of designated initialisers that leave members to their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

TEST(FormatJoinDiagnosis, SaysWhatTheHostShowsAndWhatToDoInOneLine) {
    const MulticastMembership any{inet_addr("232.1.1.1")};
    const MulticastMembership one{any.group, inet_addr("10.1.0.3")};
    using D = JoinDiagnosis;
    const MulticastDiagnosis strict{.kind = D::kReversePath,
                                    .interfaceName = "eth1",
                                    .filteringInterfaces = {"eth1"},
                                    .rpFilter = 1,
                                    .sysctlSettings = "net.ipv4.conf.eth1.rp_filter=2"};
    MulticastDiagnosis bare = strict;
    bare.hasAddress = false;
    bare.sysctlSettings = "net.ipv4.conf.all.rp_filter=0";
    const struct {
        MulticastDiagnosis diagnosis;
        const MulticastMembership& membership;
        const char* expected;
    } cases[] = {
        {{.kind = D::kInterface, .problem = InterfaceProblem::kDown, .interfaceName = "eth1"},
         any,
         "No datagram of 232.1.1.1:5004 arrived in 5 s: the interface eth1 it was joined on is "
         "down. Bring it up: sudo ip link set dev eth1 up"},
        {strict, any,
         "No datagram of 232.1.1.1:5004 arrived in 5 s: the reverse-path filter drops them on "
         "eth1 (rp_filter=1, strict: no route back to their sender leads out of eth1). Make it "
         "loose: sudo sysctl net.ipv4.conf.eth1.rp_filter=2"},
        {bare, one,
         "No datagram of 232.1.1.1:5004 from 10.1.0.3 arrived in 5 s: the reverse-path filter "
         "drops them on eth1, which has no IPv4 address (rp_filter=1). Switch it off there: "
         "sudo sysctl net.ipv4.conf.all.rp_filter=0"},
        {{.kind = D::kFirewall, .interfaceName = "eth1", .multicastSeen = 2500},
         any,
         "No datagram of 232.1.1.1:5004 arrived in 5 s: multicast reaches this host (2500 "
         "packets) but not the capture: most likely a firewall drops UDP port 5004 or IGMP. See "
         "its rules: sudo nft list ruleset"},
        {{.kind = D::kNothingArrives, .interfaceName = "eth0", .joinedByRoute = true},
         one,
         "No datagram of 232.1.1.1:5004 from 10.1.0.3 arrived in 5 s: no multicast reaches this "
         "host on eth0. Check that 10.1.0.3 sends to 232.1.1.1:5004 and that the network carries "
         "the group to eth0 (where the route to the group leads; to join on another interface, "
         "write 232.1.1.1%eth1)."},
        {{.kind = D::kNothingArrives, .interfaceName = "eth1", .streamRan = true},
         any,
         "The stream of 232.1.1.1:5004 has been silent for 5 s: no multicast reaches this host "
         "on eth1 any more. If it ran for some minutes, a switch's IGMP snooping without a "
         "querier has likely cut it off: the network needs an IGMP querier (or the sender "
         "stopped)."},
        {{.interfaceName = "eth1"}, any, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatJoinDiagnosis(c.diagnosis, c.membership, 5004, 5).str(), c.expected);
    }
}

}  // namespace
