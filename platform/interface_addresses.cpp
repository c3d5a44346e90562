#include "interface_addresses.h"

#include <linux/if_addr.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cstring>
#include <optional>

#include "route_dump.h"

namespace {

// The address from the attributes that follow one ifaddrmsg, or nullopt when it has none.
std::optional<std::uint32_t> ParseAddressAttributes(std::span<const std::byte> attributes) {
    std::optional<std::uint32_t> local;
    std::optional<std::uint32_t> address;
    ForEachAttribute(attributes, [&](std::uint16_t type, std::span<const std::byte> payload) {
        if (payload.size() == sizeof(std::uint32_t)) {
            // On a point-to-point link IFA_ADDRESS is the peer's; IFA_LOCAL is ours.
            if (type == IFA_LOCAL) {
                local = LoadAt<std::uint32_t>(payload, 0);
            } else if (type == IFA_ADDRESS) {
                address = LoadAt<std::uint32_t>(payload, 0);
            }
        }
    });
    return local ? local : address;
}

}  // namespace

int ParseAddressDump(std::span<const std::byte> reply, std::vector<InterfaceAddress>& out,
                     bool& done) {
    return ParseDumpReply(
        reply, RTM_NEWADDR, sizeof(ifaddrmsg),
        [&out](std::span<const std::byte> header, std::span<const std::byte> attributes) {
            const auto info = LoadAt<ifaddrmsg>(header, 0);
            if (info.ifa_family != AF_INET) {
                return;
            }
            if (const auto address = ParseAddressAttributes(attributes)) {
                out.push_back({static_cast<int>(info.ifa_index), *address});
            }
        },
        done);
}

int ReadInterfaceAddresses(std::vector<InterfaceAddress>& addresses) {
    // Asked rarely, by a user's command: a socket of its own for each dump.
    RouteDumper dumper;
    addresses.clear();
    ifaddrmsg header{};
    header.ifa_family = AF_INET;
    const int err = dumper.Dump(RTM_GETADDR, std::as_bytes(std::span(&header, 1)),
                                [&addresses](std::span<const std::byte> reply, bool& done) {
                                    return ParseAddressDump(reply, addresses, done);
                                });
    if (err != 0) {
        addresses.clear();
    }
    return err;
}
