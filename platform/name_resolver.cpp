#include "name_resolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <memory>

namespace {

DWORD WinErrorFromResolver(int code) {
    switch (code) {
        case EAI_NONAME:
            return WSAHOST_NOT_FOUND;
        case EAI_NODATA:
        case EAI_ADDRFAMILY:
            return WSANO_DATA;
        case EAI_AGAIN:
            return WSATRY_AGAIN;
        default:
            return WSANO_RECOVERY;
    }
}

}  // namespace

DWORD ResolveIPv4(const char* name, std::vector<std::uint32_t>& addresses) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    // One socket type, so that each address comes once per hosts-file or DNS entry.
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* first = nullptr;
    addresses.clear();
    const int code = getaddrinfo(name, nullptr, &hints, &first);
    if (code != 0) {
        return WinErrorFromResolver(code);
    }
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(first, freeaddrinfo);
    for (const addrinfo* info = first; info != nullptr; info = info->ai_next) {
        if (info->ai_family != AF_INET || info->ai_addrlen < sizeof(sockaddr_in)) {
            continue;
        }
        const std::uint32_t address =
            reinterpret_cast<const sockaddr_in*>(info->ai_addr)->sin_addr.s_addr;
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
            addresses.push_back(address);
        }
    }
    return addresses.empty() ? WSANO_DATA : ERROR_SUCCESS;
}
