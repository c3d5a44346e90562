#include "datagram_receiver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "threads.h"
#include "udp_sender.h"
#include "win_error.h"

namespace {

// Its order, its gaps and their counts are the captures' tests' (tests/capture), which read
// it as the program does; here the sizes that cross its slots.
TEST(DatagramReceiverTest, ReadsDatagramsOfEverySizeWholeAndInOrder) {
    DatagramReceiver receiver;
    WORD port = 0;
    ASSERT_EQ(receiver.Open(0), ERROR_SUCCESS);
    ASSERT_EQ(receiver.GetLocalPort(port), ERROR_SUCCESS);
    ASSERT_EQ(receiver.Start(), ERROR_SUCCESS);
    UdpSender sender(port);
    std::vector<std::string> sent;
    // Empty, within a slot, at its edge, past it into the overflow, and the largest there is.
    for (const size_t size : {0, 1316, 1528, 1529, 9000, 65507, 188}) {
        sent.push_back(sender.Send(size));
        ASSERT_EQ(sent.back().size(), size);
    }
    std::vector<std::string> got;
    std::string buffer(65536, '\0');
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (got.size() < sent.size() && std::chrono::steady_clock::now() < deadline) {
        receiver.TakeNotification();
        if (const int n = receiver.Receive(buffer.data(), 65536); n >= 0) {
            got.push_back(buffer.substr(0, static_cast<size_t>(n)));
        } else if (const DWORD wait = receiver.WaitReady(50);
                   wait != ERROR_SUCCESS && wait != WAIT_TIMEOUT) {
            break;
        }
    }
    EXPECT_TRUE(got == sent);
    EXPECT_EQ(receiver.GetDroppedCount(), 0u);
}

}  // namespace
