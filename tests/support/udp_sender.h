// Datagrams for the captures to receive: to loopback, or to a group inside the test's own
// network namespace.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <string>

// Sends datagrams to address:port (a multicast group goes out of the host's default
// interface for it).
class UdpSender {
public:
    explicit UdpSender(unsigned port, const char* address = "127.0.0.1");
    ~UdpSender();
    UdpSender(const UdpSender&) = delete;
    UdpSender& operator=(const UdpSender&) = delete;
    // A datagram of size bytes, bytes counting on from the previous one; returns what was sent.
    std::string Send(size_t size);
    // Sends data as one datagram; returns it, or nothing when it could not be sent.
    std::string SendBytes(const std::string& data);

private:
    int m_socket;
    sockaddr_in m_to;
    unsigned char m_next = 0;
};
