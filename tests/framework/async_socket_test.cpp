#include "async_socket.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include "udp_sender.h"
#include "wait.h"
#include "win_error.h"

namespace {

class RecordingSocket : public CAsyncSocket {
public:
    std::vector<std::string> m_received;
    bool m_bOffThread = false;

protected:
    void OnReceive(int /*nErrorCode*/) override {
        m_bOffThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        char buffer[100];
        const int n = Receive(buffer, sizeof buffer);
        m_received.emplace_back(buffer, static_cast<size_t>(std::max(n, 0)));
    }
};

class AsyncSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        CString address;
        ASSERT_TRUE(m_socket.Create(0, SOCK_DGRAM) && m_socket.GetSockName(address, m_nPort));
    }
    RecordingSocket m_socket;
    UINT m_nPort = 0;
};

// Sent while the user-interface thread does nothing else: they wait in the socket's queue,
// filled by the socket's own thread. Reading whole datagrams, the long and the empty ones, is
// the captures' tests' (tests/view).
TEST_F(AsyncSocketTest, HeldDatagramsReachOnReceiveOneByOneOnTheUiThread) {
    UdpSender sender(m_nPort);
    std::vector<std::string> sent;
    for (int i = 0; i < 3000; ++i) {
        sent.push_back(sender.SendBytes(std::to_string(i)));
    }
    ASSERT_TRUE(WaitUntil([&] { return m_socket.m_received.size() >= 3000; }));
    EXPECT_EQ(m_socket.m_received, sent) << "one OnReceive a datagram";
    EXPECT_FALSE(m_socket.m_bOffThread);
    EXPECT_EQ(m_socket.GetDroppedCount(), 0u);
}

TEST_F(AsyncSocketTest, ATakenPortIsRefusedAsInUse) {
    RecordingSocket second;
    EXPECT_FALSE(second.Create(m_nPort, SOCK_DGRAM));
    EXPECT_EQ(GetLastError(), WSAEADDRINUSE);
}

}  // namespace
