#include "multicast_diagnosis.h"

#include <net/if.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "multicast_fixture.h"
#include "multicast_silence_watch.h"
#include "netlink_message.h"

namespace {

using namespace std::chrono_literals;

std::string Netstat(const std::string& text, NetstatCounters& counters) {
    const int err = ParseNetstat(std::as_bytes(std::span(text)), counters);
    return err == 0 ? std::to_string(counters.reversePathDrops) + " " +
                          std::to_string(counters.multicastReceived)
                    : "failed";
}

TEST(ParseNetstat, FindsBothCountersInTheirSectionsAndRefusesWhatIsNotTheFile) {
    const std::string tcp = "TcpExt: SyncookiesSent IPReversePathFilter\nTcpExt: 0 17\n";
    const std::string ip = "IpExt: InNoRoutes InMcastPkts\nIpExt: 2 4100000000000\n";
    const std::pair<std::string, std::string> cases[] = {
        {tcp + ip, "17 4100000000000"},
        {ip + "MPTcpExt: X\nMPTcpExt: 1\n" + tcp, "17 4100000000000"},
        {"TcpExt: IPReversePathFilter\nTcpExt: 5\nIpExt: InMcastPkts\nIpExt: 6", "5 6"},
        {tcp, "failed"},
        {ip, "failed"},
        {"IpExt: IPReversePathFilter\nIpExt: 5\n" + ip, "failed"},
        {"TcpExt: SyncookiesSent IPReversePathFilter\nTcpExt: 0\n" + ip, "failed"},
        {"TcpExt: IPReversePathFilter\nTcpExt: -1\n" + ip, "failed"},
        {"TcpExt: IPReversePathFilter\nTcpExt: 18446744073709551616\n" + ip, "failed"},
        {"TcpExt: IPReversePathFilter\nIpExt: 5\n" + ip, "failed"},
        {"TcpExt: IPReversePathFilter\n" + ip + "TcpExt: 5\n", "failed"},
        {"", "failed"},
        {"TcpExt: IPReversePathFilter\nTcpExt: 5" + std::string(1, '\0') + "\n" + ip, "failed"},
    };
    for (const auto& [text, expected] : cases) {
        NetstatCounters counters{1, 2};
        EXPECT_EQ(Netstat(text, counters), expected) << text;
        if (expected == "failed") {
            EXPECT_EQ(counters.reversePathDrops + counters.multicastReceived, 3u) << text;
        }
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
        {Route(0), "error 5"},
        {Message(NLMSG_ERROR, Raw(0)), "error 5"},
        {Message(NLMSG_ERROR, Raw(-2147483647 - 1)), "error 5"},
        {Message(NLMSG_ERROR, ""), "error 5"},
        {Message(RTM_NEWROUTE, "abc"), "error 5"},
        {Route(3).substr(0, 20), "error 5"},
        {Message(RTM_NEWROUTE, Raw(rtmsg{}), {}, NLMSG_HDRLEN + sizeof(rtmsg) + 64), "error 5"},
        {"", "error 5"},
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

// The host over a window of 5 s: lo and eth0 as they are before; each case changes `after`.
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
    Host& RpDrops(std::uint64_t n) {
        after.reversePathDrops += n;
        return *this;
    }
    Host& RpAll(int value) {
        after.rpFilterAll = value;
        return *this;
    }
    Host& Multicast(std::uint64_t n) {
        after.multicastReceived += n;
        return *this;
    }
    Host& Route(int error) {
        after.routeError = error;
        return *this;
    }
};

std::string Summary(const MulticastDiagnosis& d) {
    static const char* const kinds[] = {"none", "interface", "reverse-path", "firewall", "nothing"};
    static const char* const problems[] = {
        "", " gone", " down", " no-carrier", " no-multicast", " no-route"};
    std::string out = kinds[static_cast<int>(d.kind)];
    out += problems[static_cast<int>(d.problem)];
    out += " [" + d.interfaceName + "]";
    for (const std::string& name : d.filteringInterfaces) {
        out += " " + name;
    }
    if (!d.sysctlSettings.empty()) {
        out += " {" + d.sysctlSettings + "}";
    }
    if (d.multicastSeen != 0) {
        out += " " + std::to_string(d.multicastSeen);
    }
    return out + (d.streamRan ? " ran" : "");
}

TEST(DiagnoseSilentJoin, NamesTheFirstCauseThatFitsWithWhatLetsTheStreamIn) {
    MulticastHostSnapshot unread = Host().after;
    unread.countersRead = false;
    unread.reversePathDrops += 9;
    unread.multicastReceived += 900;
    const struct {
        const char* what;
        Host host;
        int joined;
        std::string expected;
    } cases[] = {
        {"down", Host().Set(Link(3, "eth1", IFF_MULTICAST)).RpDrops(4), 3, "interface down [eth1]"},
        {"no carrier", Host().Set(Link(3, "eth1", IFF_UP | IFF_MULTICAST)), 3,
         "interface no-carrier [eth1]"},
        {"no multicast", Host().Set(Link(3, "eth1", IFF_UP | IFF_RUNNING)), 3,
         "interface no-multicast [eth1]"},
        {"gone", Host().Remove(3), 3, "interface gone [eth1]"},
        {"joined by route, the route gone", Host().Route(ENETUNREACH).Multicast(100), 0,
         "interface no-route [eth0]"},
        {"a named join needs no route", Host().Route(ENETUNREACH), 3, "nothing [eth1]"},
        {"strict, with an address", Host().Set(Link(3, "eth1", kWorking, 1)).RpDrops(4), 3,
         "reverse-path [eth1] eth1 {net.ipv4.conf.eth1.rp_filter=2}"},
        {"strict through all, no address",
         Host().Set(Link(3, "eth1", kWorking, 0, false)).RpAll(1).RpDrops(1), 3,
         "reverse-path [eth1] eth1 {net.ipv4.conf.all.rp_filter=0}"},
        {"loose, all the larger", Host().Set(Link(3, "eth1", kWorking, 1)).RpAll(2).RpDrops(1), 3,
         "reverse-path [eth1] eth1 "
         "{net.ipv4.conf.all.rp_filter=0 net.ipv4.conf.eth1.rp_filter=0}"},
        {"a VLAN's name in sysctl's spelling",
         Host().Set(Link(3, "eth1.100", kWorking, 1)).RpDrops(1), 3,
         "reverse-path [eth1.100] eth1.100 {net.ipv4.conf.eth1/100.rp_filter=2}"},
        {"drops elsewhere", Host().Set(Link(2, "eth0", kWorking, 1)).RpDrops(50), 3,
         "nothing [eth1]"},
        {"the joined interface unknown: every strict one that is up",
         Host()
             .Set(Link(1, "lo", kWorking | IFF_LOOPBACK, 1))
             .Set(Link(3, "eth1", IFF_MULTICAST, 1))
             .RpAll(1)
             .RpDrops(2),
         0, "reverse-path [] eth0 {net.ipv4.conf.eth0.rp_filter=2}"},
        {"a stream's worth of multicast", Host().Multicast(25), 3, "firewall [eth1] 25"},
        {"the network's chatter", Host().Multicast(24), 3, "nothing [eth1]"},
        {"counted by the driver", Host().Set(Link(3, "eth1", kWorking, 0, true, 30)).Multicast(2),
         3, "firewall [eth1] 30"},
    };
    for (const auto& c : cases) {
        MulticastHostSnapshot before = c.host.before;
        if (c.joined == 0 && std::string(c.what).find("unknown") != std::string::npos) {
            before.routeError = EIO;
        }
        EXPECT_EQ(Summary(DiagnoseSilentJoin(before, c.host.after, c.joined, false)), c.expected)
            << c.what;
    }
    EXPECT_EQ(Summary(DiagnoseSilentJoin(Host().before, unread, 3, true)), "nothing [eth1] ran");
}

[[maybe_unused]] const bool kOwnNetwork = RunInNetworkNamespace("JoinDiagnosis");

// A capture joined to the group on r1 and its watch, with a window short enough for tests.
class JoinDiagnosis : public MulticastNamespaceTest {
protected:
    static constexpr auto kWindow = 400ms;

    void SetUp() override {
        MulticastNamespaceTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        m_capture = std::make_unique<Socket>(MakeCaptureSocket());
        m_membership = Membership("r1");
        ASSERT_EQ(JoinMulticastGroup(m_capture->m_fd, m_membership), ERROR_SUCCESS);
        NewWatch();
        m_sender = std::make_unique<Socket>(m_senders->MakeSender("s1", "10.1.0.1"));
    }

    // What the tests change beyond the pairs, for a next test in the same namespace.
    void TearDown() override {
        RunHere(
            "sysctl -qw net.ipv4.conf.all.rp_filter=0\n"
            "nft delete table inet vandrel_test 2>/dev/null || true");
    }

    // A watch as the capture makes at its join.
    void NewWatch() {
        m_watch = std::make_unique<MulticastSilenceWatch>(m_membership.group,
                                                          m_membership.interfaceIndex, kWindow);
    }

    // Waits as the capture waits, telling the watch what came, until it speaks or 5 s pass.
    std::optional<MulticastDiagnosis> Watch() {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (std::chrono::steady_clock::now() < deadline) {
            std::string payload;
            const bool came = Receive(m_capture->m_fd, payload, m_watch->GetWaitMilliseconds());
            if (auto said = m_watch->Check(came ? 1 : 0)) {
                return said;
            }
        }
        return std::nullopt;
    }

    int Send(int count) { return SendDatagrams(m_sender->m_fd, kGroup, kPort, "x", count); }

    // Whether the group's stream comes in now.
    bool Arrives() {
        std::string payload;
        return Send(1) == 1 && Receive(m_capture->m_fd, payload);
    }

    MulticastMembership m_membership;
    std::unique_ptr<Socket> m_capture;
    std::unique_ptr<MulticastSilenceWatch> m_watch;
    std::unique_ptr<Socket> m_sender;
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
        NewWatch();
        m_watch->Start();
        ASSERT_EQ(Send(20), 20);
        const auto said = Watch();
        ASSERT_TRUE(said);
        EXPECT_EQ(Summary(*said), expected);
        ASSERT_TRUE(RunHere("sysctl -qw " + said->sysctlSettings));
        EXPECT_TRUE(Arrives()) << expected;
    }
}

TEST_F(JoinDiagnosis, AFirewallDroppingThePortIsSuspected) {
    if (!RunHere("command -v nft >/dev/null")) {
        GTEST_SKIP() << "nft is not installed (scripts/install-deps.sh installs nftables)";
    }
    ASSERT_TRUE(
        RunHere("nft add table inet vandrel_test\n"
                "nft add chain inet vandrel_test input "
                "'{ type filter hook input priority 0; }'\n"
                "nft add rule inet vandrel_test input udp dport " +
                std::to_string(kPort) + " drop"));
    m_watch->Start();
    ASSERT_EQ(Send(20), 20);
    const auto said = Watch();
    ASSERT_TRUE(said);
    EXPECT_EQ(Summary(*said), "firewall [r1] 20");
}

TEST_F(JoinDiagnosis, AStreamThatStopsIsSaidToHaveRun) {
    m_watch->Start();
    ASSERT_TRUE(Arrives());
    EXPECT_FALSE(m_watch->Check(1));
    const auto said = Watch();
    ASSERT_TRUE(said);
    EXPECT_EQ(Summary(*said), "nothing [r1] ran");
    EXPECT_EQ(m_watch->GetWaitMilliseconds(), -1);
    EXPECT_FALSE(m_watch->Check(0)) << "said once";
}

TEST_F(JoinDiagnosis, NothingIsSaidWhileTheStreamFlowsWithGapsShorterThanTheWindow) {
    m_watch->Start();
    // Three windows of a stream with a gap after every datagram, a quarter window each.
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(Arrives());
        EXPECT_FALSE(m_watch->Check(1));
        std::string none;
        EXPECT_FALSE(Receive(m_capture->m_fd, none, 100));
        EXPECT_FALSE(m_watch->Check(0));
    }
}

}  // namespace
