// What the captures put into words and read from them: the status bar's line for a running
// capture tick by tick, the sentence for a silent join, and the multicast address field.
#include <gmock/gmock.h>

#include "capture_status_text.h"
#include "join_diagnosis_text.h"
#include "multicast_address.h"

// GCC before 14 warns of designated initialisers that leave members to their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using testing::HasSubstr;
using testing::StartsWith;

class CaptureStatusText : public testing::Test {
protected:
    CaptureStatusText() {
        m_figures.strWhat = "228.7.7.7:8001";
        m_figures.started = m_start;
    }
    // Ticks at seconds after the start, bytes having arrived by then in as many datagrams.
    std::string Tick(int seconds, uint64_t bytes) {
        m_figures.bytesArrived = bytes;
        m_figures.datagramsArrived = bytes / 1316;
        m_text.Update(m_figures, m_start + std::chrono::seconds(seconds));
        return m_text.GetLine().str();
    }
    std::string Details() const { return m_text.GetDetails().str(); }

    CCaptureStatusText::Clock::time_point m_start = CCaptureStatusText::Clock::now();
    CaptureStatusFigures m_figures;
    CCaptureStatusText m_text;
};

TEST_F(CaptureStatusText, TheLineGivesWhatRateLossesTimeAndFileSize) {
    m_figures.capture = {.bytesWritten = 3 * 1024 * 1024 / 2, .bufferFull = 2, .tooLong = 1};
    m_figures.stream = {.kind = StreamKind::RtpTs, .unit = LossUnit::Datagrams, .lostBefore = 4};
    Tick(3661, 0);
    EXPECT_EQ(Tick(3662, 1316 * 950),
              "228.7.7.7:8001 — lost here 3, before this host 4, 10.0 Mbit/s, 1:01:02, 1.5 MB");
    EXPECT_THAT(Details(), HasSubstr("Lost here: 3 datagrams (2 receive buffer full, 1 too long, "
                                     "0 not written)"));
    EXPECT_THAT(Details(), HasSubstr("Lost before this host: 4 datagrams (RTP sequence numbers)"));
}

TEST_F(CaptureStatusText, FiveSecondsWithoutDataAreSaidWithTheTimeAndDataBringsTheRateBack) {
    EXPECT_THAT(Tick(4, 0), testing::Not(HasSubstr("nothing")));
    EXPECT_THAT(Tick(5, 0), StartsWith("228.7.7.7:8001 — nothing received for 5 s, lost here 0, "))
        << "since the start";
    Tick(6, 13160);
    EXPECT_THAT(Tick(7, 13160), HasSubstr("0.0 Mbit/s"));
    EXPECT_THAT(Tick(11, 13160), HasSubstr("nothing received for 5 s")) << "mid-stream";
    EXPECT_THAT(Details(), HasSubstr("Nothing received for 5 s (since "));
    EXPECT_THAT(Tick(12, 26320), HasSubstr("0.1 Mbit/s"));
}

TEST_F(CaptureStatusText, AStreamThatIsNotTsIsSaidToBeUnchecked) {
    EXPECT_THAT(Tick(1, 0), HasSubstr("before this host not known yet"));
    m_figures.stream.kind = StreamKind::NotTs;
    EXPECT_THAT(Tick(2, 0), HasSubstr("before this host not checked (not TS)"));
    EXPECT_THAT(Details(),
                HasSubstr("Lost before this host: not checked (not an MPEG transport stream)"));
}

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

// "source@group%interface" as read, "refused", or the plain group as inet_addr gave it.
std::string Read(const char* text) {
    CMulticastAddress address;
    address.m_strInterface = "untouched";
    if (!ParseMulticastAddress(text, address)) {
        return address.m_strInterface.str() == "untouched" ? "refused" : "refused, but changed";
    }
    std::string out =
        address.m_source != INADDR_ANY ? std::string(inet_ntoa({address.m_source})) + "@" : "";
    out += inet_ntoa({address.m_group});
    return out + (address.m_strInterface.IsEmpty() ? "" : "%" + address.m_strInterface.str());
}

// Read gives each text the reading paired with it.
void ExpectReads(std::initializer_list<std::pair<const char*, const char*>> cases) {
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Read(text), expected) << text;
    }
}

TEST(ParseMulticastAddress, TakesAGroupWithAnInterfaceOrASourceOrBothAndRefusesTheRest) {
    ExpectReads({
        {"232.1.1.1%eth0", "232.1.1.1%eth0"},
        {"10.0.0.1@232.1.1.1", "10.0.0.1@232.1.1.1"},
        {"  10.0.0.1 @ 232.1.1.1 % eth0\t", "10.0.0.1@232.1.1.1%eth0"},
        // `ip link` shows a link with a peer so; the platform finds it by the part before '@'.
        {"232.1.1.1%veth0@if7", "232.1.1.1%veth0@if7"},
        {"239.255.255.255%br-lan.5", "239.255.255.255%br-lan.5"},
        {"224.0.0.0%lo", "224.0.0.0%lo"},
    });
    for (const char* text :
         {"192.168.1.1%eth0", "240.0.0.1%eth0", "232.1.1.1%", "232.1.1.1% ", "232.1.1.1%eth 0",
          "%eth0", "@232.1.1.1", "10.0.0.1@", "10.0.0.1@@232.1.1.1", "10.0.0.1@232.1.1.1@x",
          "232.2.2.2@232.1.1.1", "0.0.0.0@232.1.1.1", "255.255.255.255@232.1.1.1",
          "10.0.0.1@232.1.1.1 x%eth0", "0xE8010101%eth0", "232.1.1%eth0", "232.001.1.1%eth0",
          "host@232.1.1.1"}) {
        EXPECT_EQ(Read(text), "refused") << text;
    }
}

TEST(ParseMulticastAddress, APlainGroupIsReadByInetAddrAsItAlwaysWas) {
    ExpectReads({
        {"228.7.7.7", "228.7.7.7"},
        {" 228.7.7.7 ", "228.7.7.7"},
        {"0xE4070707", "228.7.7.7"},
        {"228.7.1799", "228.7.7.7"},
        {"228.7.7.7 junk", "228.7.7.7"},
        // Not multicast, or no address at all: the join refuses them, as it always did.
        {"192.168.1.1", "192.168.1.1"},
        {"", "255.255.255.255"},
        {"group", "255.255.255.255"},
    });
    CMulticastAddress address;
    ASSERT_TRUE(ParseMulticastAddress(nullptr, address));
    EXPECT_EQ(address.m_group, INADDR_NONE);
}

}  // namespace
