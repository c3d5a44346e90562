#include "datagram_queue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

std::string PopString(DatagramQueue& queue) {
    const std::byte* data = nullptr;
    size_t size = 0;
    uint32_t lostBefore = 0;
    if (!queue.Front(data, size, lostBefore)) {
        return "<empty>";
    }
    std::string out(reinterpret_cast<const char*>(data), size);
    queue.Pop();
    return out;
}

double ResidentMiB() {
    long long pages = 0;
    long long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident * sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// Wraps the ring many times, peeking and popping at once or one at a time; a
// record that no longer fits before the end goes to the front.
TEST(DatagramQueue, KeepsOrderAndSizesAcrossTheEndOfTheRing) {
    const auto queue = DatagramQueue::Create(256);
    iovec vectors[8];
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> sent;
        for (int i = 0; i < 1 + round % 4; ++i) {
            sent.emplace_back(static_cast<size_t>((round * 13 + i * 5) % 50), 'a' + i);
            ASSERT_TRUE(queue->Push(sent.back().data(), sent.back().size()));
        }
        const unsigned n = queue->Peek(vectors, 8);
        ASSERT_EQ(n, sent.size());
        const unsigned popped = round % 2 == 0 ? n - 1 : 0;
        queue->Pop(popped);
        for (unsigned i = popped; i < n; ++i) {
            EXPECT_EQ(PopString(*queue), sent[i]);
        }
    }
    EXPECT_TRUE(queue->Push(nullptr, 0));  // an empty datagram still takes its length word
    EXPECT_EQ(PopString(*queue) + PopString(*queue), "<empty>");
}

TEST(DatagramQueue, CountsTheDatagramThatDoesNotFitAndKeepsTheOthers) {
    const auto queue = DatagramQueue::Create(256);
    const std::string forty(40, 'x');
    int queued = 0;
    while (queue->Push(forty.data(), 40) && queued < 100) {
        ++queued;
    }
    EXPECT_EQ(queue->GetDroppedCount(), 1u);
    EXPECT_EQ(queue->GetWaitingCount(), static_cast<uint64_t>(queued));
    for (; queued > 0; --queued) {
        EXPECT_EQ(PopString(*queue), forty);
    }
}

// Each datagram carries how many were lost just before it, beside its size and whatever the
// size; more than the record can hold saturates.
TEST(DatagramQueue, EachDatagramTellsTheLossesJustBeforeItSaturatedAtTheMost) {
    const auto queue = DatagramQueue::Create(1 << 20);
    const std::string largest(65536, 'x');
    const uint64_t most = DatagramQueue::kMostLostBefore;
    const std::pair<size_t, uint64_t> sent[] = {
        {1316, 0}, {0, 3}, {65536, 1}, {7, most}, {65536, uint64_t{1} << 40}};
    for (const auto& [size, lost] : sent) {
        ASSERT_TRUE(queue->Push(largest.data(), size, lost));
    }
    iovec vectors[8];
    uint32_t lostBefore[8] = {};
    std::string told;
    for (unsigned i = 0, n = queue->Peek(vectors, 8, lostBefore); i < n; ++i) {
        told += std::to_string(vectors[i].iov_len) + ":" + std::to_string(lostBefore[i]) + " ";
    }
    EXPECT_EQ(told, "1316:0 0:3 65536:1 7:32767 65536:32767 ");
}

// A backlog's memory is the kernel's again once the queue is empty and the reader idles.
TEST(DatagramQueue, AnEmptiedQueueGivesItsPagesBackWhenTrimmed) {
    const auto queue = DatagramQueue::Create(size_t{128} << 20);
    const std::string block(60000, 'x');
    for (int i = 0; i < 1000; ++i) {  // 57 MiB
        ASSERT_TRUE(queue->Push(block.data(), block.size()));
    }
    const double full = ResidentMiB();
    queue->Pop(1000);
    queue->Trim();
    // All but the few MiB the queue keeps, whatever else the process holds.
    EXPECT_GT(full - ResidentMiB(), 40.0);
}

// A producer and a consumer on two threads, as the socket's reader and the capture run: the
// producer reserves batches and commits them, the consumer peeks and releases, and a small
// ring keeps both waiting on each other. Every datagram arrives whole and in order, and the
// count of those waiting never exceeds what was pushed.
TEST(DatagramQueueConcurrency, EveryDatagramReachesTheOtherThreadWholeAndInOrder) {
    constexpr uint32_t kDatagrams = 5000;
    constexpr size_t kSlot = 264;  // header and the largest payload below, rounded to 8
    const auto queue = DatagramQueue::Create(8192);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    auto sizeOf = [](uint32_t n) { return 5 + n % 250; };
    std::thread producer([&] {
        uint32_t next = 0;
        while (next < kDatagrams && std::chrono::steady_clock::now() < deadline) {
            const unsigned batch = std::min<uint32_t>(1 + next % 7, kDatagrams - next);
            std::byte* region = queue->Reserve(batch * kSlot);
            if (region == nullptr) {
                std::this_thread::yield();
                continue;
            }
            for (unsigned i = 0; i < batch; ++i, ++next) {
                std::byte* record = region + i * kSlot;
                DatagramQueue::WriteHeader(record, DatagramQueue::SizeWord(sizeOf(next), 0), kSlot);
                std::memset(record + DatagramQueue::kHeader, next & 0xff, sizeOf(next));
                std::memcpy(record + DatagramQueue::kHeader, &next, sizeof next);
            }
            queue->Commit(batch * kSlot, batch);
        }
    });
    uint32_t expected = 0;
    bool whole = true;
    uint64_t mostWaiting = 0;
    iovec vectors[16];
    while (expected < kDatagrams && std::chrono::steady_clock::now() < deadline) {
        mostWaiting = std::max(mostWaiting, queue->GetWaitingCount());
        const unsigned n = queue->Peek(vectors, 16);
        if (n == 0) {
            std::this_thread::yield();
        }
        for (unsigned i = 0; i < n; ++i, ++expected) {
            const auto* bytes = static_cast<const unsigned char*>(vectors[i].iov_base);
            uint32_t number = 0;
            std::memcpy(&number, bytes, sizeof number);
            whole = whole && number == expected && vectors[i].iov_len == sizeOf(expected) &&
                    bytes[vectors[i].iov_len - 1] == (expected & 0xff);
        }
        queue->Pop(n);
    }
    producer.join();
    EXPECT_EQ(expected, kDatagrams);
    EXPECT_TRUE(whole);
    EXPECT_LE(mostWaiting, kDatagrams);
    EXPECT_EQ(queue->GetWaitingCount(), 0u);
}

}  // namespace
