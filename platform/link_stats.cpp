#include "link_stats.h"

#include <fcntl.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

template <typename T>
T LoadAt(std::span<const std::byte> bytes, std::size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

constexpr std::size_t Align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

// Reads IFLA_IFNAME and the byte counts from the attributes that follow one ifinfomsg.
InterfaceSample ParseLinkAttributes(std::span<const std::byte> attrs) {
    InterfaceSample sample;
    rtnl_link_stats64 stats64{};
    bool haveStats64 = false;
    rtnl_link_stats stats32{};
    std::size_t pos = 0;
    while (pos + sizeof(rtattr) <= attrs.size()) {
        const auto attr = LoadAt<rtattr>(attrs, pos);
        if (attr.rta_len < sizeof(rtattr) || attr.rta_len > attrs.size() - pos) {
            break;
        }
        const auto payload = attrs.subspan(pos + sizeof(rtattr), attr.rta_len - sizeof(rtattr));
        switch (attr.rta_type) {
            case IFLA_IFNAME: {
                const auto* text = reinterpret_cast<const char*>(payload.data());
                sample.name.assign(text, strnlen(text, payload.size()));
                break;
            }
            case IFLA_STATS64:
                std::memcpy(&stats64, payload.data(), std::min(payload.size(), sizeof stats64));
                haveStats64 = true;
                break;
            case IFLA_STATS:
                std::memcpy(&stats32, payload.data(), std::min(payload.size(), sizeof stats32));
                break;
            default:
                break;
        }
        pos += Align4(attr.rta_len);
    }
    sample.rxBytes = haveStats64 ? stats64.rx_bytes : stats32.rx_bytes;
    sample.txBytes = haveStats64 ? stats64.tx_bytes : stats32.tx_bytes;
    return sample;
}

// Link speed in bit/s from sysfs; 0 where the kernel reports none (loopback, virtual links).
std::uint64_t ReadLinkSpeed(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        return 0;
    }
    const std::string path = "/sys/class/net/" + name + "/speed";
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    char text[32] = {};
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0) {
        return 0;
    }
    const long long mbits = std::strtoll(text, nullptr, 10);
    return mbits > 0 ? static_cast<std::uint64_t>(mbits) * 1'000'000u : 0;
}

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

}  // namespace

bool ParseLinkDump(std::span<const std::byte> reply, std::vector<InterfaceSample>& out,
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
        if (header.nlmsg_type == RTM_NEWLINK) {
            const std::size_t bodyStart = pos + NLMSG_ALIGN(sizeof(nlmsghdr));
            const std::size_t attrsStart = bodyStart + NLMSG_ALIGN(sizeof(ifinfomsg));
            const std::size_t end = pos + header.nlmsg_len;
            if (attrsStart > end) {
                failed = true;
                return true;
            }
            out.push_back(ParseLinkAttributes(reply.subspan(attrsStart, end - attrsStart)));
        }
        pos += NLMSG_ALIGN(header.nlmsg_len);
    }
    return false;
}

std::optional<std::vector<InterfaceSample>> ReadLinkStats() {
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) {
        return std::nullopt;
    }
    FdCloser closer(fd);
    // A kernel that never answers must not hang the user-interface thread.
    const timeval timeout{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);

    struct {
        nlmsghdr header;
        ifinfomsg body;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.body.ifi_family = AF_UNSPEC;
    if (send(fd, &request, sizeof request, 0) < 0) {
        return std::nullopt;
    }

    // The kernel sends dump parts of at most 32 KiB; a larger buffer never truncates one.
    alignas(nlmsghdr) static thread_local std::byte buffer[64 * 1024];
    std::vector<InterfaceSample> samples;
    bool failed = false;
    for (int part = 0; part < 100000; ++part) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (n == 0 ||
            ParseLinkDump(std::span(buffer, static_cast<std::size_t>(n)), samples, failed)) {
            break;
        }
    }
    if (failed) {
        errno = EIO;
        return std::nullopt;
    }
    for (auto& sample : samples) {
        sample.bandwidthBitsPerSec = ReadLinkSpeed(sample.name);
    }
    return samples;
}
