#include "async_socket.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <fstream>

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

class AsyncSocket : public testing::Test {
protected:
    void SetUp() override {
        CString address;
        ASSERT_TRUE(m_socket.Create(0, SOCK_DGRAM) && m_socket.GetSockName(address, m_nPort));
    }
    RecordingSocket m_socket;
    UINT m_nPort = 0;
};

TEST_F(AsyncSocket, HeldDatagramsReachOnReceiveOneByOneOnTheUiThread) {
    UdpSender sender(m_nPort);
    // Sent while the UI thread does nothing else: they wait in the socket's queue.
    std::vector<std::string> sent;
    for (int i = 0; i < 3000; ++i) {
        sent.push_back(sender.SendBytes(std::to_string(i)));
    }
    ASSERT_TRUE(WaitUntil([&] { return m_socket.m_received.size() >= 3000; }));
    EXPECT_EQ(m_socket.m_received, sent) << "one OnReceive a datagram";
    EXPECT_FALSE(m_socket.m_bOffThread);
    EXPECT_EQ(m_socket.GetDroppedCount(), 0u);
}

TEST_F(AsyncSocket, EachDatagramIsReadWholeInItsPlaceOrIsAnErrorWhenLongerThanTheBuffer) {
    UdpSender sender(m_nPort);
    std::vector<std::string> sent;
    for (int i = 0; i < 200; ++i) {  // some longer than a slot of the queue
        sent.push_back(sender.Send(i % 3 == 0 ? 1528 + static_cast<size_t>(i) * 97 : 1316));
    }
    for (const char* data : {"", "ok"}) {
        sent.push_back(sender.SendBytes(data));
    }
    sender.SendBytes(std::string(101, 'L'));
    m_socket.Close();  // what arrived stays readable
    std::vector<char> buffer(65536);
    for (const std::string& expected : sent) {
        const int n = m_socket.Receive(buffer.data(), static_cast<int>(buffer.size()));
        ASSERT_EQ(n, static_cast<int>(expected.size()));
        ASSERT_TRUE(std::string(buffer.data(), expected.size()) == expected);
    }
    buffer[0] = '.';
    EXPECT_EQ(m_socket.Receive(buffer.data(), 100), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), WSAEMSGSIZE);
    EXPECT_EQ(buffer[0], '.') << "nothing of it is copied";
    EXPECT_EQ(m_socket.Receive(buffer.data(), 100), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), WSAEWOULDBLOCK);
}

TEST_F(AsyncSocket, ATakenPortFailsCreateAndASmallReceiveBufferNeverShrinksTheSocket) {
    RecordingSocket second;
    EXPECT_FALSE(second.Create(m_nPort, SOCK_DGRAM));
    EXPECT_EQ(GetLastError(), WSAEADDRINUSE);
    EXPECT_EQ(second.m_hSocket, INVALID_SOCKET);
    const int small = 8192;
    EXPECT_FALSE(second.SetSockOpt(SO_RCVBUF, &small, sizeof small, SOL_SOCKET));

    int before = 0;
    int after = 0;
    socklen_t length = sizeof before;
    getsockopt(m_socket.m_hSocket, SOL_SOCKET, SO_RCVBUF, &before, &length);
    EXPECT_TRUE(m_socket.SetSockOpt(SO_RCVBUF, &small, sizeof small, SOL_SOCKET));
    getsockopt(m_socket.m_hSocket, SOL_SOCKET, SO_RCVBUF, &after, &length);
    EXPECT_EQ(after, before);
}

TEST(AsyncSocketMemory, AQueueThatCannotBeHadFailsCreateWithNotEnoughMemory) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit under an address-space limit";
#endif
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(30);  // the child's deadline
        // Room for the socket, not for its 256 MiB queue.
        rlim_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
        const rlimit address{limit, limit};
        setrlimit(RLIMIT_AS, &address);
        CAsyncSocket socket;
        const BOOL created = socket.Create(0, SOCK_DGRAM);
        _exit(created ? 1 : GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by a signal or timed out";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: created; 2: another code";
}

}  // namespace
