#include "multicast_join.h"

#include <net/if.h>

#include <cerrno>
#include <cstring>

#include "win_error.h"

namespace {

sockaddr_storage Ipv4(in_addr_t address) {
    sockaddr_storage storage{};
    sockaddr_in ipv4{};
    ipv4.sin_family = AF_INET;
    ipv4.sin_addr.s_addr = address;
    std::memcpy(&storage, &ipv4, sizeof ipv4);
    return storage;
}

}  // namespace

DWORD GetInterfaceIndex(const std::string& name, int& index) {
    index = 0;
    unsigned found = if_nametoindex(name.c_str());
    // `ip link` shows a link with a peer or a parent as name@peer; the name is what counts.
    if (const auto at = name.find('@'); found == 0 && at != std::string::npos && at > 0) {
        found = if_nametoindex(name.substr(0, at).c_str());
    }
    if (found == 0) {
        return ERROR_INVALID_PARAMETER;
    }
    index = static_cast<int>(found);
    return ERROR_SUCCESS;
}

DWORD JoinMulticastGroup(SOCKET s, const MulticastMembership& membership) {
    // Joined by index, not by an interface address: a capture interface often has none.
    const auto interfaceIndex = static_cast<std::uint32_t>(membership.interfaceIndex);
    int result = 0;
    if (membership.source == INADDR_ANY) {
        group_req request{};
        request.gr_interface = interfaceIndex;
        request.gr_group = Ipv4(membership.group);
        result = setsockopt(s, IPPROTO_IP, MCAST_JOIN_GROUP, &request, sizeof request);
    } else {
        group_source_req request{};
        request.gsr_interface = interfaceIndex;
        request.gsr_group = Ipv4(membership.group);
        request.gsr_source = Ipv4(membership.source);
        result = setsockopt(s, IPPROTO_IP, MCAST_JOIN_SOURCE_GROUP, &request, sizeof request);
    }
    return result == 0 ? ERROR_SUCCESS : WinErrorFromErrno(errno);
}

DWORD ReceiveDatagramDestinations(SOCKET s) {
    const int on = 1;
    if (setsockopt(s, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0) {
        return WinErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

bool GetDatagramDestination(const msghdr& message, in_addr_t& destination) {
    auto& walked = const_cast<msghdr&>(message);  // the CMSG macros take no const
    for (cmsghdr* c = CMSG_FIRSTHDR(&walked); c != nullptr; c = CMSG_NXTHDR(&walked, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO &&
            c->cmsg_len >= CMSG_LEN(sizeof(in_pktinfo))) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof info);
            destination = info.ipi_addr.s_addr;
            return true;
        }
    }
    return false;
}
