// Joining a multicast group on a chosen interface, for one source or all, and telling the
// group's datagrams from strays that reach the same port. Used by the multicast capture.
// Addresses are in network byte order; the socket is the caller's, bound before the join.
#pragma once

#include <sys/socket.h>

#include <cstddef>
#include <string>

#include "winsock.h"

struct MulticastMembership {
    in_addr_t group = INADDR_ANY;
    in_addr_t source = INADDR_ANY;  // INADDR_ANY: every source
    int interfaceIndex = 0;         // 0: the interface the route for the group leads out of
};

// Control space recvmsg needs per datagram for the destination that IP_PKTINFO adds.
inline constexpr std::size_t kDestinationControlSpace = CMSG_SPACE(sizeof(in_pktinfo));

// The index of the interface named as `ip` prints it: "eth0", or "veth0@if7" and
// "vlan5@eth0", where the part before the '@' names it when no interface has the whole name.
// Returns ERROR_SUCCESS, or ERROR_INVALID_PARAMETER when none is named so (index left 0).
[[nodiscard]] DWORD GetInterfaceIndex(const std::string& name, int& index);

// Joins s to the membership's group on its interface, for its one source when it names one
// (MCAST_JOIN_SOURCE_GROUP), else for all (MCAST_JOIN_GROUP; with index 0 as
// IP_ADD_MEMBERSHIP joins). An interface without an IPv4 address serves as well.
// Returns ERROR_SUCCESS, or the Windows code of the failure (the socket then joined nothing):
// a group that is no multicast address, an interface that is gone, no route to the group.
[[nodiscard]] DWORD JoinMulticastGroup(SOCKET s, const MulticastMembership& membership);

// Makes every datagram s receives carry its destination address (IP_PKTINFO), for
// GetDatagramDestination. Returns ERROR_SUCCESS or the Windows code of the failure.
[[nodiscard]] DWORD ReceiveDatagramDestinations(SOCKET s);

// The destination address of a datagram read by recvmsg or recvmmsg on such a socket: the
// address its IP header carried. False, destination left as it was, when the control data
// hold none (IP_PKTINFO not set, or the control buffer was too small: MSG_CTRUNC).
[[nodiscard]] bool GetDatagramDestination(const msghdr& message, in_addr_t& destination);

// Whether a datagram from source to destination belongs to the stream joined: sent to the
// group and, when the membership names a source, by that source.
inline bool IsGroupDatagram(const MulticastMembership& membership, in_addr_t destination,
                            in_addr_t source) {
    return destination == membership.group &&
           (membership.source == INADDR_ANY || source == membership.source);
}
