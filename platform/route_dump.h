// One NETLINK_ROUTE socket, its dump loop and the walk of its replies, shared by the readers of
// links, addresses and routes. Not thread-safe: each owner keeps its own dumper or holds a lock
// around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>

// The T at `offset` of bytes the caller has checked to hold it, whatever their alignment.
template <typename T>
T LoadAt(std::span<const std::byte> bytes, std::size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// Hands each message of `type` in one dump reply datagram to `take`: its fixed header
// (`headerSize` bytes: an ifinfomsg, an ifaddrmsg) and the attributes that follow it.
// Sets `done` once NLMSG_DONE is seen; it stays false while more reply datagrams are due.
// Returns 0, or EIO for a malformed message or an NLMSG_ERROR (which end the dump).
[[nodiscard]] int ParseDumpReply(
    std::span<const std::byte> reply, std::uint16_t type, std::size_t headerSize,
    const std::function<void(std::span<const std::byte> header,
                             std::span<const std::byte> attributes)>& take,
    bool& done);

// Hands each well-formed attribute of `attributes` to `take` with its payload, in order; the
// walk stops at the first one whose length does not fit.
void ForEachAttribute(
    std::span<const std::byte> attributes,
    const std::function<void(std::uint16_t type, std::span<const std::byte> payload)>& take);

class RouteDumper {
public:
    RouteDumper();
    ~RouteDumper();
    RouteDumper(const RouteDumper&) = delete;
    RouteDumper& operator=(const RouteDumper&) = delete;

    // Sends an NLM_F_DUMP request of `type` (RTM_GETLINK, RTM_GETADDR) whose body is `header`
    // (an ifinfomsg, an ifaddrmsg; at most 64 bytes) and hands each reply datagram to `parse`
    // until it sets `done` (the dump's end seen) or returns an errno value.
    // Returns 0, or the errno value (parse's own, or EIO) when the kernel cannot be asked, does
    // not answer within a second or answers badly; the socket is then closed, so no stale
    // reply part reaches the next dump.
    [[nodiscard]] int Dump(std::uint16_t type, std::span<const std::byte> header,
                           const std::function<int(std::span<const std::byte>, bool& done)>& parse);

    // Sends one request of `type` (RTM_GETROUTE) whose body is `body` (at most 64 bytes) and
    // hands the reply datagram to `parse`. Returns parse's answer, or the errno value when the
    // kernel cannot be asked or does not answer within a second (the socket is then closed).
    [[nodiscard]] int Ask(std::uint16_t type, std::span<const std::byte> body,
                          const std::function<int(std::span<const std::byte>)>& parse);

private:
    [[nodiscard]] int Send(std::uint16_t type, std::uint16_t flags,
                           std::span<const std::byte> body);
    [[nodiscard]] int Socket();
    void Close();
    [[nodiscard]] int Fail(int err);

    int m_fd = -1;
    std::uint32_t m_sequence = 0;
    std::unique_ptr<std::byte[]> m_buffer;
};
