#include "interface_addresses.h"

#include <linux/if_addr.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cstring>

#include "route_dump.h"

namespace {

// The address from the attributes that follow one ifaddrmsg, or nullopt when it has none.
std::optional<std::uint32_t> ParseAddressAttributes(std::span<const std::byte> attrs) {
    std::optional<std::uint32_t> local;
    std::optional<std::uint32_t> address;
    std::size_t pos = 0;
    while (pos + sizeof(rtattr) <= attrs.size()) {
        const auto attr = LoadAt<rtattr>(attrs, pos);
        if (attr.rta_len < sizeof(rtattr) || attr.rta_len > attrs.size() - pos) {
            break;
        }
        const std::size_t length = attr.rta_len - sizeof(rtattr);
        if (length == sizeof(std::uint32_t)) {
            // On a point-to-point link IFA_ADDRESS is the peer's; IFA_LOCAL is ours.
            if (attr.rta_type == IFA_LOCAL) {
                local = LoadAt<std::uint32_t>(attrs, pos + sizeof(rtattr));
            } else if (attr.rta_type == IFA_ADDRESS) {
                address = LoadAt<std::uint32_t>(attrs, pos + sizeof(rtattr));
            }
        }
        pos += RTA_ALIGN(attr.rta_len);
    }
    return local ? local : address;
}

}  // namespace

bool ParseAddressDump(std::span<const std::byte> reply, std::vector<InterfaceAddress>& out,
                      bool& failed) {
    std::size_t pos = 0;
    while (pos + sizeof(nlmsghdr) <= reply.size()) {
        const auto header = LoadAt<nlmsghdr>(reply, pos);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > reply.size() - pos) {
            failed = true;
            return true;
        }
        if (header.nlmsg_type == NLMSG_DONE) {
            return true;
        }
        if (header.nlmsg_type == NLMSG_ERROR) {
            failed = true;
            return true;
        }
        if (header.nlmsg_type == RTM_NEWADDR) {
            const std::size_t bodyStart = pos + NLMSG_ALIGN(sizeof(nlmsghdr));
            const std::size_t attrsStart = bodyStart + NLMSG_ALIGN(sizeof(ifaddrmsg));
            const std::size_t end = pos + header.nlmsg_len;
            if (attrsStart > end) {
                failed = true;
                return true;
            }
            const auto info = LoadAt<ifaddrmsg>(reply, bodyStart);
            if (info.ifa_family == AF_INET) {
                if (const auto address =
                        ParseAddressAttributes(reply.subspan(attrsStart, end - attrsStart))) {
                    out.push_back({static_cast<int>(info.ifa_index), *address});
                }
            }
        }
        pos += NLMSG_ALIGN(header.nlmsg_len);
    }
    return false;
}

std::optional<std::vector<InterfaceAddress>> ReadInterfaceAddresses() {
    // Asked rarely, by a user's command: a socket of its own for each dump.
    RouteDumper dumper;
    std::vector<InterfaceAddress> addresses;
    ifaddrmsg header{};
    header.ifa_family = AF_INET;
    const bool read = dumper.Dump(RTM_GETADDR, std::as_bytes(std::span(&header, 1)),
                                  [&addresses](std::span<const std::byte> reply, bool& failed) {
                                      return ParseAddressDump(reply, addresses, failed);
                                  });
    if (!read) {
        return std::nullopt;
    }
    return addresses;
}
