#include "datagram_queue.h"

#include <gtest/gtest.h>

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

// Wraps the ring many times, peeking one or several and popping at once or one at a time; a
// record that no longer fits before the end goes to the front.
TEST(DatagramQueue, KeepsOrderAndSizesAcrossTheEndOfTheRingAndCountsWhatDoesNotFit) {
    DatagramQueue queue(256);
    iovec vectors[8];
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> sent;
        for (int i = 0; i < 1 + round % 4; ++i) {
            sent.emplace_back(static_cast<size_t>((round * 13 + i * 5) % 50), 'a' + i);
            ASSERT_TRUE(queue.Push(sent.back().data(), sent.back().size()));
        }
        ASSERT_EQ(queue.Peek(vectors, 2), std::min<unsigned>(2, sent.size()));
        const unsigned n = queue.Peek(vectors, 8);
        ASSERT_EQ(n, sent.size());
        EXPECT_EQ(std::string(static_cast<char*>(vectors[n - 1].iov_base), vectors[n - 1].iov_len),
                  sent[n - 1]);
        const unsigned popped = round % 2 == 0 ? n - 1 : 0;
        queue.Pop(popped);
        for (unsigned i = popped; i < n; ++i) {
            EXPECT_EQ(PopString(queue), sent[i]);
        }
    }
    const std::string forty(40, 'x');
    int queued = 0;
    while (queue.Push(forty.data(), 40) && queued < 100) {
        ++queued;
    }
    EXPECT_EQ(queue.GetDroppedCount(), 1u) << "the one that did not fit";
    for (; queued > 0; --queued) {
        EXPECT_EQ(PopString(queue), forty);
    }
    EXPECT_TRUE(queue.Push(nullptr, 0));  // an empty datagram still takes its length word
    EXPECT_EQ(PopString(queue) + PopString(queue), "<empty>");
}

// Each datagram carries how many were lost just before it, beside its size and whatever the
// size; more than the record can hold saturates.
TEST(DatagramQueue, EachDatagramTellsTheLossesJustBeforeItSaturatedAtTheMost) {
    DatagramQueue queue(1 << 20);
    const std::string largest(65536, 'x');
    const struct {
        size_t size;
        uint64_t lost;
        uint32_t told;
    } cases[] = {{1316, 0, 0},
                 {0, 3, 3},
                 {65536, 1, 1},
                 {7, DatagramQueue::kMostLostBefore, DatagramQueue::kMostLostBefore},
                 {65536, uint64_t{1} << 40, DatagramQueue::kMostLostBefore}};
    for (const auto& c : cases) {
        ASSERT_TRUE(queue.Push(largest.data(), c.size, c.lost));
    }
    iovec vectors[8];
    uint32_t lostBefore[8] = {};
    ASSERT_EQ(queue.Peek(vectors, 8, lostBefore), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(vectors[i].iov_len, cases[i].size) << i;
        EXPECT_EQ(lostBefore[i], cases[i].told) << i;
    }
    const std::byte* data = nullptr;
    size_t size = 0;
    uint32_t told = 0;
    ASSERT_TRUE(queue.Front(data, size, told));
    EXPECT_EQ(size, 1316u);
    queue.Pop();
    ASSERT_TRUE(queue.Front(data, size, told));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(told, 3u);
}

}  // namespace
