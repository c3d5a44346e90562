#include "multicast_join.h"

#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <cstring>

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
            const in_pktinfo info{3, {inet_addr("10.0.0.9")}, {inet_addr("232.1.1.1")}};
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

// The joins themselves are the multicast capture's tests (tests/capture): they see what the
// joins let through, by route and on an interface without an address.

}  // namespace
