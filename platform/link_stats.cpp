#include "link_stats.h"

#include <fcntl.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "route_dump.h"

namespace {

// Reads IFLA_IFNAME and the byte counts from the attributes that follow one ifinfomsg.
InterfaceSample ParseLinkAttributes(std::span<const std::byte> attrs) {
    InterfaceSample sample;
    rtnl_link_stats64 stats64{};
    bool haveStats64 = false;
    rtnl_link_stats stats32{};
    ForEachAttribute(attrs, [&](std::uint16_t type, std::span<const std::byte> payload) {
        switch (type) {
            case IFLA_IFNAME: {
                const auto* text = reinterpret_cast<const char*>(payload.data());
                sample.name.assign(text, strnlen(text, payload.size()));
                break;
            }
            case IFLA_ADDRESS:
                sample.hardwareAddressLength = payload.size();
                std::memcpy(sample.hardwareAddress.data(), payload.data(),
                            std::min(payload.size(), sample.hardwareAddress.size()));
                break;
            case IFLA_STATS64:
                std::memcpy(&stats64, payload.data(), std::min(payload.size(), sizeof stats64));
                haveStats64 = true;
                break;
            case IFLA_STATS:
                std::memcpy(&stats32, payload.data(), std::min(payload.size(), sizeof stats32));
                break;
            default:
                break;
        }
    });
    sample.rxBytes = haveStats64 ? stats64.rx_bytes : stats32.rx_bytes;
    sample.txBytes = haveStats64 ? stats64.tx_bytes : stats32.tx_bytes;
    sample.rxMulticast = haveStats64 ? stats64.multicast : stats32.multicast;
    return sample;
}

// Link speed in bit/s from sysfs; 0 where the kernel reports none (loopback, virtual links).
std::uint64_t ReadLinkSpeed(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        return 0;
    }
    const std::string path = "/sys/class/net/" + name + "/speed";
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    char text[32] = {};
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0) {
        return 0;
    }
    const long long mbits = std::strtoll(text, nullptr, 10);
    return mbits > 0 ? static_cast<std::uint64_t>(mbits) * 1'000'000u : 0;
}

// Link speeds change only on renegotiation; reading sysfs for each interface on every
// query would cost more than the dump itself.
class LinkSpeedCache {
public:
    std::uint64_t Get(const std::string& name) {
        const auto now = std::chrono::steady_clock::now();
        auto [it, added] = m_entries.try_emplace(name);
        if (added || now - it->second.readAt > kMaxAge) {
            it->second = {ReadLinkSpeed(name), now};
        }
        return it->second.bitsPerSec;
    }

private:
    static constexpr std::chrono::seconds kMaxAge{10};
    struct Entry {
        std::uint64_t bitsPerSec = 0;
        std::chrono::steady_clock::time_point readAt;
    };
    std::unordered_map<std::string, Entry> m_entries;
};

struct LinkReader {
    std::mutex lock;
    RouteDumper dumper;
    LinkSpeedCache speeds;
};

LinkReader& TheLinkReader() {
    static LinkReader reader;
    return reader;
}

// One dump into `samples`; 0, or the errno value when the kernel cannot be asked.
int DumpLinks(LinkReader& reader, std::vector<InterfaceSample>& samples) {
    ifinfomsg header{};
    header.ifi_family = AF_UNSPEC;
    return reader.dumper.Dump(RTM_GETLINK, std::as_bytes(std::span(&header, 1)),
                              [&samples](std::span<const std::byte> reply, bool& done) {
                                  return ParseLinkDump(reply, samples, done);
                              });
}

}  // namespace

int ParseLinkDump(std::span<const std::byte> reply, std::vector<InterfaceSample>& out, bool& done) {
    return ParseDumpReply(
        reply, RTM_NEWLINK, sizeof(ifinfomsg),
        [&out](std::span<const std::byte> header, std::span<const std::byte> attributes) {
            const auto info = LoadAt<ifinfomsg>(header, 0);
            InterfaceSample& sample = out.emplace_back(ParseLinkAttributes(attributes));
            sample.index = info.ifi_index;
            sample.flags = info.ifi_flags;
            sample.type = info.ifi_type;
        },
        done);
}

int ReadLinkStats(std::vector<InterfaceSample>& samples) {
    LinkReader& reader = TheLinkReader();
    std::lock_guard guard(reader.lock);
    samples.clear();
    if (const int err = DumpLinks(reader, samples); err != 0) {
        samples.clear();
        return err;
    }
    for (auto& sample : samples) {
        sample.bandwidthBitsPerSec = reader.speeds.Get(sample.name);
    }
    return 0;
}
