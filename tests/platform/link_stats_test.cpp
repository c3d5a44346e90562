#include "link_stats.h"

#include <arpa/inet.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>

namespace {

struct Attr {
    unsigned short type;
    std::vector<std::byte> payload;
};

template <typename T>
Attr Raw(unsigned short type, const T& value, std::size_t size = sizeof(T)) {
    Attr attr{type, std::vector<std::byte>(size)};
    if (size > 0) {
        std::memcpy(attr.payload.data(), &value, std::min(size, sizeof(T)));
    }
    return attr;
}

Attr Name(std::string_view name, bool terminated = true) {
    Attr attr{IFLA_IFNAME, std::vector<std::byte>(name.size() + (terminated ? 1 : 0))};
    std::memcpy(attr.payload.data(), name.data(), name.size());
    return attr;
}

Attr Stats64(std::uint64_t rx, std::uint64_t tx, std::size_t size = sizeof(rtnl_link_stats64)) {
    rtnl_link_stats64 stats{};
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return Raw(IFLA_STATS64, stats, size);
}

Attr Stats32(std::uint32_t rx, std::uint32_t tx) {
    rtnl_link_stats stats{};
    stats.rx_bytes = rx;
    stats.tx_bytes = tx;
    return Raw(IFLA_STATS, stats);
}

void Append(std::vector<std::byte>& out, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::byte*>(data);
    out.insert(out.end(), bytes, bytes + size);
    out.resize((out.size() + 3) & ~std::size_t{3});
}

// One netlink message; `length` overrides nlmsg_len to forge malformed headers.
std::vector<std::byte> Message(std::uint16_t type, const std::vector<Attr>& attrs = {},
                               std::optional<std::uint32_t> length = std::nullopt) {
    std::vector<std::byte> out;
    nlmsghdr header{};
    header.nlmsg_type = type;
    Append(out, &header, sizeof header);
    if (type == RTM_NEWLINK) {
        const ifinfomsg info{};
        Append(out, &info, sizeof info);
        for (const Attr& attr : attrs) {
            const rtattr head{static_cast<unsigned short>(sizeof(rtattr) + attr.payload.size()),
                              attr.type};
            const std::size_t at = out.size();
            Append(out, &head, sizeof head);
            out.resize(at + sizeof head);
            Append(out, attr.payload.data(), attr.payload.size());
        }
    }
    const std::uint32_t len = length.value_or(static_cast<std::uint32_t>(out.size()));
    std::memcpy(out.data(), &len, sizeof len);
    return out;
}

std::vector<std::byte> Dump(std::initializer_list<std::vector<std::byte>> messages) {
    std::vector<std::byte> out;
    for (const auto& message : messages) {
        out.insert(out.end(), message.begin(), message.end());
    }
    return out;
}

struct Parsed {
    bool done;
    bool failed;
    std::vector<InterfaceSample> samples;
};

Parsed Parse(const std::vector<std::byte>& reply) {
    Parsed parsed{false, false, {}};
    parsed.done = ParseLinkDump(reply, parsed.samples, parsed.failed);
    return parsed;
}

TEST(ParseLinkDump, ReadsLinksInOrderUntilDone) {
    const Parsed parsed = Parse(Dump({
        Message(RTM_NEWLINK, {Name("eth0"), Stats64(5'000'000'000, 7)}),
        Message(RTM_NEWADDR),
        Message(RTM_NEWLINK, {Name("lo"), Stats32(11, 13)}),
        Message(NLMSG_DONE),
        Message(RTM_NEWLINK, {Name("after-done")}),
    }));
    EXPECT_TRUE(parsed.done);
    EXPECT_FALSE(parsed.failed);
    ASSERT_EQ(parsed.samples.size(), 2u);
    EXPECT_EQ(parsed.samples[0].name, "eth0");
    EXPECT_EQ(parsed.samples[0].rxBytes, 5'000'000'000u);
    EXPECT_EQ(parsed.samples[0].txBytes, 7u);
    EXPECT_EQ(parsed.samples[1].name, "lo");
    EXPECT_EQ(parsed.samples[1].rxBytes, 11u);
    EXPECT_EQ(parsed.samples[1].txBytes, 13u);
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
        {"empty 64-bit payload wins as zero", {Stats32(1, 2), Stats64(3, 4, 0)}, "", 0, 0},
        {"unterminated name", {Name("wlan0", false)}, "wlan0", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Parsed parsed = Parse(Dump({Message(RTM_NEWLINK, c.attrs), Message(NLMSG_DONE)}));
        EXPECT_TRUE(parsed.done);
        EXPECT_FALSE(parsed.failed);
        ASSERT_EQ(parsed.samples.size(), 1u);
        EXPECT_EQ(parsed.samples[0].name, c.name);
        EXPECT_EQ(parsed.samples[0].rxBytes, c.rx);
        EXPECT_EQ(parsed.samples[0].txBytes, c.tx);
    }
}

TEST(ParseLinkDump, AnAttributeLongerThanItsMessageEndsTheAttributes) {
    auto message = Message(RTM_NEWLINK, {Name("eth0"), Stats64(3, 4)});
    // The stats attribute's rta_len, right after the 8-byte name attribute, claims 1 KiB.
    const std::size_t statsAttr = NLMSG_LENGTH(sizeof(ifinfomsg)) + RTA_SPACE(5);
    const unsigned short tooLong = 1024;
    std::memcpy(message.data() + statsAttr, &tooLong, sizeof tooLong);
    const Parsed parsed = Parse(Dump({message, Message(NLMSG_DONE)}));
    EXPECT_FALSE(parsed.failed);
    ASSERT_EQ(parsed.samples.size(), 1u);
    EXPECT_EQ(parsed.samples[0].name, "eth0");
    EXPECT_EQ(parsed.samples[0].rxBytes, 0u);
}

TEST(ParseLinkDump, ContinuesAcrossDatagramsUntilDone) {
    std::vector<InterfaceSample> samples;
    bool failed = false;
    EXPECT_FALSE(ParseLinkDump(Message(RTM_NEWLINK, {Name("a")}), samples, failed));
    EXPECT_FALSE(ParseLinkDump({}, samples, failed));
    EXPECT_TRUE(ParseLinkDump(Dump({Message(RTM_NEWLINK, {Name("b")}), Message(NLMSG_DONE)}),
                              samples, failed));
    EXPECT_FALSE(failed);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[1].name, "b");
}

TEST(ParseLinkDump, MalformedMessagesAndErrorsFailTheDump) {
    const auto link = Message(RTM_NEWLINK, {Name("a")});
    const std::uint32_t linkLength = static_cast<std::uint32_t>(link.size());
    struct Case {
        const char* what;
        std::vector<std::byte> reply;
    };
    const Case cases[] = {
        {"zero length", Dump({link, Message(RTM_NEWLINK, {}, 0)})},
        {"length below the header", Dump({Message(RTM_NEWLINK, {}, 15), link})},
        {"length past the reply", Dump({Message(RTM_NEWLINK, {Name("a")}, linkLength + 4)})},
        {"link shorter than ifinfomsg", Dump({Message(RTM_NEWLINK, {}, 20), link})},
        {"error message", Dump({link, Message(NLMSG_ERROR)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Parsed parsed = Parse(c.reply);
        EXPECT_TRUE(parsed.done);
        EXPECT_TRUE(parsed.failed);
    }
}

std::optional<InterfaceSample> Loopback(const std::vector<InterfaceSample>& samples) {
    const auto it = std::find_if(samples.begin(), samples.end(),
                                 [](const InterfaceSample& s) { return s.name == "lo"; });
    return it == samples.end() ? std::nullopt : std::optional(*it);
}

class Socket {
public:
    Socket() : m_fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

TEST(ReadLinkStats, LoopbackCountsDatagramsSentThroughIt) {
    const auto before = ReadLinkStats();
    if (!before) {
        GTEST_SKIP() << "netlink unavailable: " << std::strerror(errno);
    }
    const auto loBefore = Loopback(*before);
    ASSERT_TRUE(loBefore) << "no lo among " << before->size() << " interfaces";

    Socket receiver;
    Socket sender;
    ASSERT_GE(receiver.fd(), 0);
    ASSERT_GE(sender.fd(), 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const timeval timeout{2, 0};
    ASSERT_EQ(setsockopt(receiver.fd(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout), 0);
    ASSERT_EQ(bind(receiver.fd(), reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(getsockname(receiver.fd(), reinterpret_cast<sockaddr*>(&address), &length), 0);

    constexpr int kDatagrams = 200;
    constexpr std::size_t kSize = 1000;
    char payload[kSize] = {};
    int received = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    // One at a time, so the receive buffer never overflows and drops some.
    for (int i = 0; i < kDatagrams && std::chrono::steady_clock::now() < deadline; ++i) {
        const ssize_t sent = sendto(sender.fd(), payload, kSize, 0,
                                    reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (sent < 0) {
            GTEST_SKIP() << "cannot send on loopback: " << std::strerror(errno);
        }
        if (recv(receiver.fd(), payload, kSize, 0) == static_cast<ssize_t>(kSize)) {
            ++received;
        }
    }
    ASSERT_EQ(received, kDatagrams);

    const auto after = ReadLinkStats();
    ASSERT_TRUE(after);
    const auto loAfter = Loopback(*after);
    ASSERT_TRUE(loAfter);
    EXPECT_GE(loAfter->rxBytes - loBefore->rxBytes, kDatagrams * kSize);
    EXPECT_GE(loAfter->txBytes - loBefore->txBytes, kDatagrams * kSize);
}

}  // namespace
