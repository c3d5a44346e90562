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

// Sent while the user-interface thread does nothing else: they wait in the socket's queue,
// filled by the socket's own thread. Reading whole datagrams, the long and the empty ones, is
// the captures' tests' (tests/view).
TEST(AsyncSocket, HeldDatagramsReachOnReceiveOneByOneOnTheUiThreadAndATakenPortFails) {
    RecordingSocket socket, second;
    CString address;
    UINT nPort = 0;
    ASSERT_TRUE(socket.Create(0, SOCK_DGRAM) && socket.GetSockName(address, nPort));
    UdpSender sender(nPort);
    std::vector<std::string> sent;
    for (int i = 0; i < 3000; ++i) {
        sent.push_back(sender.SendBytes(std::to_string(i)));
    }
    ASSERT_TRUE(WaitUntil([&] { return socket.m_received.size() >= 3000; }));
    EXPECT_EQ(socket.m_received, sent) << "one OnReceive a datagram";
    EXPECT_FALSE(socket.m_bOffThread);
    EXPECT_EQ(socket.GetDroppedCount(), 0u);
    EXPECT_FALSE(second.Create(nPort, SOCK_DGRAM));
    EXPECT_EQ(GetLastError(), WSAEADDRINUSE);
}

}  // namespace
