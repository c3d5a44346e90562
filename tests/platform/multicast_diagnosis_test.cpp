#include "multicast_diagnosis.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <thread>

#include "multicast_join.h"
#include "multicast_silence_watch.h"
#include "netlink_message.h"
#include "network_namespace.h"
#include "sender_namespace.h"

namespace {

using namespace std::chrono_literals;

constexpr char kGroup[] = "232.1.1.1";
constexpr unsigned kPort = 5004;

TEST(ParseNetstat, FindsBothCountersInTheirSectionsAndRefusesWhatIsNotTheFile) {
    const std::string tcp = "TcpExt: SyncookiesSent IPReversePathFilter\nTcpExt: 0 17\n";
    const std::string ip = "IpExt: InNoRoutes InMcastPkts\nIpExt: 2 4100000000000\n";
    const std::string failed = "failed 1 2";  // the counters left as they were
    const std::pair<std::string, std::string> cases[] = {
        {tcp + ip, "17 4100000000000"},
        {ip + "MPTcpExt: X\nMPTcpExt: 1\n" + tcp, "17 4100000000000"},
        {"TcpExt: IPReversePathFilter\nTcpExt: 5\nIpExt: InMcastPkts\nIpExt: 6", "5 6"},
        {tcp, failed},
        {"IpExt: IPReversePathFilter\nIpExt: 5\n" + ip, failed},
        {"TcpExt: SyncookiesSent IPReversePathFilter\nTcpExt: 0\n" + ip, failed},
        {"TcpExt: IPReversePathFilter\nTcpExt: -1\n" + ip, failed},
        {"TcpExt: IPReversePathFilter\nTcpExt: 18446744073709551616\n" + ip, failed},
        {"TcpExt: IPReversePathFilter\nTcpExt: 5" + std::string(1, '\0') + "\n" + ip, failed},
    };
    for (const auto& [text, expected] : cases) {
        NetstatCounters counters{1, 2};
        const int err = ParseNetstat(std::as_bytes(std::span(text)), counters);
        EXPECT_EQ((err == 0 ? "" : "failed ") + std::to_string(counters.reversePathDrops) + " " +
                      std::to_string(counters.multicastReceived),
                  expected)
            << text;
    }
}

std::string Route(std::optional<std::uint32_t> oif) {
    return Message(RTM_NEWROUTE, Raw(rtmsg{}),
                   oif ? std::vector<Attr>{{RTA_OIF, Raw(*oif)}} : std::vector<Attr>{});
}

TEST(ParseRouteReply, GivesTheInterfaceOrTheKernelsRefusal) {
    const std::pair<std::string, std::string> cases[] = {
        {Route(3), "3"},
        {Message(NLMSG_ERROR, Raw(-ENETUNREACH) + Raw(nlmsghdr{})), "error 101"},
        {Message(NLMSG_NOOP, "") + Route(5), "5"},
        {Route(std::nullopt), "error 5"},
        {Message(NLMSG_ERROR, Raw(0)), "error 5"},
        {Message(NLMSG_ERROR, Raw(-2147483647 - 1)), "error 5"},
        {Message(NLMSG_ERROR, ""), "error 5"},
        {Message(RTM_NEWROUTE, "abc"), "error 5"},
        {Message(RTM_NEWROUTE, Raw(rtmsg{}), {}, NLMSG_HDRLEN + sizeof(rtmsg) + 64), "error 5"},
    };
    for (const auto& [reply, expected] : cases) {
        int index = 0;
        const int err = ParseRouteReply(std::as_bytes(std::span(reply)), index);
        EXPECT_EQ(err == 0 ? std::to_string(index) : "error " + std::to_string(err), expected);
    }
}

constexpr unsigned kWorking = IFF_UP | IFF_RUNNING | IFF_MULTICAST;

MulticastLinkState Link(int index, const char* name, unsigned flags = kWorking, int rp = 0,
                        bool address = true, std::uint64_t multicast = 0) {
    return {index, name, flags, multicast, rp, address};
}

// The host over a window of 5 s: lo, eth0 (where the route to the group leads) and eth1 as
// they are before; each case changes `after`.
struct Host {
    MulticastHostSnapshot before;
    MulticastHostSnapshot after;
    Host() {
        before.countersRead = true;
        before.rpFilterAll = 0;
        before.links = {Link(1, "lo", kWorking | IFF_LOOPBACK), Link(2, "eth0"), Link(3, "eth1")};
        before.routeIndex = 2;
        after = before;
        after.takenAt = before.takenAt + 5s;
    }
    Host& Set(const MulticastLinkState& link) {
        after.links[static_cast<size_t>(link.index - 1)] = link;
        return *this;
    }
    Host& Remove(int index) {
        after.links.erase(after.links.begin() + index - 1);
        return *this;
    }
    Host& Counters(std::uint64_t rpDrops, std::uint64_t multicast = 0, int rpAll = 0) {
        after.reversePathDrops += rpDrops;
        after.multicastReceived += multicast;
        after.rpFilterAll = rpAll;
        return *this;
    }
    Host& Route(int errorAfter, int errorBefore = 0) {
        after.routeError = errorAfter;
        before.routeError = errorBefore;
        return *this;
    }
};

std::string Summary(const MulticastDiagnosis& d) {
    static const char* const kinds[] = {"none", "interface", "reverse-path", "firewall", "nothing"};
    static const char* const problems[] = {
        "", " gone", " down", " no-carrier", " no-multicast", " no-route"};
    std::string out = std::string(kinds[static_cast<int>(d.kind)]) +
                      problems[static_cast<int>(d.problem)] + " [" + d.interfaceName + "]";
    for (const std::string& name : d.filteringInterfaces) {
        out += " " + name;
    }
    if (!d.sysctlSettings.empty()) {
        out += " {" + d.sysctlSettings + "}";
    }
    if (d.multicastSeen != 0) {
        out += ' ' + std::to_string(d.multicastSeen);
    }
    return out + (d.streamRan ? " ran" : "");
}

// Strict filtering, on an interface with an address and on one without, is JoinDiagnosis's below.
TEST(DiagnoseSilentJoin, NamesTheFirstCauseThatFitsWithWhatLetsTheStreamIn) {
    Host unread = Host().Counters(9, 900);
    unread.after.countersRead = false;
    const struct {
        const char* what;
        Host host;
        int joined;
        std::string expected;
    } cases[] = {
        {"down", Host().Set(Link(3, "eth1", IFF_MULTICAST)).Counters(4), 3,
         "interface down [eth1]"},
        {"no carrier", Host().Set(Link(3, "eth1", IFF_UP | IFF_MULTICAST)), 3,
         "interface no-carrier [eth1]"},
        {"no multicast", Host().Set(Link(3, "eth1", IFF_UP | IFF_RUNNING)), 3,
         "interface no-multicast [eth1]"},
        {"gone", Host().Remove(3), 3, "interface gone [eth1]"},
        {"joined by route, the route gone", Host().Route(ENETUNREACH).Counters(0, 100), 0,
         "interface no-route [eth0]"},
        {"a named join needs no route", Host().Route(ENETUNREACH), 3, "nothing [eth1]"},
        {"loose, all the larger", Host().Set(Link(3, "eth1", kWorking, 1)).Counters(1, 0, 2), 3,
         "reverse-path [eth1] eth1 "
         "{net.ipv4.conf.all.rp_filter=0 net.ipv4.conf.eth1.rp_filter=0}"},
        {"a VLAN's name in sysctl's spelling",
         Host().Set(Link(3, "eth1.100", kWorking, 1)).Counters(1), 3,
         "reverse-path [eth1.100] eth1.100 {net.ipv4.conf.eth1/100.rp_filter=2}"},
        {"drops elsewhere", Host().Set(Link(2, "eth0", kWorking, 1)).Counters(50), 3,
         "nothing [eth1]"},
        {"the joined interface unknown: every strict one that is up",
         Host()
             .Set(Link(1, "lo", kWorking | IFF_LOOPBACK, 1))
             .Set(Link(3, "eth1", IFF_MULTICAST, 1))
             .Counters(2, 0, 1)
             .Route(0, EIO),
         0, "reverse-path [] eth0 {net.ipv4.conf.eth0.rp_filter=2}"},
        {"a stream's worth of multicast", Host().Counters(0, 25), 3, "firewall [eth1] 25"},
        {"the network's chatter", Host().Counters(0, 24), 3, "nothing [eth1]"},
        {"counted by the driver", Host().Set(Link(3, "eth1", kWorking, 0, true, 30)).Counters(0, 2),
         3, "firewall [eth1] 30"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Summary(DiagnoseSilentJoin(c.host.before, c.host.after, c.joined, false)),
                  c.expected)
            << c.what;
    }
    EXPECT_EQ(Summary(DiagnoseSilentJoin(unread.before, unread.after, 3, true)),
              "nothing [eth1] ran");
}

// The watch only times the silences; what it finds in them is DiagnoseSilentJoin's.
TEST(MulticastSilenceWatch, AStreamIsSaidToHaveRunOnceAWindowAfterItStopsNotInShorterGaps) {
    constexpr auto kWindow = 400ms;
    MulticastSilenceWatch watch(inet_addr(kGroup), 1, kWindow);
    watch.Start();
    for (int i = 0; i < 4; ++i) {  // two windows of a stream, a quarter window silent each time
        EXPECT_FALSE(watch.Check(1));
        EXPECT_FALSE(watch.Check(0));
        std::this_thread::sleep_for(kWindow / 4);  // the stimulus
        EXPECT_FALSE(watch.Check(0));
    }
    std::this_thread::sleep_for(kWindow);  // the stream has stopped
    const auto said = watch.Check(0);
    ASSERT_TRUE(said);
    EXPECT_TRUE(said->streamRan);
    EXPECT_EQ(watch.GetWaitMilliseconds(), -1);
    EXPECT_FALSE(watch.Check(0)) << "said once";
}

[[maybe_unused]] const bool kOwnNetwork = RunInNetworkNamespace("JoinDiagnosis");

// A capture's socket joined to the group on r1, which has no address, and a sender on s1
// (see SenderNamespace).
class JoinDiagnosis : public testing::Test {
protected:
    void SetUp() override {
        if (!WhyNoNetworkNamespace().empty()) {
            GTEST_SKIP() << WhyNoNetworkNamespace();
        }
        m_senders = std::make_unique<SenderNamespace>();
        if (!m_senders->WhyNot().empty()) {
            GTEST_SKIP() << m_senders->WhyNot();
        }
        ASSERT_EQ(GetInterfaceIndex("r1", m_r1), ERROR_SUCCESS);
        const sockaddr_in local{AF_INET, htons(kPort), {}, {}};
        ASSERT_EQ(bind(m_capture, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
        ASSERT_EQ(JoinMulticastGroup(m_capture, {inet_addr(kGroup), INADDR_ANY, m_r1}),
                  ERROR_SUCCESS);
        m_sender = m_senders->MakeSender("s1", "10.1.0.1");
    }

    // What the tests change beyond the pairs, for a next test in the same namespace.
    void TearDown() override {
        close(m_capture);
        close(m_sender);
        if (m_senders != nullptr) {
            RunHere(
                "sysctl -qw net.ipv4.conf.all.rp_filter=0\n"
                "nft delete table inet vandrel_test 2>/dev/null || true");
        }
    }

    // Whether a datagram comes within deadlineMs; it is taken.
    bool Receive(int deadlineMs) const {
        pollfd ready{m_capture, POLLIN, 0};
        char buffer[64];
        return poll(&ready, 1, deadlineMs) == 1 &&
               recv(m_capture, buffer, sizeof buffer, MSG_DONTWAIT) >= 0;
    }

    // A watch made at the join, its window short enough for tests, then datagrams sent: what
    // it says, waiting as the capture waits, within 5 s.
    std::optional<MulticastDiagnosis> Watch(int datagrams) {
        MulticastSilenceWatch watch(inet_addr(kGroup), m_r1, 400ms);
        watch.Start();
        EXPECT_EQ(SendDatagrams(m_sender, kGroup, kPort, "x", datagrams), datagrams);
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < deadline) {
            if (auto said = watch.Check(Receive(watch.GetWaitMilliseconds()) ? 1 : 0)) {
                return said;
            }
        }
        return std::nullopt;
    }

    std::unique_ptr<SenderNamespace> m_senders;
    int m_r1 = 0;
    const int m_capture = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int m_sender = -1;
};

// Strict filtering drops a stream that no route leads back from; the line said lets it in: the
// filter off where the interface has no address, loose where it has one.
TEST_F(JoinDiagnosis, AReversePathFilterThatDropsTheStreamIsNamedAndItsLineLetsItIn) {
    const std::pair<const char*, const char*> cases[] = {
        {"sysctl -qw net.ipv4.conf.r1.rp_filter=0 net.ipv4.conf.all.rp_filter=1",
         "reverse-path [r1] r1 {net.ipv4.conf.all.rp_filter=0}"},
        {"ip addr add 10.3.0.2/24 dev r1\nip addr add 10.2.0.2/24 dev r2\n"
         "ip route add 10.1.0.0/24 via 10.2.0.1 dev r2\nsysctl -qw net.ipv4.conf.all.rp_filter=1",
         "reverse-path [r1] r1 {net.ipv4.conf.r1.rp_filter=2}"},
    };
    for (const auto& [setting, expected] : cases) {
        ASSERT_TRUE(RunHere(setting));
        const auto said = Watch(20);
        ASSERT_TRUE(said);
        EXPECT_EQ(Summary(*said), expected);
        ASSERT_TRUE(RunHere("sysctl -qw " + said->sysctlSettings));
        EXPECT_EQ(SendDatagrams(m_sender, kGroup, kPort, "x", 1), 1);
        EXPECT_TRUE(Receive(2000)) << expected;
    }
}

TEST_F(JoinDiagnosis, AFirewallDroppingThePortIsSuspected) {
    if (!RunHere("command -v nft >/dev/null")) {
        GTEST_SKIP() << "nft is not installed (scripts/install-deps.sh installs nftables)";
    }
    ASSERT_TRUE(
        RunHere("nft 'add table inet vandrel_test; add chain inet vandrel_test input "
                "{ type filter hook input priority 0; }; add rule inet vandrel_test input "
                "udp dport " +
                std::to_string(kPort) + " drop'"));
    const auto said = Watch(20);
    ASSERT_TRUE(said);
    EXPECT_EQ(Summary(*said), "firewall [r1] 20");
}

}  // namespace
