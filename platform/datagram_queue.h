// A bounded queue of whole datagrams in one byte ring, reserved at construction and touched
// only as far as the largest backlog reaches. Used by DatagramReceiver: one producer thread
// (Reserve/Commit, Push), one consumer thread (Front/Pop). Never allocates after construction.
#pragma once

#include <sys/uio.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class DatagramQueue {
public:
    // Each record is an 8-byte header (size, distance to the next record) and the payload.
    static constexpr size_t kHeader = 8;
    // A payload is at most 65,536 bytes (17 bits); the 15 bits above it in the size word say
    // how many datagrams this host lost just before it, saturated at kMostLostBefore.
    static constexpr unsigned kSizeBits = 17;
    static constexpr uint32_t kMostLostBefore = (uint32_t{1} << 15) - 1;
    static uint32_t SizeWord(size_t size, uint64_t lostBefore) {
        const uint64_t lost = lostBefore < kMostLostBefore ? lostBefore : kMostLostBefore;
        return static_cast<uint32_t>(size | lost << kSizeBits);
    }

    // capacity: bytes of the ring, a multiple of 8. Null when the address space is not had.
    static std::unique_ptr<DatagramQueue> Create(size_t capacity);
    ~DatagramQueue();
    DatagramQueue(const DatagramQueue&) = delete;
    DatagramQueue& operator=(const DatagramQueue&) = delete;

    // Producer: bytes (a multiple of 8) of contiguous free ring, or null when they do not fit.
    // The caller writes records there with WriteHeader and publishes them with Commit.
    std::byte* Reserve(size_t bytes);
    static void WriteHeader(std::byte* record, uint32_t size, uint32_t advance);
    void Commit(size_t bytes, uint64_t records);
    // Producer: copies one datagram in, lostBefore datagrams lost just before it. Returns
    // false, counting a drop, when it does not fit.
    bool Push(const void* data, size_t size, uint64_t lostBefore = 0);
    void CountDropped(uint64_t count) { m_dropped.fetch_add(count, std::memory_order_relaxed); }
    // Producer, while no datagram comes: with the queue empty, what the ring holds beyond the
    // pages it keeps goes back to the kernel.
    void Trim();

    // Consumer. The oldest datagram and the datagrams lost just before it, or false when the
    // queue is empty (the out-parameters then unchanged).
    bool Front(const std::byte*& data, size_t& size, uint32_t& lostBefore) const;
    void Pop();
    // Consumer. The oldest datagrams, up to count, in place in the ring until they are
    // popped, and when lostBefore is given, for each the datagrams lost just before it;
    // returns how many vectors were filled (0 when the queue is empty).
    unsigned Peek(iovec* vectors, unsigned count, uint32_t* lostBefore = nullptr) const;
    // Consumer: pops the first count datagrams of the last Peek in one step.
    void Pop(unsigned count);

    // Either thread.
    uint64_t GetWaitingCount() const;
    uint64_t GetDroppedCount() const { return m_dropped.load(std::memory_order_relaxed); }

private:
    DatagramQueue(std::byte* ring, size_t capacity);
    // The consumer's next record, past a wrap marker.
    uint64_t TailRecord() const;
    // Producer: with nothing queued, starts the ring again at its beginning; true if it did.
    bool Rewind(uint64_t& head, uint64_t& tail);
    void ReleasePages();

    const size_t m_capacity;
    std::byte* const m_ring;
    // Producer only.
    size_t m_pendingSkip = 0;       // ring end skipped by the last Reserve
    size_t m_touched = 0;           // end of the part of the ring written to
    int64_t m_deepNanoseconds = 0;  // when a backlog last went past the pages kept
    // Monotonic byte positions; position % capacity is the offset in the ring.
    alignas(64) std::atomic<uint64_t> m_head{0};  // written by the producer
    std::atomic<uint64_t> m_pushed{0};
    std::atomic<uint64_t> m_dropped{0};
    alignas(64) std::atomic<uint64_t> m_tail{0};  // written by the consumer
    std::atomic<uint64_t> m_popped{0};
};
