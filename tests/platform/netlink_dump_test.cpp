#include <arpa/inet.h>
#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/rtnetlink.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "interface_addresses.h"
#include "link_stats.h"
#include "udp_sender.h"

namespace {

struct Attr {
    unsigned short type;
    std::string payload;
    std::size_t extraLength = 0;  // rta_len claims this much more than the payload
};

template <typename T>
std::string Raw(const T& value, std::size_t size = sizeof(T)) {
    return {reinterpret_cast<const char*>(&value), size};
}

void Append(std::string& out, const std::string& data) {
    out += data;
    out.resize(RTA_ALIGN(out.size()));
}

// One netlink message: its body (ifinfomsg, ifaddrmsg), then attributes; `length` forges
// nlmsg_len.
std::string Message(std::uint16_t type, const std::string& body = "",
                    const std::vector<Attr>& attrs = {},
                    std::optional<std::uint32_t> length = std::nullopt) {
    std::string out(NLMSG_HDRLEN, '\0');
    Append(out, body);
    for (const Attr& attr : attrs) {
        const auto size = static_cast<unsigned short>(RTA_LENGTH(attr.payload.size()));
        out += Raw(rtattr{static_cast<unsigned short>(size + attr.extraLength), attr.type});
        Append(out, attr.payload);
    }
    nlmsghdr header{};
    header.nlmsg_len = length.value_or(static_cast<std::uint32_t>(out.size()));
    header.nlmsg_type = type;
    std::memcpy(out.data(), &header, sizeof header);
    return out;
}

std::string Link(const std::vector<Attr>& attrs, std::optional<std::uint32_t> length = {}) {
    return Message(RTM_NEWLINK, Raw(ifinfomsg{}), attrs, length);
}
Attr Name(const std::string& name) {
    return {IFLA_IFNAME, name + '\0'};
}
Attr Stats64(std::uint64_t rx, std::uint64_t tx, std::size_t size = sizeof(rtnl_link_stats64)) {
    rtnl_link_stats64 stats{};
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return {IFLA_STATS64, Raw(stats, size)};
}
Attr Stats32(std::uint32_t rx, std::uint32_t tx) {
    rtnl_link_stats stats{};
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return {IFLA_STATS, Raw(stats)};
}

const std::string kDone = Message(NLMSG_DONE);

// What a dump reply gives, one item a ';', then "done" or "more" (datagrams due); or "failed".
template <typename T>
std::string Dump(int (*parse)(std::span<const std::byte>, std::vector<T>&, bool&),
                 const std::string& reply, std::string (*item)(const T&)) {
    std::vector<T> items;
    bool done = false;
    if (parse(std::as_bytes(std::span(reply)), items, done) != 0) {
        return "failed";
    }
    std::string out;
    for (const T& i : items) {
        out += item(i) + ";";
    }
    return out + (done ? "done" : "more");
}

// "name rx tx", and the hardware address's length and first six bytes when it has one.
std::string Links(const std::string& reply) {
    return Dump<InterfaceSample>(ParseLinkDump, reply, [](const InterfaceSample& s) {
        std::string out =
            s.name + " " + std::to_string(s.rxBytes) + " " + std::to_string(s.txBytes);
        if (s.hardwareAddressLength != 0) {
            out += ' ' + std::to_string(s.hardwareAddressLength) + ':';
            for (const std::uint8_t byte : s.hardwareAddress) {
                out += std::to_string(byte) + ".";
            }
        }
        return out;
    });
}

TEST(ParseLinkDump, ReadsLinksDefensivelyAndFailsOnMalformedMessages) {
    const std::string a = Link({Name("a")});
    const auto aLength = static_cast<std::uint32_t>(a.size());
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"in order until done",
         Link({Name("eth0"), Stats64(5'000'000'000, 7)}) + Message(RTM_NEWADDR) +
             Link({Name("lo"), Stats32(11, 13)}) + kDone + Link({Name("late")}),
         "eth0 5000000000 7;lo 11 13;done"},
        {"no done yet", a, "a 0 0;more"},
        {"64-bit after 32-bit", Link({Name("a"), Stats32(1, 2), Stats64(3, 4)}) + kDone,
         "a 3 4;done"},
        {"64-bit before 32-bit", Link({Name("a"), Stats64(3, 4), Stats32(1, 2)}) + kDone,
         "a 3 4;done"},
        // rx_packets, tx_packets, rx_bytes: tx_bytes is missing and reads as 0.
        {"short 64-bit payload", Link({Name("a"), Stats64(3, 4, 24)}) + kDone, "a 3 0;done"},
        {"empty 64-bit payload wins", Link({Stats32(1, 2), Stats64(3, 4, 0)}) + kDone, " 0 0;done"},
        {"unterminated name", Link({{IFLA_IFNAME, "wlan0"}}) + kDone, "wlan0 0 0;done"},
        {"attribute past its message", Link({Name("a"), {IFLA_STATS64, "", 1024}}) + kDone,
         "a 0 0;done"},
        {"length zero", a + Link({}, 0), "failed"},
        {"length inside the header", Link({}, NLMSG_HDRLEN - 1) + a, "failed"},
        {"length past the data", Link({Name("a")}, aLength + 4), "failed"},
        {"shorter than its ifinfomsg", Link({}, NLMSG_HDRLEN + 4) + a, "failed"},
        {"an error", a + Message(NLMSG_ERROR), "failed"},
        // InfiniBand's 20-byte address is kept short but known for its length.
        {"hardware addresses",
         Link({{IFLA_ADDRESS, std::string("\x00\x50\xba\x12\xc3\x0d", 6)}}) +
             Link({{IFLA_ADDRESS, std::string(20, '\x11')}}),
         " 0 0 6:0.80.186.18.195.13.; 0 0 20:17.17.17.17.17.17.;more"},
    };
    for (const auto& [what, reply, expected] : cases) {
        EXPECT_EQ(Links(reply), expected) << what;
    }
}

TEST(ReadLinkStats, LoopbackCountsTheBytesSentThroughIt) {
    const auto lo = [] {
        std::vector<InterfaceSample> samples;
        EXPECT_EQ(ReadLinkStats(samples), 0);
        const auto it = std::find_if(samples.begin(), samples.end(),
                                     [](const InterfaceSample& s) { return s.name == "lo"; });
        return it == samples.end() ? InterfaceSample{} : *it;
    };
    const InterfaceSample before = lo();
    ASSERT_EQ(before.name, "lo");
    UdpSender sender(9);  // counted by lo whether or not anything listens
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(sender.Send(1000).size(), 1000u);
    }
    const InterfaceSample after = lo();
    EXPECT_GE(after.rxBytes - before.rxBytes, 200'000u);
    EXPECT_GE(after.txBytes - before.txBytes, 200'000u);
}

std::string Address(unsigned char family, int index,
                    std::vector<std::pair<unsigned short, const char*>> dotted = {},
                    std::optional<std::uint32_t> length = {}) {
    std::vector<Attr> attrs;
    for (const auto& [type, text] : dotted) {
        in_addr address{};
        inet_pton(AF_INET, text, &address);
        attrs.push_back({type, Raw(address)});
    }
    ifaddrmsg info{};
    info.ifa_family = family;
    info.ifa_index = static_cast<unsigned>(index);
    return Message(RTM_NEWADDR, Raw(info), attrs, length);
}

std::string Addresses(const std::string& reply) {
    return Dump<InterfaceAddress>(ParseAddressDump, reply, [](const InterfaceAddress& a) {
        return std::to_string(a.index) + " " + inet_ntoa(in_addr{a.address});
    });
}

TEST(ParseAddressDump, TakesEachMessagesOwnIPv4AddressInOrderAndFailsOnAShortMessage) {
    const std::string good = Address(AF_INET, 3, {{IFA_LOCAL, "192.0.2.5"}});
    const std::pair<std::string, const char*> cases[] = {
        {Address(AF_INET, 1, {{IFA_ADDRESS, "127.0.0.1"}}) +
             // Point to point: IFA_ADDRESS is the peer, wherever it comes.
             Address(AF_INET, 4, {{IFA_ADDRESS, "10.9.9.1"}, {IFA_LOCAL, "10.9.9.2"}}) +
             Address(AF_INET6, 4, {{IFA_ADDRESS, "1.1.1.1"}}) + Address(AF_INET, 4) + good + kDone +
             good,
         "1 127.0.0.1;4 10.9.9.2;3 192.0.2.5;done"},
        {good, "3 192.0.2.5;more"},
        // The walk of the messages is the links' own: the cases above.
        {Address(AF_INET, 2, {}, NLMSG_HDRLEN + 4), "failed"},
    };
    for (const auto& [reply, expected] : cases) {
        EXPECT_EQ(Addresses(reply), expected);
    }
}

}  // namespace
