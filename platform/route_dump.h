// One NETLINK_ROUTE socket and its dump loop, shared by the readers of links and addresses.
// Not thread-safe: each owner keeps its own dumper or holds a lock around it.
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

class RouteDumper {
public:
    RouteDumper();
    ~RouteDumper();
    RouteDumper(const RouteDumper&) = delete;
    RouteDumper& operator=(const RouteDumper&) = delete;

    // Sends an NLM_F_DUMP request of `type` (RTM_GETLINK, RTM_GETADDR) whose body is `header`
    // (an ifinfomsg, an ifaddrmsg; at most 64 bytes) and hands each reply datagram to `parse`
    // until it returns true (the dump's end seen), having set `failed` for a malformed or
    // refused reply.
    // Returns false, with errno set (EIO when parse failed), when the kernel cannot be asked,
    // does not answer within a second or answers badly; the socket is then closed, so no
    // stale reply part reaches the next dump.
    bool Dump(std::uint16_t type, std::span<const std::byte> header,
              const std::function<bool(std::span<const std::byte>, bool& failed)>& parse);

private:
    int Socket();
    void Close();
    bool Fail(int err);

    int m_fd = -1;
    std::uint32_t m_sequence = 0;
    std::unique_ptr<std::byte[]> m_buffer;
};
