#include "multicast_diagnosis.h"

#include <fcntl.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string_view>

#include "interface_addresses.h"
#include "link_stats.h"
#include "route_dump.h"

namespace {

// Below this many a second, multicast reaching the host is the network's own chatter (IGMP
// queries, service discovery), not a stream the socket should have had.
constexpr std::uint64_t kStreamPacketsPerSecond = 5;
constexpr std::uint64_t kLeastStreamPackets = 3;
// /proc/net/netstat is a few KiB; anything far beyond is not it.
constexpr std::size_t kMostProcText = 1 << 20;

std::string_view Token(std::string_view& line) {
    const auto start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const auto end = std::min(line.find(' '), line.size());
    const std::string_view token = line.substr(0, end);
    line.remove_prefix(end);
    return token;
}

bool ReadNumber(std::string_view text, std::uint64_t& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

// Finds `name` in one names line and its values line; both still carry their "Section:".
bool FindCounter(std::string_view names, std::string_view values, std::string_view name,
                 std::uint64_t& value) {
    Token(names);
    Token(values);
    for (std::string_view n = Token(names), v = Token(values); !n.empty();
         n = Token(names), v = Token(values)) {
        if (n == name) {
            return ReadNumber(v, value);
        }
    }
    return false;
}

// The text up to kMostProcText of a /proc or /sys file; empty when it cannot be read.
std::string ReadSmallFile(const std::string& path) {
    std::string text;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return text;
    }
    char buffer[4096];
    for (ssize_t n; text.size() < kMostProcText && (n = read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            text.clear();
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return text;
}

// An rp_filter sysctl (0, 1 or 2); -1 when it cannot be read.
int ReadRpFilter(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        return -1;
    }
    std::string text = ReadSmallFile("/proc/sys/net/ipv4/conf/" + name + "/rp_filter");
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    std::uint64_t value = 0;
    return ReadNumber(text, value) && value <= 2 ? static_cast<int>(value) : -1;
}

int AskRouteToGroup(in_addr_t group, int& index) {
    struct {
        rtmsg message;
        rtattr destination;
        in_addr_t address;
    } request{};
    static_assert(sizeof request == NLMSG_ALIGN(sizeof(rtmsg)) + RTA_LENGTH(sizeof(in_addr_t)));
    request.message.rtm_family = AF_INET;
    request.message.rtm_dst_len = 32;
    request.destination.rta_len = RTA_LENGTH(sizeof(in_addr_t));
    request.destination.rta_type = RTA_DST;
    request.address = group;
    RouteDumper dumper;  // asked twice a capture at most: a socket of its own
    return dumper.Ask(
        RTM_GETROUTE, std::as_bytes(std::span(&request, 1)),
        [&index](std::span<const std::byte> reply) { return ParseRouteReply(reply, index); });
}

const MulticastLinkState* FindLink(const MulticastHostSnapshot& snapshot, int index) {
    const auto it = std::find_if(snapshot.links.begin(), snapshot.links.end(),
                                 [index](const MulticastLinkState& l) { return l.index == index; });
    return it != snapshot.links.end() ? &*it : nullptr;
}

int EffectiveRpFilter(const MulticastHostSnapshot& snapshot, const MulticastLinkState& link) {
    return std::max(snapshot.rpFilterAll, link.rpFilter);
}

// sysctl writes a '.' of an interface name as '/'.
std::string RpFilterKey(std::string name) {
    std::replace(name.begin(), name.end(), '.', '/');
    return "net.ipv4.conf." + name + ".rp_filter";
}

std::uint64_t Growth(std::uint64_t before, std::uint64_t after) {
    return after > before ? after - before : 0;
}

InterfaceProblem FindInterfaceProblem(const MulticastHostSnapshot& after,
                                      const MulticastLinkState* link, int index,
                                      bool joinedByRoute) {
    if (index != 0 && !after.links.empty()) {
        if (link == nullptr) {
            return InterfaceProblem::kGone;
        }
        if ((link->flags & IFF_UP) == 0) {
            return InterfaceProblem::kDown;
        }
        if ((link->flags & IFF_RUNNING) == 0) {
            return InterfaceProblem::kNoCarrier;
        }
        if ((link->flags & IFF_MULTICAST) == 0) {
            return InterfaceProblem::kNoMulticast;
        }
    }
    // Joined on a named interface, a capture needs no route; joined by route, it did.
    if (joinedByRoute && (after.routeError == ENETUNREACH || after.routeError == EHOSTUNREACH)) {
        return InterfaceProblem::kNoRoute;
    }
    return InterfaceProblem::kNone;
}

// Settings are given space-separated, as one sysctl line takes them.
void AppendSetting(std::string& settings, const std::string& setting) {
    if (!settings.empty()) {
        settings.push_back(' ');
    }
    settings.append(setting);
}

// The joined interface's filter, when the drop counter grew and it filters at all; else the
// strict ones among all up interfaces when the joined one is not known.
bool FindReversePathFilter(const MulticastHostSnapshot& after, const MulticastLinkState* link,
                           MulticastDiagnosis& d) {
    if (link != nullptr) {
        d.rpFilter = EffectiveRpFilter(after, *link);
        if (d.rpFilter <= 0) {
            return false;  // the drops are other packets'
        }
        d.filteringInterfaces = {link->name};
        d.hasAddress = link->hasAddress;
        if (d.rpFilter == 1 && link->hasAddress) {
            // Loose passes what has a route back through any interface.
            d.sysctlSettings = RpFilterKey(link->name) + "=2";
        } else {
            // Loose still drops what has no route back at all, and everything on an interface
            // without an address: only off lets it pass. The larger of the two counts.
            if (after.rpFilterAll > 0) {
                d.sysctlSettings = "net.ipv4.conf.all.rp_filter=0";
            }
            if (link->rpFilter > 0) {
                AppendSetting(d.sysctlSettings, RpFilterKey(link->name) + "=0");
            }
        }
        return true;
    }
    for (const MulticastLinkState& l : after.links) {
        if ((l.flags & IFF_UP) != 0 && (l.flags & IFF_LOOPBACK) == 0 &&
            EffectiveRpFilter(after, l) == 1) {
            d.filteringInterfaces.push_back(l.name);
            AppendSetting(d.sysctlSettings, RpFilterKey(l.name) + "=2");
        }
    }
    d.rpFilter = 1;
    return !d.filteringInterfaces.empty();
}

// What a stream sends at least over the time between the snapshots.
std::uint64_t LeastStreamPackets(const MulticastHostSnapshot& before,
                                 const MulticastHostSnapshot& after) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(after.takenAt - before.takenAt);
    const auto fromRate = kStreamPacketsPerSecond *
                          static_cast<std::uint64_t>(std::max<std::int64_t>(ms.count(), 0)) / 1000;
    return std::max(kLeastStreamPackets, fromRate);
}

}  // namespace

int ParseNetstat(std::span<const std::byte> text, NetstatCounters& counters) {
    const std::string_view all(reinterpret_cast<const char*>(text.data()), text.size());
    std::vector<std::string_view> lines;
    for (std::size_t pos = 0; pos < all.size();) {
        const std::size_t end = std::min(all.find('\n', pos), all.size());
        lines.push_back(all.substr(pos, end - pos));
        pos = end + 1;
    }
    NetstatCounters found;
    bool haveDrops = false;
    bool haveMulticast = false;
    for (std::size_t i = 0; i + 1 < lines.size();) {
        const std::size_t colon = lines[i].find(':');
        const std::string_view section = lines[i].substr(0, colon);
        if (colon == std::string_view::npos ||
            lines[i + 1].substr(0, colon + 1) != lines[i].substr(0, colon + 1)) {
            ++i;
            continue;
        }
        if (section == "TcpExt" && !haveDrops) {
            haveDrops =
                FindCounter(lines[i], lines[i + 1], "IPReversePathFilter", found.reversePathDrops);
        } else if (section == "IpExt" && !haveMulticast) {
            haveMulticast =
                FindCounter(lines[i], lines[i + 1], "InMcastPkts", found.multicastReceived);
        }
        i += 2;
    }
    if (!haveDrops || !haveMulticast) {
        return EIO;
    }
    counters = found;
    return 0;
}

int ParseRouteReply(std::span<const std::byte> reply, int& index) {
    for (std::size_t pos = 0; pos + sizeof(nlmsghdr) <= reply.size();) {
        const auto message = LoadAt<nlmsghdr>(reply, pos);
        if (message.nlmsg_len < sizeof(nlmsghdr) || message.nlmsg_len > reply.size() - pos) {
            return EIO;
        }
        const std::size_t end = pos + message.nlmsg_len;
        if (message.nlmsg_type == NLMSG_ERROR) {
            if (message.nlmsg_len < NLMSG_LENGTH(sizeof(int))) {
                return EIO;
            }
            const int error = LoadAt<int>(reply, pos + NLMSG_HDRLEN);
            return error < 0 && error > -4096 ? -error : EIO;
        }
        if (message.nlmsg_type == RTM_NEWROUTE) {
            const std::size_t attributes = pos + NLMSG_HDRLEN + NLMSG_ALIGN(sizeof(rtmsg));
            if (attributes > end) {
                return EIO;
            }
            int found = 0;
            ForEachAttribute(reply.subspan(attributes, end - attributes),
                             [&found](std::uint16_t type, std::span<const std::byte> payload) {
                                 if (type == RTA_OIF && payload.size() == sizeof(std::uint32_t)) {
                                     found = static_cast<int>(LoadAt<std::uint32_t>(payload, 0));
                                 }
                             });
            if (found <= 0) {
                return EIO;
            }
            index = found;
            return 0;
        }
        pos += NLMSG_ALIGN(message.nlmsg_len);
    }
    return EIO;
}

MulticastHostSnapshot TakeMulticastSnapshot(in_addr_t group) {
    MulticastHostSnapshot snapshot;
    snapshot.takenAt = std::chrono::steady_clock::now();
    const std::string netstat = ReadSmallFile("/proc/net/netstat");
    NetstatCounters counters;
    if (ParseNetstat(std::as_bytes(std::span(netstat)), counters) == 0) {
        snapshot.countersRead = true;
        snapshot.reversePathDrops = counters.reversePathDrops;
        snapshot.multicastReceived = counters.multicastReceived;
    }
    snapshot.rpFilterAll = ReadRpFilter("all");
    std::vector<InterfaceSample> samples;
    std::vector<InterfaceAddress> addresses;
    if (ReadLinkStats(samples) == 0) {
        // Without the addresses, every link counts as having none: the advice then is the
        // one that works either way.
        (void)ReadInterfaceAddresses(addresses);
    }
    for (const InterfaceSample& sample : samples) {
        MulticastLinkState& link = snapshot.links.emplace_back();
        link.index = sample.index;
        link.name = sample.name;
        link.flags = sample.flags;
        link.rxMulticast = sample.rxMulticast;
        link.rpFilter = ReadRpFilter(sample.name);
        link.hasAddress =
            std::any_of(addresses.begin(), addresses.end(),
                        [&sample](const InterfaceAddress& a) { return a.index == sample.index; });
    }
    snapshot.routeError = AskRouteToGroup(group, snapshot.routeIndex);
    return snapshot;
}

MulticastDiagnosis DiagnoseSilentJoin(const MulticastHostSnapshot& before,
                                      const MulticastHostSnapshot& after, int joinedIndex,
                                      bool streamRan) {
    MulticastDiagnosis d;
    d.streamRan = streamRan;
    d.joinedByRoute = joinedIndex == 0;
    // Joined by route, the kernel chose the interface the route led out of at the join.
    const int index =
        d.joinedByRoute ? (before.routeError == 0 ? before.routeIndex : 0) : joinedIndex;
    const MulticastLinkState* link = index != 0 ? FindLink(after, index) : nullptr;
    const MulticastLinkState* linkBefore = index != 0 ? FindLink(before, index) : nullptr;
    d.interfaceName = link != nullptr ? link->name : linkBefore != nullptr ? linkBefore->name : "";

    d.problem = FindInterfaceProblem(after, link, index, d.joinedByRoute);
    if (d.problem != InterfaceProblem::kNone) {
        d.kind = JoinDiagnosis::kInterface;
        return d;
    }
    const bool counters = before.countersRead && after.countersRead;
    if (counters && after.reversePathDrops > before.reversePathDrops) {
        MulticastDiagnosis filtered = d;
        if (FindReversePathFilter(after, link, filtered)) {
            filtered.kind = JoinDiagnosis::kReversePath;
            return filtered;
        }
    }
    // veth and some drivers count no multicast: the IP layer's count serves for them.
    std::uint64_t seen = counters ? Growth(before.multicastReceived, after.multicastReceived) : 0;
    if (link != nullptr && linkBefore != nullptr) {
        seen = std::max(seen, Growth(linkBefore->rxMulticast, link->rxMulticast));
    }
    if (seen >= LeastStreamPackets(before, after)) {
        d.kind = JoinDiagnosis::kFirewall;
        d.multicastSeen = seen;
        return d;
    }
    d.kind = JoinDiagnosis::kNothingArrives;
    return d;
}
