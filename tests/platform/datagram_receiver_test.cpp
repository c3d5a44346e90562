#include "datagram_receiver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "threads.h"
#include "udp_sender.h"
#include "win_error.h"

namespace {

struct Received {
    std::string data;
    uint32_t lostBefore = 0;
};

// A receiver on a loopback port of its own, read as the captures read it.
class DatagramReceiverTest : public testing::Test {
protected:
    void TearDown() override { SetDatagramQueueBytes(0); }

    // Up to count datagrams, until none has come for quietMs.
    std::vector<Received> ReceiveUpTo(size_t count, int quietMs = 5000) {
        std::vector<Received> got;
        std::string buffer(65536, '\0');
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(quietMs);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            m_receiver.TakeNotification();
            uint32_t lost = 0;
            if (const int n = m_receiver.Receive(buffer.data(), 65536, &lost); n >= 0) {
                got.push_back({buffer.substr(0, static_cast<size_t>(n)), lost});
                deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(quietMs);
            } else if (const DWORD wait = m_receiver.WaitReady(50);
                       wait != ERROR_SUCCESS && wait != WAIT_TIMEOUT) {
                break;
            }
        }
        return got;
    }

    DatagramReceiver m_receiver;
    WORD m_port = 0;
};

TEST_F(DatagramReceiverTest, ReadsDatagramsOfEverySizeWholeAndInOrder) {
    ASSERT_EQ(m_receiver.Open(0), ERROR_SUCCESS);
    ASSERT_EQ(m_receiver.GetLocalPort(m_port), ERROR_SUCCESS);
    ASSERT_EQ(m_receiver.Start(), ERROR_SUCCESS);
    UdpSender sender(m_port);
    std::vector<std::string> sent;
    // Empty, within a slot, at its edge, past it into the overflow, and the largest there is.
    for (const size_t size : {0, 1316, 1528, 1529, 9000, 65507, 188}) {
        sent.push_back(sender.Send(size));
        ASSERT_EQ(sent.back().size(), size);
    }
    const std::vector<Received> got = ReceiveUpTo(sent.size());
    ASSERT_EQ(got.size(), sent.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(got[i].data, sent[i]) << "datagram " << i;
    }
    EXPECT_EQ(m_receiver.GetDroppedCount(), 0u);
}

// A kernel buffer of two datagrams and a queue of a few, not read while 100 arrive: most are
// dropped, and each datagram read says exactly how many went missing just before it.
TEST_F(DatagramReceiverTest, EachGapIsToldWithTheDatagramAfterItAndCounted) {
    SetDatagramQueueBytes(16384);
    const SOCKET s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int smallest = 1;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    m_receiver.Adopt(s);
    ASSERT_EQ(m_receiver.GetLocalPort(m_port), ERROR_SUCCESS);
    ASSERT_EQ(m_receiver.Start(), ERROR_SUCCESS);
    UdpSender sender(m_port);
    for (int i = 0; i < 100; ++i) {
        ASSERT_FALSE(sender.SendBytes(std::to_string(i).append(1000, ' ')).empty());
    }
    std::vector<Received> got = ReceiveUpTo(100, 300);
    ASSERT_FALSE(sender.SendBytes("100").empty());  // after the last gap
    const std::vector<Received> last = ReceiveUpTo(1);
    got.insert(got.end(), last.begin(), last.end());
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(std::stoul(got.back().data), 100u);
    uint32_t expected = 0;
    for (const Received& r : got) {
        const auto number = static_cast<uint32_t>(std::stoul(r.data));
        ASSERT_GE(number, expected);
        EXPECT_EQ(r.lostBefore, number - expected) << "datagram " << number;
        expected = number + 1;
    }
    EXPECT_LT(got.size(), 101u);
    EXPECT_EQ(m_receiver.GetDroppedCount(), 101 - got.size());
}

}  // namespace
