#include "datagram_queue.h"

#include <cassert>
#include <cstring>

namespace {

// A size with this value says the rest of the ring is unused: go on at offset 0.
constexpr uint32_t kWrapMarker = ~uint32_t{0};

size_t RecordSize(size_t payload) {
    return (DatagramQueue::kHeader + payload + 7) & ~size_t{7};
}

}  // namespace

DatagramQueue::DatagramQueue(size_t capacity)
    : m_capacity(capacity), m_ring(new std::byte[capacity]) {
    assert(capacity % 8 == 0 && capacity >= 16);
}

// Hot: once per batch of datagrams on the reader thread. Changes need bench/capture.
std::byte* DatagramQueue::Reserve(size_t bytes) {
    const uint64_t head = m_head.load(std::memory_order_relaxed);
    const uint64_t tail = m_tail.load(std::memory_order_acquire);
    const size_t offset = head % m_capacity;
    const size_t toEnd = m_capacity - offset;
    // Records never wrap: when they do not fit before the end, the end is skipped.
    const size_t skip = bytes > toEnd ? toEnd : 0;
    if (bytes > m_capacity || head + skip + bytes - tail > m_capacity) {
        return nullptr;
    }
    if (skip != 0) {
        WriteHeader(&m_ring[offset], kWrapMarker, 0);
    }
    m_pendingSkip = skip;
    return &m_ring[(head + skip) % m_capacity];
}

void DatagramQueue::WriteHeader(std::byte* record, uint32_t size, uint32_t advance) {
    std::memcpy(record, &size, sizeof size);
    std::memcpy(record + sizeof size, &advance, sizeof advance);
}

void DatagramQueue::Commit(size_t bytes, uint64_t records) {
    if (records == 0) {
        return;
    }
    const uint64_t head = m_head.load(std::memory_order_relaxed);
    m_head.store(head + m_pendingSkip + bytes, std::memory_order_release);
    m_pushed.fetch_add(records, std::memory_order_release);
}

bool DatagramQueue::Push(const void* data, size_t size) {
    const size_t need = RecordSize(size);
    std::byte* record = Reserve(need);
    if (record == nullptr) {
        CountDropped(1);
        return false;
    }
    WriteHeader(record, static_cast<uint32_t>(size), static_cast<uint32_t>(need));
    if (size != 0) {
        std::memcpy(record + kHeader, data, size);
    }
    Commit(need, 1);
    return true;
}

uint64_t DatagramQueue::TailRecord() const {
    const uint64_t tail = m_tail.load(std::memory_order_relaxed);
    uint32_t size = 0;
    std::memcpy(&size, &m_ring[tail % m_capacity], sizeof size);
    return size == kWrapMarker ? tail + (m_capacity - tail % m_capacity) : tail;
}

bool DatagramQueue::Front(const std::byte*& data, size_t& size) const {
    if (m_tail.load(std::memory_order_relaxed) == m_head.load(std::memory_order_acquire)) {
        return false;
    }
    const std::byte* record = &m_ring[TailRecord() % m_capacity];
    uint32_t length = 0;
    std::memcpy(&length, record, sizeof length);
    data = record + kHeader;
    size = length;
    return true;
}

void DatagramQueue::Pop() {
    const uint64_t record = TailRecord();
    uint32_t advance = 0;
    std::memcpy(&advance, &m_ring[record % m_capacity] + sizeof(uint32_t), sizeof advance);
    m_tail.store(record + advance, std::memory_order_release);
    m_popped.fetch_add(1, std::memory_order_release);
}

uint64_t DatagramQueue::GetWaitingCount() const {
    const uint64_t popped = m_popped.load(std::memory_order_acquire);
    return m_pushed.load(std::memory_order_acquire) - popped;
}
