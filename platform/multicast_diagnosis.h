// Why a multicast join receives nothing: what the host shows an ordinary user (/proc, the
// rp_filter sysctls, netlink) at the join and after a silence, and which cause fits. Used by
// the multicast capture through MulticastSilenceWatch; reads only, never changes a setting.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct MulticastLinkState {
    int index = 0;
    std::string name;
    unsigned flags = 0;             // IFF_UP, IFF_RUNNING, IFF_MULTICAST, ...
    std::uint64_t rxMulticast = 0;  // the driver's count; veth counts none
    int rpFilter = -1;              // its own net.ipv4.conf.<name>.rp_filter; -1 unread
    bool hasAddress = false;        // an IPv4 address of its own
};

struct MulticastHostSnapshot {
    std::chrono::steady_clock::time_point takenAt;
    bool countersRead = false;            // the two counters below, from /proc/net/netstat
    std::uint64_t reversePathDrops = 0;   // TcpExt IPReversePathFilter
    std::uint64_t multicastReceived = 0;  // IpExt InMcastPkts: routed to this host
    int rpFilterAll = -1;                 // net.ipv4.conf.all.rp_filter; -1 unread
    std::vector<MulticastLinkState> links;
    int routeError = 0;  // asking the route to the group: 0, or the errno (ENETUNREACH: none)
    int routeIndex = 0;  // the interface the route to the group leads out of
};

struct NetstatCounters {
    std::uint64_t reversePathDrops = 0;
    std::uint64_t multicastReceived = 0;
};

// Reads IPReversePathFilter (TcpExt) and InMcastPkts (IpExt) from /proc/net/netstat's text:
// lines in pairs, names then values, each led by the same "Section:".
// Returns 0, or EIO when either is missing or not a number (counters then as they were).
[[nodiscard]] int ParseNetstat(std::span<const std::byte> text, NetstatCounters& counters);

// The interface out of which the kernel's answer to an RTM_GETROUTE request leads (RTA_OIF).
// Returns 0 with index set; the errno value of an NLMSG_ERROR answer (ENETUNREACH: no route);
// or EIO for a malformed reply or one without an interface (index then left as it was).
[[nodiscard]] int ParseRouteReply(std::span<const std::byte> reply, int& index);

// What the host shows now, for a join of group (network byte order). Never fails as a whole:
// a part that cannot be read keeps its "unread" value above.
MulticastHostSnapshot TakeMulticastSnapshot(in_addr_t group);

enum class JoinDiagnosis {
    kNone,
    kInterface,       // the interface joined on is unusable, or no route leads to the group
    kReversePath,     // the reverse-path filter drops the group's packets
    kFirewall,        // multicast reaches the host but not the socket: most likely a firewall
    kNothingArrives,  // nothing reaches the host: the sender or the network
};

enum class InterfaceProblem { kNone, kGone, kDown, kNoCarrier, kNoMulticast, kNoRoute };

struct MulticastDiagnosis {
    JoinDiagnosis kind = JoinDiagnosis::kNone;
    InterfaceProblem problem = InterfaceProblem::kNone;
    std::string interfaceName;  // joined on, by name or by route; empty when not known
    bool joinedByRoute = false;
    bool streamRan = false;  // datagrams of the group had come before this silence
    // kReversePath: the interfaces whose filter drops them, its effective value there
    // (the larger of all's and the interface's), whether the first has an IPv4 address, and
    // the sysctl settings ("net.ipv4.conf.eth0.rp_filter=2", space-separated) that let them pass.
    std::vector<std::string> filteringInterfaces;
    int rpFilter = 0;
    bool hasAddress = true;
    std::string sysctlSettings;
    // kFirewall: multicast packets routed to the host while the socket received none.
    std::uint64_t multicastSeen = 0;
};

// Why a join on joinedIndex (0: by the route to the group, as `before` found it) received
// nothing of the group between the two snapshots. In this order: the interface, the
// reverse-path filter (its drop counter grew and the interface filters), multicast arriving
// (at least 5 a second, at least 3) yet not reaching the socket, else nothing arriving.
MulticastDiagnosis DiagnoseSilentJoin(const MulticastHostSnapshot& before,
                                      const MulticastHostSnapshot& after, int joinedIndex,
                                      bool streamRan);
