#include "datagram_queue.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
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

TEST(DatagramQueue, PeeksSeveralInPlaceAcrossTheEndOfTheRingAndPopsThemAtOnce) {
    DatagramQueue queue(256);
    for (int round = 0; round < 100; ++round) {
        std::vector<std::string> sent;
        for (int i = 0; i < 1 + round % 4; ++i) {
            sent.emplace_back(static_cast<size_t>((round * 13 + i * 5) % 50), 'a' + i);
            ASSERT_TRUE(queue.Push(sent.back().data(), sent.back().size()));
        }
        iovec vectors[8];
        ASSERT_EQ(queue.Peek(vectors, 2), std::min<unsigned>(2, sent.size()));
        const unsigned n = queue.Peek(vectors, 8);
        ASSERT_EQ(n, sent.size());
        for (unsigned i = 0; i < n; ++i) {
            EXPECT_EQ(
                std::string(static_cast<const char*>(vectors[i].iov_base), vectors[i].iov_len),
                sent[i]);
        }
        queue.Pop(n - 1);
        EXPECT_EQ(PopString(queue), sent.back());
        queue.Pop(0);
        EXPECT_EQ(queue.Peek(vectors, 8), 0u);
    }
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

// Resident bytes of this process.
long long Resident() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

TEST(DatagramQueue, TakesMemoryOnlyForItsLargestBacklogAndGivesItBackOnceEmpty) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "resident memory counts the sanitizer's own bookkeeping too";
#endif
    constexpr size_t kMiB = size_t{1} << 20;
    const long long idle = Resident();
    DatagramQueue queue(256 * kMiB);
    ASSERT_TRUE(queue.IsValid());
    EXPECT_LT(Resident() - idle, static_cast<long long>(kMiB)) << "nothing touched yet";

    // A steady stream that the consumer keeps up with: 256 MiB through the queue.
    const std::string datagram(1316, 'x');
    for (int i = 0; i < 200000; ++i) {
        ASSERT_TRUE(queue.Push(datagram.data(), datagram.size()));
        ASSERT_EQ(PopString(queue), datagram);
    }
    EXPECT_LT(Resident() - idle, static_cast<long long>(8 * kMiB));

    // A backlog of 64 MiB, then caught up: its pages go back with the next record.
    for (int i = 0; i < 50000; ++i) {
        ASSERT_TRUE(queue.Push(datagram.data(), datagram.size()));
    }
    EXPECT_GT(Resident() - idle, static_cast<long long>(60 * kMiB));
    while (PopString(queue) != "<empty>") {
    }
    ASSERT_TRUE(queue.Push(datagram.data(), datagram.size()));
    EXPECT_LT(Resident() - idle, static_cast<long long>(8 * kMiB));
    EXPECT_EQ(PopString(queue), datagram);
}

}  // namespace
