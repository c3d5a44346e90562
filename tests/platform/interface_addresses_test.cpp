#include "interface_addresses.h"

#include <arpa/inet.h>
#include <linux/if_addr.h>
#include <linux/rtnetlink.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Attr {
    unsigned short type;
    const char* dotted;
};

void Append(std::string& out, const void* data, std::size_t size) {
    out.append(static_cast<const char*>(data), size);
    out.resize(RTA_ALIGN(out.size()));
}

std::string Message(std::uint16_t type, unsigned char family, int index,
                    std::initializer_list<Attr> attrs = {}) {
    std::string out(NLMSG_HDRLEN, '\0');
    if (type == RTM_NEWADDR) {
        ifaddrmsg info{};
        info.ifa_family = family;
        info.ifa_index = static_cast<unsigned>(index);
        Append(out, &info, sizeof info);
        for (const Attr& attr : attrs) {
            in_addr address{};
            inet_pton(AF_INET, attr.dotted, &address);
            const rtattr head{static_cast<unsigned short>(RTA_LENGTH(sizeof address)), attr.type};
            Append(out, &head, sizeof head);
            Append(out, &address, sizeof address);
        }
    }
    nlmsghdr header{};
    header.nlmsg_len = static_cast<std::uint32_t>(out.size());
    header.nlmsg_type = type;
    std::memcpy(out.data(), &header, sizeof header);
    return out;
}

std::string Parse(const std::string& reply, bool& done, bool& failed) {
    std::vector<InterfaceAddress> out;
    done = false;
    failed = ParseAddressDump(std::as_bytes(std::span(reply)), out, done) != 0;
    std::string text;
    for (const InterfaceAddress& a : out) {
        text += std::to_string(a.index) + " " + inet_ntoa(in_addr{a.address}) + "\n";
    }
    return text;
}

TEST(ParseAddressDump, TakesTheOwnIPv4AddressOfEachMessageInOrderAndFailsOnMalformedOnes) {
    const std::string good = Message(RTM_NEWADDR, AF_INET, 3, {{IFA_LOCAL, "192.0.2.5"}});
    const std::string reply =
        Message(RTM_NEWADDR, AF_INET, 1, {{IFA_ADDRESS, "127.0.0.1"}}) +
        // Point to point: IFA_ADDRESS is the peer, wherever it comes.
        Message(RTM_NEWADDR, AF_INET, 4, {{IFA_ADDRESS, "10.9.9.1"}, {IFA_LOCAL, "10.9.9.2"}}) +
        Message(RTM_NEWADDR, AF_INET6, 4, {{IFA_ADDRESS, "1.1.1.1"}}) +
        Message(RTM_NEWADDR, AF_INET, 4) + good + Message(NLMSG_DONE, 0, 0) + good;
    bool done = false;
    bool failed = false;
    EXPECT_EQ(Parse(reply, done, failed), "1 127.0.0.1\n4 10.9.9.2\n3 192.0.2.5\n");
    EXPECT_TRUE(done);
    EXPECT_FALSE(failed);
    Parse(good, done, failed);
    EXPECT_FALSE(done) << "more datagrams are due";

    std::string tooLong = good;
    tooLong[0] = static_cast<char>(good.size() + 4);
    std::string shorterThanBody = Message(RTM_NEWADDR, AF_INET, 2);
    shorterThanBody[0] = static_cast<char>(NLMSG_HDRLEN + 4);
    for (const std::string& bad :
         {good + tooLong, shorterThanBody, good + Message(NLMSG_ERROR, 0, 0)}) {
        Parse(bad, done, failed);
        EXPECT_TRUE(failed);  // which ends the dump
    }
}

}  // namespace
