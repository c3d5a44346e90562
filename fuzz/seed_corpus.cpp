// Writes the fuzzers' seed inputs: valid blocks, valid dumps, registry files in each encoding,
// TS streams plain and in RTP, /proc/net/netstat and a route reply, for mutations to start
// from.
#include <arpa/inet.h>
#include <linux/if_addr.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "perf_data.h"

namespace {

void Write(const std::filesystem::path& file, const std::vector<std::byte>& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

void Append(std::vector<std::byte>& out, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::byte*>(data);
    out.insert(out.end(), bytes, bytes + size);
    out.resize(RTA_ALIGN(out.size()));
}

void AppendAttribute(std::vector<std::byte>& out, unsigned short type, const void* data,
                     std::size_t size) {
    const rtattr header{static_cast<unsigned short>(RTA_LENGTH(size)), type};
    Append(out, &header, sizeof header);
    Append(out, data, size);
}

std::vector<std::byte> LinkMessage(const std::string& name, std::uint64_t rx, std::uint64_t tx) {
    std::vector<std::byte> out(NLMSG_HDRLEN);
    const ifinfomsg info{};
    Append(out, &info, sizeof info);
    AppendAttribute(out, IFLA_IFNAME, name.c_str(), name.size() + 1);
    rtnl_link_stats64 stats64{};
    stats64.rx_bytes = rx;
    stats64.tx_bytes = tx;
    AppendAttribute(out, IFLA_STATS64, &stats64, sizeof stats64);
    rtnl_link_stats stats{};
    AppendAttribute(out, IFLA_STATS, &stats, sizeof stats);
    const nlmsghdr header{static_cast<std::uint32_t>(out.size()), RTM_NEWLINK, NLM_F_MULTI, 1, 0};
    std::memcpy(out.data(), &header, sizeof header);
    return out;
}

std::vector<std::byte> AddressMessage(int index, std::uint32_t local) {
    std::vector<std::byte> out(NLMSG_HDRLEN);
    ifaddrmsg info{};
    info.ifa_family = AF_INET;
    info.ifa_prefixlen = 24;
    info.ifa_index = static_cast<std::uint32_t>(index);
    Append(out, &info, sizeof info);
    AppendAttribute(out, IFA_ADDRESS, &local, sizeof local);
    AppendAttribute(out, IFA_LOCAL, &local, sizeof local);
    const nlmsghdr header{static_cast<std::uint32_t>(out.size()), RTM_NEWADDR, NLM_F_MULTI, 1, 0};
    std::memcpy(out.data(), &header, sizeof header);
    return out;
}

std::vector<std::byte> Bytes(const std::string& text) {
    const auto* data = reinterpret_cast<const std::byte*>(text.data());
    return {data, data + text.size()};
}

// Seven packets: two PIDs counting on, a null packet, one without payload that announces a
// discontinuity.
std::vector<std::byte> TsDatagram(std::uint8_t (&counters)[3]) {
    std::vector<std::byte> out;
    for (int i = 0; i < 7; ++i) {
        std::byte packet[188];
        std::memset(packet, 0xFF, sizeof packet);
        const unsigned pid = i == 3 ? 0x1FFF : 0x100 + i % 2;
        const bool payload = i != 6;
        std::uint8_t& counter = counters[i == 3 ? 2 : i % 2];
        packet[0] = std::byte{0x47};
        packet[1] = std::byte(pid >> 8);
        packet[2] = std::byte(pid & 0xFF);
        packet[3] = std::byte((payload ? 0x10 : 0x20) | (payload ? ++counter : counter) % 16);
        if (!payload) {
            packet[4] = std::byte{183};
            packet[5] = std::byte{0x80};
        }
        out.insert(out.end(), packet, packet + sizeof packet);
    }
    return out;
}

// With two CSRCs, a one-word extension and padding.
std::vector<std::byte> RtpDatagram(const std::vector<std::byte>& ts, std::uint16_t sequence) {
    std::vector<std::byte> out = {std::byte{0xB2}, std::byte{33}, std::byte(sequence >> 8),
                                  std::byte(sequence & 0xFF)};
    out.resize(12 + 8, std::byte{0x5E});
    out.insert(out.end(), {std::byte{0xBE}, std::byte{0xDE}, std::byte{0}, std::byte{1}});
    out.resize(out.size() + 4);
    out.insert(out.end(), ts.begin(), ts.end());
    out.insert(out.end(), {std::byte{0}, std::byte{2}});
    return out;
}

// Records as the stream checker's fuzzer reads them: losses, length, datagram. The fifth
// datagram is lost upstream, the seventh arrives after a local loss.
std::vector<std::byte> CheckerRecords(bool rtp) {
    std::vector<std::byte> out;
    std::uint8_t counters[3] = {};
    for (std::uint16_t i = 0; i < 10; ++i) {
        const auto ts = TsDatagram(counters);
        const auto datagram = rtp ? RtpDatagram(ts, static_cast<std::uint16_t>(65530 + i)) : ts;
        if (i == 4) {
            continue;
        }
        out.insert(out.end(), {std::byte(i == 6 ? 1 : 0), std::byte(datagram.size() >> 8),
                               std::byte(datagram.size() & 0xFF)});
        out.insert(out.end(), datagram.begin(), datagram.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::filesystem::path root = argv[1];
    Write(root / "perf_data_walker" / "none", BuildPerfDataBlock({}, u""));
    Write(root / "perf_data_walker" / "three",
          BuildPerfDataBlock({{"lo", 1, 2, 0}, {"eth0", 3, 4, 1'000'000'000}, {"wlan0", 5, 6, 0}},
                             u"HOST"));

    std::vector<std::byte> dump = LinkMessage("lo", 1, 2);
    const auto second = LinkMessage("eth0", 3, 4);
    dump.insert(dump.end(), second.begin(), second.end());
    const nlmsghdr done{NLMSG_HDRLEN + sizeof(int), NLMSG_DONE, NLM_F_MULTI, 1, 0};
    Append(dump, &done, sizeof done);
    const int status = 0;
    Append(dump, &status, sizeof status);
    Write(root / "link_stats" / "two_links", dump);

    std::vector<std::byte> addresses = AddressMessage(1, htonl(0x7F000001));
    const auto other = AddressMessage(2, htonl(0xC0000205));
    addresses.insert(addresses.end(), other.begin(), other.end());
    Append(addresses, &done, sizeof done);
    Append(addresses, &status, sizeof status);
    Write(root / "interface_addresses" / "two_addresses", addresses);
    const std::string card =
        "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Ostrand\\Quellar\\DVB Card 1]\r\n"
        "\"ChannelID\"=dword:00000007\r\n\"Card State\"=\"on \\\"air\\\" C:\\\\x\"\r\n"
        "@=hex:01,02,\\\r\n  03\r\n\"Path\"=hex(2):25,00,41,00,00,00\r\n"
        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Old]\r\n\"Gone\"=-\r\n";
    const std::string version5 = "Windows Registry Editor Version 5.00" + card;
    Write(root / "regedit_file" / "utf8", Bytes(version5));
    Write(root / "regedit_file" / "regedit4", Bytes("REGEDIT4" + card));
    std::vector<std::byte> utf16{std::byte{0xFF}, std::byte{0xFE}};
    for (const char c : version5) {
        utf16.push_back(static_cast<std::byte>(c));
        utf16.push_back(std::byte{0});
    }
    Write(root / "regedit_file" / "utf16", utf16);
    Write(root / "stream_checker" / "ts", CheckerRecords(false));
    Write(root / "stream_checker" / "rtp", CheckerRecords(true));

    Write(root / "netstat" / "two_sections",
          Bytes("TcpExt: SyncookiesSent IPReversePathFilter TW\nTcpExt: 0 17 3\n"
                "IpExt: InNoRoutes InTruncatedPkts InMcastPkts\nIpExt: 0 0 4100\n"));
    std::vector<std::byte> route(NLMSG_HDRLEN);
    rtmsg message{};
    message.rtm_family = AF_INET;
    message.rtm_dst_len = 32;
    message.rtm_table = RT_TABLE_MAIN;
    message.rtm_type = RTN_MULTICAST;
    Append(route, &message, sizeof message);
    const std::uint32_t group = htonl(0xE8010101);
    AppendAttribute(route, RTA_DST, &group, sizeof group);
    const std::uint32_t oif = 2;
    AppendAttribute(route, RTA_OIF, &oif, sizeof oif);
    const nlmsghdr reply{static_cast<std::uint32_t>(route.size()), RTM_NEWROUTE, 0, 1, 0};
    std::memcpy(route.data(), &reply, sizeof reply);
    Write(root / "route_reply" / "multicast", route);
    return 0;
}
