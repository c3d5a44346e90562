#include "udp_sender.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

UdpSender::UdpSender(unsigned port, const char* address)
    : m_socket(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)),
      m_address(inet_addr(address)),
      m_port(port) {}

UdpSender::~UdpSender() {
    close(m_socket);
}

std::string UdpSender::Send(size_t size) {
    std::string data(size, '\0');
    for (char& c : data) {
        c = static_cast<char>(m_next++);
    }
    return SendBytes(data);
}

std::string UdpSender::SendBytes(const std::string& data) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(m_port));
    to.sin_addr.s_addr = m_address;
    const auto* address = reinterpret_cast<sockaddr*>(&to);
    const ssize_t n = sendto(m_socket, data.data(), data.size(), 0, address, sizeof to);
    return n == static_cast<ssize_t>(data.size()) ? data : std::string();
}
