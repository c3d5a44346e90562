#include "datagram_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

std::string PopString(DatagramQueue& queue) {
    const std::byte* data = nullptr;
    size_t size = 0;
    if (!queue.Front(data, size)) {
        return "<empty>";
    }
    std::string out(reinterpret_cast<const char*>(data), size);
    queue.Pop();
    return out;
}

TEST(DatagramQueue, KeepsOrderAndSizesAcrossTheEndOfTheRingOneOrSeveralAtATime) {
    DatagramQueue queue(256);
    iovec vectors[8];
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> sent;
        for (int i = 0; i < 1 + round % 4; ++i) {
            sent.emplace_back(static_cast<size_t>((round * 13 + i * 5) % 50), 'a' + i);
            ASSERT_TRUE(queue.Push(sent.back().data(), sent.back().size()));
        }
        EXPECT_EQ(queue.GetWaitingCount(), sent.size());
        ASSERT_EQ(queue.Peek(vectors, 2), std::min<unsigned>(2, sent.size()));
        const unsigned n = queue.Peek(vectors, 8);
        ASSERT_EQ(n, sent.size());
        for (unsigned i = 0; i < n; ++i) {
            EXPECT_EQ(std::string(static_cast<char*>(vectors[i].iov_base), vectors[i].iov_len),
                      sent[i]);
        }
        const unsigned popped = round % 2 == 0 ? n - 1 : 0;  // at once, or one at a time
        queue.Pop(popped);
        for (unsigned i = popped; i < n; ++i) {
            EXPECT_EQ(PopString(queue), sent[i]);
        }
        EXPECT_EQ(queue.Peek(vectors, 8), 0u);
    }
    EXPECT_EQ(queue.GetDroppedCount(), 0u);
}

TEST(DatagramQueue, DropsAndCountsWhatDoesNotFitThenTakesMoreOnceRead) {
    DatagramQueue queue(64);
    const std::string forty(40, 'x');
    ASSERT_TRUE(queue.Push(forty.data(), forty.size()));  // 48 of 64 bytes
    EXPECT_FALSE(queue.Push(forty.data(), 20));
    EXPECT_FALSE(queue.Push(std::string(100, 'y').data(), 100));
    EXPECT_TRUE(queue.Push(nullptr, 0));  // an empty datagram still takes its length word
    EXPECT_EQ(queue.GetDroppedCount(), 2u);
    EXPECT_EQ(PopString(queue), forty);
    EXPECT_EQ(PopString(queue), "");
    // The record no longer fits before the end: it goes to the front.
    EXPECT_TRUE(queue.Push(forty.data(), 40));
    EXPECT_EQ(PopString(queue), forty);
}

TEST(DatagramQueue, OneProducerAndOneConsumerThreadLoseNothingThatWasQueued) {
    DatagramQueue queue(1 << 16);
    constexpr uint32_t kCount = 200000;
    std::vector<uint32_t> accepted;
    std::thread producer([&] {
        char payload[700] = {};
        for (uint32_t i = 0; i < kCount; ++i) {
            std::memcpy(payload, &i, sizeof i);
            if (queue.Push(payload, sizeof i + i % 600)) {
                accepted.push_back(i);
            }
        }
    });
    std::vector<uint32_t> received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (received.size() + queue.GetDroppedCount() < kCount &&
           std::chrono::steady_clock::now() < deadline) {
        const std::byte* data = nullptr;
        size_t size = 0;
        if (queue.Front(data, size)) {
            uint32_t i = 0;
            std::memcpy(&i, data, sizeof i);
            EXPECT_EQ(size, sizeof i + i % 600);
            received.push_back(i);
            queue.Pop();
        }
    }
    producer.join();
    EXPECT_EQ(received, accepted);
    EXPECT_EQ(received.size() + queue.GetDroppedCount(), kCount);
    EXPECT_EQ(PopString(queue), "<empty>");
}

}  // namespace
