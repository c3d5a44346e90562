#include "host_lookup.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "interface_addresses.h"
#include "link_stats.h"
#include "name_resolver.h"
#include "win_error.h"

namespace {

// What one thread's last gethostbyname returned, and the storage it points into.
struct HostEntry {
    std::string name;
    std::vector<std::uint32_t> addresses;
    std::vector<char*> addressList;
    char* aliases[1] = {nullptr};
    hostent entry{};
};

thread_local HostEntry t_hostEntry;

bool IsOwnName(const char* name) {
    if (name == nullptr || *name == '\0') {
        return true;
    }
    char own[256] = {};
    return gethostname(own, sizeof own - 1) == 0 && strcasecmp(name, own) == 0;
}

// Windows answers its own name from its adapters, not from a hosts file: on Debian the
// resolver would give only 127.0.1.1.
DWORD OwnAddresses(std::vector<std::uint32_t>& result) {
    std::vector<InterfaceSample> links;
    std::vector<InterfaceAddress> addresses;
    if (ReadLinkStats(links) != 0 || ReadInterfaceAddresses(addresses) != 0) {
        return WSANO_RECOVERY;
    }
    auto usable = [&links](const InterfaceAddress& address) {
        const auto link =
            std::find_if(links.begin(), links.end(),
                         [&address](const InterfaceSample& s) { return s.index == address.index; });
        return link != links.end() && (link->flags & IFF_UP) != 0 &&
               (link->flags & IFF_LOOPBACK) == 0;
    };
    std::erase_if(addresses, [&usable](const InterfaceAddress& a) { return !usable(a); });
    std::stable_sort(
        addresses.begin(), addresses.end(),
        [](const InterfaceAddress& a, const InterfaceAddress& b) { return a.index < b.index; });
    result.clear();
    for (const InterfaceAddress& address : addresses) {
        result.push_back(address.address);
    }
    if (result.empty()) {
        result.push_back(htonl(INADDR_LOOPBACK));
    }
    return ERROR_SUCCESS;
}

}  // namespace

namespace winsock {

hostent* gethostbyname(const char* name) {
    const bool own = IsOwnName(name);
    std::vector<std::uint32_t> addresses;
    if (const DWORD error = own ? OwnAddresses(addresses) : ResolveIPv4(name, addresses);
        error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    HostEntry& host = t_hostEntry;
    if (own) {
        char ownName[256] = {};
        gethostname(ownName, sizeof ownName - 1);
        host.name = ownName;
    } else {
        host.name = name;
    }
    host.addresses = std::move(addresses);
    host.addressList.clear();
    for (std::uint32_t& address : host.addresses) {
        host.addressList.push_back(reinterpret_cast<char*>(&address));
    }
    host.addressList.push_back(nullptr);
    host.entry.h_name = host.name.data();
    host.entry.h_aliases = host.aliases;
    host.entry.h_addrtype = AF_INET;
    host.entry.h_length = sizeof(std::uint32_t);
    host.entry.h_addr_list = host.addressList.data();
    return &host.entry;
}

}  // namespace winsock
