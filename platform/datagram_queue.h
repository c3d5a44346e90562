// A bounded queue of whole datagrams in one preallocated byte ring.
// Used by DatagramReceiver: one producer thread (Push), one consumer thread (Front/Pop).
// Never allocates after construction; what does not fit is dropped and counted.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

class DatagramQueue {
public:
    // capacity: bytes of the ring, a multiple of 8; each datagram takes 8 + its size,
    // rounded up to 8.
    explicit DatagramQueue(size_t capacity);
    DatagramQueue(const DatagramQueue&) = delete;
    DatagramQueue& operator=(const DatagramQueue&) = delete;

    // Producer. Returns false, counting a drop, when the datagram does not fit.
    bool Push(const void* data, size_t size);

    // Consumer. The oldest datagram, or false when the queue is empty.
    bool Front(const std::byte*& data, size_t& size) const;
    void Pop();

    // Either thread.
    uint64_t GetWaitingCount() const;
    uint64_t GetDroppedCount() const { return m_dropped.load(std::memory_order_relaxed); }

private:
    size_t RecordSize(size_t payload) const {
        return (sizeof(uint64_t) + payload + 7) & ~size_t{7};
    }

    const size_t m_capacity;
    std::unique_ptr<std::byte[]> m_ring;
    // Monotonic byte positions; position % capacity is the offset in the ring.
    alignas(64) std::atomic<uint64_t> m_head{0};  // written by the producer
    alignas(64) std::atomic<uint64_t> m_tail{0};  // written by the consumer
    alignas(64) std::atomic<uint64_t> m_pushed{0};
    std::atomic<uint64_t> m_dropped{0};
    alignas(64) std::atomic<uint64_t> m_popped{0};
};
