#include "multicast_address.h"

#include <string>
#include <string_view>

namespace {

constexpr std::string_view kSpace = " \t";

std::string_view Trim(std::string_view text) {
    const auto start = text.find_first_not_of(kSpace);
    if (start == std::string_view::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(kSpace) - start + 1);
}

// A dotted-decimal IPv4 address, nothing before or after it.
BOOL ReadAddress(std::string_view text, in_addr_t& address) {
    in_addr parsed{};
    if (inet_pton(AF_INET, std::string(Trim(text)).c_str(), &parsed) != 1) {
        return FALSE;
    }
    address = parsed.s_addr;
    return TRUE;
}

}  // namespace

BOOL ParseMulticastAddress(LPCSTR lpszText, CMulticastAddress& address) {
    const std::string_view text = Trim(lpszText != nullptr ? lpszText : "");
    const auto percent = text.find('%');
    // An interface name may hold an '@' (`ip` shows "veth0@if7"); the addresses do not.
    const std::string_view addresses = text.substr(0, percent);
    const auto at = addresses.find('@');
    if (percent == std::string_view::npos && at == std::string_view::npos) {
        // Kept as it was: inet_addr also takes "0xE4070707" and stops at a space.
        address = CMulticastAddress{inet_addr(std::string(text).c_str()), INADDR_ANY, ""};
        return TRUE;
    }
    CMulticastAddress parsed;
    if (percent != std::string_view::npos) {
        const std::string_view name = Trim(text.substr(percent + 1));
        if (name.empty() || name.find_first_of(kSpace) != std::string_view::npos) {
            return FALSE;
        }
        parsed.m_strInterface = std::string(name);
    }
    const std::string_view group =
        at == std::string_view::npos ? addresses : addresses.substr(at + 1);
    if (!ReadAddress(group, parsed.m_group) || !IN_MULTICAST(ntohl(parsed.m_group))) {
        return FALSE;
    }
    if (at != std::string_view::npos) {
        if (!ReadAddress(addresses.substr(0, at), parsed.m_source)) {
            return FALSE;
        }
        const in_addr_t source = ntohl(parsed.m_source);
        if (IN_MULTICAST(source) || source == INADDR_ANY || source == INADDR_BROADCAST) {
            return FALSE;
        }
    }
    address = parsed;
    return TRUE;
}
