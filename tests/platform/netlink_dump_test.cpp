#include <arpa/inet.h>
#include <linux/if_link.h>

#include <gtest/gtest.h>

#include "interface_addresses.h"
#include "link_stats.h"
#include "netlink_message.h"

namespace {

using namespace std::string_literals;

std::string Link(const std::vector<Attr>& attrs, std::optional<std::uint32_t> length = {}) {
    return Message(RTM_NEWLINK, Raw(ifinfomsg{}), attrs, length);
}
Attr Name(const std::string& name) {
    return {IFLA_IFNAME, name + '\0'};
}
// rx_bytes and tx_bytes in a link's 64-bit counters, or its 32-bit ones; `size` bytes of them.
template <typename Counters = rtnl_link_stats64>
Attr Stats(std::uint64_t rx, std::uint64_t tx, std::size_t size = sizeof(Counters)) {
    Counters stats{};
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return {std::is_same_v<Counters, rtnl_link_stats> ? IFLA_STATS : IFLA_STATS64,
            Raw(stats, size)};
}
using Stats32 = rtnl_link_stats;

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
            out += ' ' + std::to_string(s.hardwareAddressLength) + ':' +
                   std::string(s.hardwareAddress.begin(), s.hardwareAddress.end());
        }
        return out;
    });
}

TEST(ParseLinkDump, ReadsLinksDefensivelyAndFailsOnMalformedMessages) {
    const std::string a = Link({Name("a")});
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"in order until done, 64-bit counters after 32-bit ones",
         Link({Name("eth0"), Stats<Stats32>(1, 2), Stats(5'000'000'000, 7)}) +
             Message(RTM_NEWADDR) + Link({Name("lo"), Stats<Stats32>(11, 13)}) + kDone +
             Link({Name("late")}),
         "eth0 5000000000 7;lo 11 13;done"},
        {"64-bit before 32-bit", Link({Name("a"), Stats(3, 4), Stats<Stats32>(1, 2)}) + kDone,
         "a 3 4;done"},
        // rx_packets, tx_packets, rx_bytes: tx_bytes is missing and reads as 0.
        {"short 64-bit payload", Link({Name("a"), Stats(3, 4, 24)}) + kDone, "a 3 0;done"},
        {"unterminated name", Link({{IFLA_IFNAME, "wlan0"}}) + kDone, "wlan0 0 0;done"},
        {"attribute past its message", Link({Name("a"), {IFLA_STATS64, "", 1024}}) + kDone,
         "a 0 0;done"},
        {"length zero", a + Link({}, 0), "failed"},
        {"length past the data", Link({Name("a")}, static_cast<std::uint32_t>(a.size()) + 4),
         "failed"},
        {"shorter than its ifinfomsg", Link({}, NLMSG_HDRLEN + 4) + a, "failed"},
        {"an error", a + Message(NLMSG_ERROR), "failed"},
        // InfiniBand's 20-byte address is kept short but known for its length.
        {"hardware addresses",
         Link({{IFLA_ADDRESS, std::string("\x00\x50\xba\x12\xc3\x0d", 6)}}) +
             Link({{IFLA_ADDRESS, std::string(20, '\x11')}}),
         " 0 0 6:\0\x50\xba\x12\xc3\x0d; 0 0 20:\x11\x11\x11\x11\x11\x11;more"s},
    };
    for (const auto& [what, reply, expected] : cases) {
        EXPECT_EQ(Links(reply), expected) << what;
    }
}

std::string Address(unsigned char family, int index,
                    std::vector<std::pair<unsigned short, const char*>> dotted = {}) {
    std::vector<Attr> attrs;
    for (const auto& [type, text] : dotted) {
        attrs.push_back({type, Raw(inet_addr(text))});
    }
    return Message(RTM_NEWADDR, Raw(ifaddrmsg{family, 0, 0, 0, static_cast<unsigned>(index)}),
                   attrs);
}

std::string Addresses(const std::string& reply) {
    return Dump<InterfaceAddress>(ParseAddressDump, reply, [](const InterfaceAddress& a) {
        return std::to_string(a.index) + " " + inet_ntoa(in_addr{a.address});
    });
}

TEST(ParseAddressDump, TakesEachMessagesOwnIPv4AddressInOrderAndFailsOnAShortMessage) {
    const std::string good = Address(AF_INET, 3, {{IFA_LOCAL, "192.0.2.5"}});
    EXPECT_EQ(Addresses(Address(AF_INET, 1, {{IFA_ADDRESS, "127.0.0.1"}}) +
                        // Point to point: IFA_ADDRESS is the peer, wherever it comes.
                        Address(AF_INET, 4, {{IFA_ADDRESS, "10.9.9.1"}, {IFA_LOCAL, "10.9.9.2"}}) +
                        Address(AF_INET6, 4, {{IFA_ADDRESS, "1.1.1.1"}}) + Address(AF_INET, 4) +
                        good + kDone + good),
              "1 127.0.0.1;4 10.9.9.2;3 192.0.2.5;done");
    // The walk of the messages is the links' own: the cases above.
    EXPECT_EQ(Addresses(Message(RTM_NEWADDR, Raw(ifaddrmsg{}), {}, NLMSG_HDRLEN + 4)), "failed");
}

}  // namespace
