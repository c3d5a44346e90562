// What the tests of multicast joins and their diagnosis share: the test's own namespace, the
// senders' namespace beside it, and a socket bound there as the capture binds its own.
#pragma once

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "multicast_join.h"
#include "network_namespace.h"
#include "sender_namespace.h"

inline constexpr char kGroup[] = "232.1.1.1";
inline constexpr unsigned kPort = 5004;

// A socket that closes itself.
struct Socket {
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int m_fd;
};

class MulticastNamespaceTest : public testing::Test {
protected:
    void SetUp() override {
        if (!WhyNoNetworkNamespace().empty()) {
            GTEST_SKIP() << WhyNoNetworkNamespace();
        }
        m_senders = std::make_unique<SenderNamespace>();
        if (!m_senders->WhyNot().empty()) {
            GTEST_SKIP() << m_senders->WhyNot();
        }
    }

    // Bound to every address here as the capture binds, taking only its own groups, each
    // datagram with its destination.
    static int MakeCaptureSocket() {
        const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        const int off = 0;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(kPort);
        EXPECT_EQ(setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on), 0);
        EXPECT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
        EXPECT_EQ(setsockopt(s, IPPROTO_IP, IP_MULTICAST_ALL, &off, sizeof off), 0);
        EXPECT_EQ(ReceiveDatagramDestinations(s), ERROR_SUCCESS);
        return s;
    }

    static MulticastMembership Membership(const char* link, const char* source = nullptr) {
        MulticastMembership membership;
        membership.group = inet_addr(kGroup);
        membership.source = source != nullptr ? inet_addr(source) : INADDR_ANY;
        EXPECT_EQ(GetInterfaceIndex(link, membership.interfaceIndex), ERROR_SUCCESS) << link;
        return membership;
    }

    // The next datagram's payload within deadlineMs; false when none comes.
    static bool Receive(int s, std::string& payload, int deadlineMs = 2000) {
        pollfd ready{s, POLLIN, 0};
        char buffer[2048];
        if (poll(&ready, 1, deadlineMs) != 1) {
            return false;
        }
        const ssize_t n = recv(s, buffer, sizeof buffer, MSG_DONTWAIT);
        payload.assign(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0)));
        return n >= 0;
    }

    // The payloads that come until none has come for 200 ms (2 s for the first).
    static std::string ReceiveAll(int s) {
        std::string seen;
        std::string payload;
        for (int i = 0; i < 1000 && Receive(s, payload, seen.empty() ? 2000 : 200); ++i) {
            seen += payload;
        }
        return seen;
    }

    std::unique_ptr<SenderNamespace> m_senders;
};
