#include "multicast_address.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

// "source@group%interface" as read, "refused", or the plain group as inet_addr gave it.
std::string Read(const char* text) {
    CMulticastAddress address;
    address.m_strInterface = "untouched";
    if (!ParseMulticastAddress(text, address)) {
        return address.m_strInterface.str() == "untouched" ? "refused" : "refused, but changed";
    }
    std::string out = address.m_source != INADDR_ANY ? inet_ntoa({address.m_source}) + "@"s : "";
    out += inet_ntoa({address.m_group});
    return out + (address.m_strInterface.IsEmpty() ? "" : "%" + address.m_strInterface.str());
}

TEST(ParseMulticastAddress, TakesAGroupWithAnInterfaceOrASourceOrBothAndRefusesTheRest) {
    const std::pair<const char*, const char*> cases[] = {
        {"232.1.1.1%eth0", "232.1.1.1%eth0"},
        {"10.0.0.1@232.1.1.1", "10.0.0.1@232.1.1.1"},
        {"  10.0.0.1 @ 232.1.1.1 % eth0\t", "10.0.0.1@232.1.1.1%eth0"},
        // `ip link` shows a link with a peer so; the platform finds it by the part before '@'.
        {"232.1.1.1%veth0@if7", "232.1.1.1%veth0@if7"},
        {"239.255.255.255%br-lan.5", "239.255.255.255%br-lan.5"},
        {"224.0.0.0%lo", "224.0.0.0%lo"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Read(text), expected) << text;
    }
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
    const std::pair<const char*, const char*> cases[] = {
        {"228.7.7.7", "228.7.7.7"},
        {" 228.7.7.7 ", "228.7.7.7"},
        {"0xE4070707", "228.7.7.7"},
        {"228.7.1799", "228.7.7.7"},
        {"228.7.7.7 junk", "228.7.7.7"},
        // Not multicast, or no address at all: the join refuses them, as it always did.
        {"192.168.1.1", "192.168.1.1"},
        {"", "255.255.255.255"},
        {"group", "255.255.255.255"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Read(text), expected) << text;
    }
    CMulticastAddress address;
    ASSERT_TRUE(ParseMulticastAddress(nullptr, address));
    EXPECT_EQ(address.m_group, INADDR_NONE);
}

}  // namespace
