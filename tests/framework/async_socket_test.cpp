#include "async_socket.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "udp_sender.h"
#include "wait.h"
#include "win_error.h"

namespace {

class RecordingSocket : public CAsyncSocket {
public:
    std::vector<std::string> m_received;
    int m_nCalls = 0;
    bool m_bOffThread = false;

protected:
    void OnReceive(int /*nErrorCode*/) override {
        ++m_nCalls;
        m_bOffThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        char buffer[100];
        const int n = Receive(buffer, sizeof buffer);
        if (n >= 0) {
            m_received.emplace_back(buffer, static_cast<size_t>(n));
        }
    }
};

class AsyncSocket : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_socket.Create(0, SOCK_DGRAM));
        CString address;
        ASSERT_TRUE(m_socket.GetSockName(address, m_nPort));
        m_sender.emplace(m_nPort);
    }
    void Send(const std::string& data) { m_sender->SendBytes(data); }

    RecordingSocket m_socket;
    UINT m_nPort = 0;
    std::optional<UdpSender> m_sender;
};

TEST_F(AsyncSocket, HeldDatagramsReachOnReceiveOneByOneOnTheUiThread) {
    // Sent while the UI thread does nothing else: they wait in the socket's queue.
    for (int i = 0; i < 3000; ++i) {
        Send(std::to_string(i));
    }
    ASSERT_TRUE(WaitUntil([&] { return m_socket.m_received.size() == 3000; }))
        << m_socket.m_received.size();
    EXPECT_EQ(m_socket.m_nCalls, 3000);
    EXPECT_FALSE(m_socket.m_bOffThread);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(m_socket.m_received[static_cast<size_t>(i)], std::to_string(i));
    }
    EXPECT_EQ(m_socket.GetDroppedCount(), 0u);
}

TEST_F(AsyncSocket, ADatagramLongerThanTheBufferIsAnErrorAndNothingOfItIsCopied) {
    Send(std::string(101, 'L'));
    Send("");
    Send("ok");
    m_socket.Close();  // what arrived stays readable
    char buffer[100];
    std::memset(buffer, '.', sizeof buffer);
    EXPECT_EQ(m_socket.Receive(buffer, sizeof buffer), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), WSAEMSGSIZE);
    EXPECT_EQ(buffer[0], '.');
    EXPECT_EQ(m_socket.Receive(buffer, sizeof buffer), 0);
    EXPECT_EQ(m_socket.Receive(buffer, sizeof buffer), 2);
    EXPECT_EQ(std::string(buffer, 2), "ok");
    EXPECT_EQ(m_socket.Receive(buffer, sizeof buffer), SOCKET_ERROR);
    EXPECT_EQ(GetLastError(), WSAEWOULDBLOCK);
}

TEST_F(AsyncSocket, DatagramsLongerThanASlotKeepTheirPlaceAndBytes) {
    std::vector<std::string> sent;
    for (int i = 0; i < 200; ++i) {
        const size_t size = (i % 3 == 0) ? 1528 + static_cast<size_t>(i) * 97 : 1316;
        std::string data(size, '\0');
        for (size_t k = 0; k < size; ++k) {
            data[k] = static_cast<char>(i + k * 7);
        }
        Send(data);
        sent.push_back(data);
    }
    m_socket.Close();
    std::vector<char> buffer(65536);
    for (const std::string& expected : sent) {
        const int n = m_socket.Receive(buffer.data(), static_cast<int>(buffer.size()));
        ASSERT_EQ(n, static_cast<int>(expected.size()));
        ASSERT_TRUE(std::string(buffer.data(), static_cast<size_t>(n)) == expected);
    }
    EXPECT_EQ(m_socket.Receive(buffer.data(), static_cast<int>(buffer.size())), SOCKET_ERROR);
}

TEST_F(AsyncSocket, ASmallReceiveBufferIsAcceptedButNeverShrinksTheSocket) {
    int before = 0;
    socklen_t length = sizeof before;
    getsockopt(m_socket.m_hSocket, SOL_SOCKET, SO_RCVBUF, &before, &length);
    const int small = 8192;
    EXPECT_TRUE(m_socket.SetSockOpt(SO_RCVBUF, &small, sizeof small, SOL_SOCKET));
    int after = 0;
    getsockopt(m_socket.m_hSocket, SOL_SOCKET, SO_RCVBUF, &after, &length);
    EXPECT_EQ(after, before);
    EXPECT_GT(after, 2 * small);
}

TEST_F(AsyncSocket, CreateOnATakenPortFailsWithItsCode) {
    RecordingSocket second;
    EXPECT_FALSE(second.Create(m_nPort, SOCK_DGRAM));
    EXPECT_EQ(GetLastError(), WSAEADDRINUSE);
    EXPECT_EQ(second.m_hSocket, INVALID_SOCKET);
    const int small = 8192;
    EXPECT_FALSE(second.SetSockOpt(SO_RCVBUF, &small, sizeof small, SOL_SOCKET));
}

TEST(AsyncSocketMemory, AQueueThatCannotBeHadFailsCreateWithNotEnoughMemory) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit under an address-space limit";
#endif
    const pid_t pid = fork();
    if (pid == 0) {
        // Room for the socket, not for its 256 MiB queue.
        std::ifstream statm("/proc/self/statm");
        rlim_t pages = 0;
        statm >> pages;
        const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
        const rlimit address{limit, limit};
        setrlimit(RLIMIT_AS, &address);
        CAsyncSocket socket;
        const BOOL created = socket.Create(0, SOCK_DGRAM);
        _exit(created ? 1 : GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? 0 : 2);
    }
    int status = 0;
    bool reaped = false;
    for (int waited = 0; waited < 300 && !(reaped = waitpid(pid, &status, WNOHANG) == pid);
         ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!reaped) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(reaped && WIFEXITED(status)) << "the child ended by a signal or timed out";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: created; 2: another code";
}

}  // namespace
