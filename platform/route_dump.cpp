#include "route_dump.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The kernel sends dump parts of at most 32 KiB; a larger buffer never truncates one.
constexpr std::size_t kBufferSize = 64 * 1024;

}  // namespace

int ParseDumpReply(std::span<const std::byte> reply, std::uint16_t type, std::size_t headerSize,
                   const std::function<void(std::span<const std::byte> header,
                                            std::span<const std::byte> attributes)>& take,
                   bool& done) {
    std::size_t pos = 0;
    while (pos + sizeof(nlmsghdr) <= reply.size()) {
        const auto message = LoadAt<nlmsghdr>(reply, pos);
        if (message.nlmsg_len < sizeof(nlmsghdr) || message.nlmsg_len > reply.size() - pos) {
            return EIO;
        }
        if (message.nlmsg_type == NLMSG_DONE) {
            done = true;
            return 0;
        }
        if (message.nlmsg_type == NLMSG_ERROR) {
            return EIO;
        }
        if (message.nlmsg_type == type) {
            const std::size_t headerStart = pos + NLMSG_ALIGN(sizeof(nlmsghdr));
            const std::size_t attributesStart = headerStart + NLMSG_ALIGN(headerSize);
            const std::size_t end = pos + message.nlmsg_len;
            if (attributesStart > end) {
                return EIO;
            }
            take(reply.subspan(headerStart, headerSize),
                 reply.subspan(attributesStart, end - attributesStart));
        }
        pos += NLMSG_ALIGN(message.nlmsg_len);
    }
    return 0;
}

void ForEachAttribute(
    std::span<const std::byte> attributes,
    const std::function<void(std::uint16_t type, std::span<const std::byte> payload)>& take) {
    std::size_t pos = 0;
    while (pos + sizeof(rtattr) <= attributes.size()) {
        const auto attribute = LoadAt<rtattr>(attributes, pos);
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > attributes.size() - pos) {
            return;
        }
        take(attribute.rta_type,
             attributes.subspan(pos + sizeof(rtattr), attribute.rta_len - sizeof(rtattr)));
        pos += RTA_ALIGN(attribute.rta_len);
    }
}

RouteDumper::RouteDumper() : m_buffer(std::make_unique<std::byte[]>(kBufferSize)) {}

RouteDumper::~RouteDumper() {
    Close();
}

// Opened once and kept: opening one costs as much as the dump.
int RouteDumper::Socket() {
    if (m_fd < 0) {
        m_fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        if (m_fd >= 0) {
            // A kernel that never answers must not hang the user-interface thread.
            const timeval timeout{1, 0};
            setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        }
    }
    return m_fd;
}

void RouteDumper::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

// Returns 0, or the errno value.
int RouteDumper::Send(std::uint16_t type, std::uint16_t flags, std::span<const std::byte> body) {
    const int fd = Socket();
    if (fd < 0) {
        return errno;
    }
    nlmsghdr request{};
    request.nlmsg_len = static_cast<std::uint32_t>(NLMSG_LENGTH(body.size()));
    request.nlmsg_type = type;
    request.nlmsg_flags = flags;
    request.nlmsg_seq = ++m_sequence;
    std::byte message[NLMSG_HDRLEN + 64] = {};
    if (body.size() > sizeof message - NLMSG_HDRLEN) {
        return EINVAL;
    }
    std::memcpy(message, &request, sizeof request);
    std::memcpy(message + NLMSG_HDRLEN, body.data(), body.size());
    if (send(fd, message, request.nlmsg_len, 0) < 0) {
        return Fail(errno);
    }
    return 0;
}

int RouteDumper::Dump(std::uint16_t type, std::span<const std::byte> header,
                      const std::function<int(std::span<const std::byte>, bool& done)>& parse) {
    if (const int err = Send(type, NLM_F_REQUEST | NLM_F_DUMP, header); err != 0) {
        return err;
    }
    for (int part = 0; part < 100000; ++part) {
        const ssize_t n = recv(m_fd, m_buffer.get(), kBufferSize, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail(errno);
        }
        if (n == 0) {
            return 0;
        }
        bool done = false;
        if (const int err = parse(std::span(m_buffer.get(), static_cast<std::size_t>(n)), done);
            err != 0) {
            return Fail(err);
        }
        if (done) {
            return 0;
        }
    }
    return Fail(EIO);
}

int RouteDumper::Ask(std::uint16_t type, std::span<const std::byte> body,
                     const std::function<int(std::span<const std::byte>)>& parse) {
    if (const int err = Send(type, NLM_F_REQUEST, body); err != 0) {
        return err;
    }
    ssize_t n = 0;
    while ((n = recv(m_fd, m_buffer.get(), kBufferSize, 0)) < 0 && errno == EINTR) {
    }
    if (n < 0) {
        return Fail(errno);
    }
    return parse(std::span(m_buffer.get(), static_cast<std::size_t>(n)));
}

int RouteDumper::Fail(int err) {
    Close();
    return err;
}
