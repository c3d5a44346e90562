#include "datagram_queue.h"

#include <cassert>
#include <cstring>

namespace {

// A length word with this value says the rest of the ring is unused: go back to offset 0.
constexpr uint64_t kWrapMarker = ~uint64_t{0};

}  // namespace

DatagramQueue::DatagramQueue(size_t capacity)
    : m_capacity(capacity), m_ring(new std::byte[capacity]) {
    assert(capacity % 8 == 0 && capacity >= 16);
}

// Hot: runs for every datagram on the reader thread. Changes need bench/capture.
bool DatagramQueue::Push(const void* data, size_t size) {
    const size_t need = RecordSize(size);
    const uint64_t head = m_head.load(std::memory_order_relaxed);
    const uint64_t tail = m_tail.load(std::memory_order_acquire);
    const size_t offset = head % m_capacity;
    const size_t toEnd = m_capacity - offset;
    // A record never wraps: when it does not fit before the end, the end is skipped.
    const size_t skip = need > toEnd ? toEnd : 0;
    if (need > m_capacity || head + skip + need - tail > m_capacity) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    if (skip != 0) {
        std::memcpy(&m_ring[offset], &kWrapMarker, sizeof kWrapMarker);
    }
    std::byte* record = &m_ring[(head + skip) % m_capacity];
    const uint64_t length = size;
    std::memcpy(record, &length, sizeof length);
    if (size != 0) {
        std::memcpy(record + sizeof length, data, size);
    }
    m_head.store(head + skip + need, std::memory_order_release);
    m_pushed.fetch_add(1, std::memory_order_release);
    return true;
}

bool DatagramQueue::Front(const std::byte*& data, size_t& size) const {
    uint64_t tail = m_tail.load(std::memory_order_relaxed);
    const uint64_t head = m_head.load(std::memory_order_acquire);
    if (tail == head) {
        return false;
    }
    uint64_t length = 0;
    std::memcpy(&length, &m_ring[tail % m_capacity], sizeof length);
    if (length == kWrapMarker) {
        tail += m_capacity - tail % m_capacity;
        std::memcpy(&length, &m_ring[0], sizeof length);
    }
    data = &m_ring[tail % m_capacity] + sizeof length;
    size = static_cast<size_t>(length);
    return true;
}

void DatagramQueue::Pop() {
    uint64_t tail = m_tail.load(std::memory_order_relaxed);
    uint64_t length = 0;
    std::memcpy(&length, &m_ring[tail % m_capacity], sizeof length);
    if (length == kWrapMarker) {
        tail += m_capacity - tail % m_capacity;
        std::memcpy(&length, &m_ring[0], sizeof length);
    }
    m_tail.store(tail + RecordSize(static_cast<size_t>(length)), std::memory_order_release);
    m_popped.fetch_add(1, std::memory_order_release);
}

uint64_t DatagramQueue::GetWaitingCount() const {
    const uint64_t popped = m_popped.load(std::memory_order_acquire);
    return m_pushed.load(std::memory_order_acquire) - popped;
}
