// Netlink messages built byte by byte, for the parsers' tests to replay good and forged replies.
#pragma once

#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

template <typename T>
std::string Raw(const T& value, std::size_t size = sizeof(T)) {
    return {reinterpret_cast<const char*>(&value), size};
}

struct Attr {
    unsigned short type;
    std::string payload;
    std::size_t extraLength = 0;  // rta_len claims this much more than the payload
};

// One message: its body (ifinfomsg, ifaddrmsg, rtmsg, an error's code), then attributes;
// `length` forges nlmsg_len.
inline std::string Message(std::uint16_t type, const std::string& body = "",
                           const std::vector<Attr>& attrs = {},
                           std::optional<std::uint32_t> length = std::nullopt) {
    std::string out = std::string(NLMSG_HDRLEN, '\0') + body;  // bodies keep the alignment
    for (const Attr& attr : attrs) {
        const std::size_t size = RTA_LENGTH(attr.payload.size()) + attr.extraLength;
        out += Raw(rtattr{static_cast<unsigned short>(size), attr.type}) + attr.payload;
        out.resize(RTA_ALIGN(out.size()));
    }
    const nlmsghdr header{length.value_or(static_cast<std::uint32_t>(out.size())), type, 0, 0, 0};
    std::memcpy(out.data(), &header, sizeof header);
    return out;
}
