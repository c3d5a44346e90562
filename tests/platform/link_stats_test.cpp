#include "link_stats.h"

#include <arpa/inet.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

using namespace std::string_literals;

struct Attr {
    unsigned short type;
    std::string payload;
    std::size_t extraLength = 0;  // rta_len claims this much more than the payload
};

Attr Stats64(std::uint64_t rx, std::uint64_t tx, std::size_t size = sizeof(rtnl_link_stats64)) {
    rtnl_link_stats64 stats{};
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return {IFLA_STATS64, std::string(reinterpret_cast<const char*>(&stats), size)};
}

Attr Stats32(std::uint32_t rx, std::uint32_t tx) {
    rtnl_link_stats stats{};
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return {IFLA_STATS, std::string(reinterpret_cast<const char*>(&stats), sizeof stats)};
}

Attr Name(std::string name) {
    return {IFLA_IFNAME, name + '\0'};
}

void Append(std::string& out, const void* data, std::size_t size) {
    out.append(static_cast<const char*>(data), size);
    out.resize((out.size() + 3) & ~std::size_t{3});
}

// One netlink message; `length` overrides nlmsg_len to forge malformed headers.
std::string Message(std::uint16_t type, const std::vector<Attr>& attrs = {},
                    std::optional<std::uint32_t> length = std::nullopt, ifinfomsg info = {}) {
    std::string out(sizeof(nlmsghdr), '\0');
    if (type == RTM_NEWLINK) {
        Append(out, &info, sizeof info);
        for (const Attr& attr : attrs) {
            const rtattr head{
                static_cast<unsigned short>(RTA_LENGTH(attr.payload.size()) + attr.extraLength),
                attr.type};
            out.append(reinterpret_cast<const char*>(&head), sizeof head);
            Append(out, attr.payload.data(), attr.payload.size());
        }
    }
    nlmsghdr header{};
    header.nlmsg_len = length.value_or(static_cast<std::uint32_t>(out.size()));
    header.nlmsg_type = type;
    std::memcpy(out.data(), &header, sizeof header);
    return out;
}

struct Parsed {
    bool done = false;
    bool failed = false;
    std::vector<InterfaceSample> samples;
};

Parsed Parse(const std::string& reply) {
    Parsed parsed;
    parsed.failed =
        ParseLinkDump(std::as_bytes(std::span(reply)), parsed.samples, parsed.done) != 0;
    return parsed;
}

TEST(ParseLinkDump, ReadsLinksInOrderUntilDone) {
    const Parsed parsed =
        Parse(Message(RTM_NEWLINK, {Name("eth0"), Stats64(5'000'000'000, 7)}) +
              Message(RTM_NEWADDR) + Message(RTM_NEWLINK, {Name("lo"), Stats32(11, 13)}) +
              Message(NLMSG_DONE) + Message(RTM_NEWLINK, {Name("late")}));
    EXPECT_TRUE(parsed.done);
    EXPECT_FALSE(parsed.failed);
    ASSERT_EQ(parsed.samples.size(), 2u);
    EXPECT_EQ(parsed.samples[0].name, "eth0");
    EXPECT_EQ(parsed.samples[0].rxBytes, 5'000'000'000u);
    EXPECT_EQ(parsed.samples[0].txBytes, 7u);
    EXPECT_EQ(parsed.samples[1].name, "lo");
    EXPECT_EQ(parsed.samples[1].rxBytes, 11u);
    EXPECT_EQ(parsed.samples[1].txBytes, 13u);
    EXPECT_FALSE(Parse(Message(RTM_NEWLINK, {Name("a")})).done) << "more datagrams are due";
}

// What the NetBIOS and host-name stand-ins choose interfaces by.
TEST(ParseLinkDump, KeepsIndexFlagsTypeAndHardwareAddress) {
    ifinfomsg info{};
    info.ifi_index = 7;
    info.ifi_flags = IFF_UP | IFF_BROADCAST;
    info.ifi_type = ARPHRD_ETHER;
    const Parsed parsed = Parse(
        Message(RTM_NEWLINK, {Name("a"), {IFLA_ADDRESS, "\x00\x50\xba\x12\xc3\x0d"s}}, std::nullopt,
                info) +
        Message(RTM_NEWLINK, {{IFLA_ADDRESS, std::string(20, '\x11')}}) + Message(NLMSG_DONE));
    ASSERT_EQ(parsed.samples.size(), 2u);
    const InterfaceSample& a = parsed.samples[0];
    EXPECT_EQ(a.index, 7);
    EXPECT_EQ(a.flags, unsigned{IFF_UP | IFF_BROADCAST});
    EXPECT_EQ(a.type, ARPHRD_ETHER);
    EXPECT_EQ(a.hardwareAddressLength, 6u);
    EXPECT_EQ(a.hardwareAddress, (std::array<std::uint8_t, 6>{0x00, 0x50, 0xba, 0x12, 0xc3, 0x0d}));
    // A longer address (InfiniBand's 20 bytes) is kept short but known for its length.
    EXPECT_EQ(parsed.samples[1].hardwareAddressLength, 20u);
    EXPECT_EQ(parsed.samples[1].hardwareAddress[5], 0x11);
}

TEST(ParseLinkDump, AttributesAreReadDefensively) {
    struct Case {
        const char* what;
        std::vector<Attr> attrs;
        std::string name;
        std::uint64_t rx;
        std::uint64_t tx;
    };
    const Case cases[] = {
        {"64-bit after 32-bit", {Name("a"), Stats32(1, 2), Stats64(3, 4)}, "a", 3, 4},
        {"64-bit before 32-bit", {Name("a"), Stats64(3, 4), Stats32(1, 2)}, "a", 3, 4},
        // rx_packets, tx_packets, rx_bytes: tx_bytes is missing and reads as 0.
        {"short 64-bit payload", {Name("a"), Stats64(3, 4, 24)}, "a", 3, 0},
        {"empty 64-bit payload still wins", {Stats32(1, 2), Stats64(3, 4, 0)}, "", 0, 0},
        {"unterminated name", {{IFLA_IFNAME, "wlan0"}}, "wlan0", 0, 0},
        {"attribute past its message", {Name("a"), {IFLA_STATS64, "", 1024}}, "a", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Parsed parsed = Parse(Message(RTM_NEWLINK, c.attrs) + Message(NLMSG_DONE));
        EXPECT_TRUE(parsed.done);
        EXPECT_FALSE(parsed.failed);
        ASSERT_EQ(parsed.samples.size(), 1u);
        EXPECT_EQ(parsed.samples[0].name, c.name);
        EXPECT_EQ(parsed.samples[0].rxBytes, c.rx);
        EXPECT_EQ(parsed.samples[0].txBytes, c.tx);
    }
}

TEST(ParseLinkDump, MalformedMessagesAndErrorsFailTheDump) {
    const std::string link = Message(RTM_NEWLINK, {Name("a")});
    const auto linkLength = static_cast<std::uint32_t>(link.size());
    const std::string cases[] = {
        link + Message(RTM_NEWLINK, {}, 0),
        Message(RTM_NEWLINK, {}, sizeof(nlmsghdr) - 1) + link,
        Message(RTM_NEWLINK, {Name("a")}, linkLength + 4),
        Message(RTM_NEWLINK, {}, sizeof(nlmsghdr) + 4) + link,  // shorter than its ifinfomsg
        link + Message(NLMSG_ERROR),
    };
    for (const std::string& reply : cases) {
        EXPECT_TRUE(Parse(reply).failed);  // which ends the dump
    }
}

std::optional<InterfaceSample> Loopback() {
    std::vector<InterfaceSample> samples;
    if (ReadLinkStats(samples) != 0) {
        return std::nullopt;
    }
    const auto lo = std::find_if(samples.begin(), samples.end(),
                                 [](const InterfaceSample& s) { return s.name == "lo"; });
    return lo == samples.end() ? std::nullopt : std::optional(*lo);
}

TEST(ReadLinkStats, LoopbackCountsDatagramsSentThroughIt) {
    std::vector<InterfaceSample> samples;
    if (const int err = ReadLinkStats(samples); err != 0) {
        GTEST_SKIP() << "netlink unavailable: " << std::strerror(err);
    }
    const auto before = Loopback();
    ASSERT_TRUE(before) << "no lo";

    const int receiver = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int sender = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* any = reinterpret_cast<sockaddr*>(&address);
    const timeval timeout{2, 0};
    ASSERT_EQ(setsockopt(receiver, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout), 0);
    ASSERT_EQ(bind(receiver, any, length), 0);
    ASSERT_EQ(getsockname(receiver, any, &length), 0);

    constexpr int kDatagrams = 200;
    constexpr std::size_t kSize = 1000;
    char payload[kSize] = {};
    int received = 0;
    // One at a time, so that the receive buffer never overflows; each wait has its timeout.
    for (int i = 0; i < kDatagrams; ++i) {
        if (sendto(sender, payload, kSize, 0, any, length) != static_cast<ssize_t>(kSize) ||
            recv(receiver, payload, kSize, 0) != static_cast<ssize_t>(kSize)) {
            break;
        }
        ++received;
    }
    const int err = errno;
    close(sender);
    close(receiver);
    ASSERT_EQ(received, kDatagrams) << std::strerror(err);

    const auto after = Loopback();
    ASSERT_TRUE(after);
    EXPECT_GE(after->rxBytes - before->rxBytes, kDatagrams * kSize);
    EXPECT_GE(after->txBytes - before->txBytes, kDatagrams * kSize);
}

}  // namespace
