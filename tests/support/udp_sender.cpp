#include "udp_sender.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

UdpSender::UdpSender(unsigned port, const char* address)
    : m_socket(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)),
      m_to{AF_INET, htons(static_cast<uint16_t>(port)), {inet_addr(address)}, {}} {}

UdpSender::~UdpSender() {
    close(m_socket);
}

std::string UdpSender::Send(size_t size) {
    std::string data(size, '\0');
    std::generate(data.begin(), data.end(), [this] { return static_cast<char>(m_next++); });
    return SendBytes(data);
}

std::string UdpSender::SendBytes(const std::string& data) {
    const auto* to = reinterpret_cast<const sockaddr*>(&m_to);
    const ssize_t n = sendto(m_socket, data.data(), data.size(), 0, to, sizeof m_to);
    return n == static_cast<ssize_t>(data.size()) ? data : std::string();
}
