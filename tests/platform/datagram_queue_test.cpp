#include "datagram_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

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

TEST(DatagramQueue, KeepsOrderAndSizesAcrossTheEndOfTheRing) {
    DatagramQueue queue(256);
    for (int round = 0; round < 200; ++round) {
        const std::string a(static_cast<size_t>(round % 37), static_cast<char>('a' + round % 26));
        const std::string b(static_cast<size_t>((round * 7) % 61), 'z');
        ASSERT_TRUE(queue.Push(a.data(), a.size()));
        ASSERT_TRUE(queue.Push(b.data(), b.size()));
        EXPECT_EQ(queue.GetWaitingCount(), 2u);
        EXPECT_EQ(PopString(queue), a);
        EXPECT_EQ(PopString(queue), b);
    }
    EXPECT_EQ(PopString(queue), "<empty>");
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
    accepted.reserve(kCount);
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
    bool producerDone = false;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::byte* data = nullptr;
        size_t size = 0;
        if (queue.Front(data, size)) {
            uint32_t i = 0;
            std::memcpy(&i, data, sizeof i);
            EXPECT_EQ(size, sizeof i + i % 600);
            received.push_back(i);
            queue.Pop();
        } else if (producerDone) {
            break;
        } else if (received.size() + queue.GetDroppedCount() == kCount) {
            producerDone = true;
        }
    }
    producer.join();
    EXPECT_EQ(received, accepted);
    EXPECT_EQ(received.size() + queue.GetDroppedCount(), kCount);
}

}  // namespace
