#include "datagram_queue.h"

#include <sys/mman.h>

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstring>
#include <new>

// Memory orders. One producer and one consumer share the ring through two positions:
// - m_head, stored only by the producer with release once records are written, loaded by the
//   consumer with acquire: a record the consumer finds below the head is whole.
// - m_tail, stored by the consumer with release once it is done with records, loaded by the
//   producer with acquire: the producer writes over a record only after the consumer's last
//   read of it.
// - When the queue is empty the producer moves the tail itself (Rewind). That compare-exchange
//   is relaxed: it only succeeds while the consumer has nothing to read, and the consumer
//   learns of it through the next head it acquires, which is stored after it.
// - m_pushed is counted before the head is stored, and m_popped after the tail: whoever reads
//   popped (acquire) and then pushed sees at least as many pushed as popped, so the waiting
//   count never goes below zero; it may count a record a moment before it can be read.

namespace {

// A size with this value says the rest of the ring is unused: go on at offset 0.
// No size word of a record has every bit set: its size is at most 65,536.
constexpr uint32_t kWrapMarker = ~uint32_t{0};
constexpr uint32_t kSizeMask = (uint32_t{1} << DatagramQueue::kSizeBits) - 1;
// What stays resident of the ring once it is empty: several batches, so a stream that the
// consumer keeps up with never touches more.
constexpr size_t kKeptBytes = size_t{4} << 20;
// The pages beyond kKeptBytes go back only once no backlog has needed them for this long: a
// stream at the limit reaches past them every few moments, and faulting them in again each
// time costs more than the copy of the datagrams on them.
constexpr int64_t kKeepDeepNanoseconds = 1'000'000'000;

size_t RecordSize(size_t payload) {
    return (DatagramQueue::kHeader + payload + 7) & ~size_t{7};
}

int64_t NowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::unique_ptr<DatagramQueue> DatagramQueue::Create(size_t capacity) {
    assert(capacity % 8 == 0 && capacity >= 16);
    // Address space only: a page takes memory when a record first lands on it. Huge pages
    // where the system allows them: a backlog faults in a five-hundredth as many.
    void* ring = mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (ring == MAP_FAILED) {
        return nullptr;
    }
    madvise(ring, capacity, MADV_HUGEPAGE);
    std::unique_ptr<DatagramQueue> queue(
        new (std::nothrow) DatagramQueue(static_cast<std::byte*>(ring), capacity));
    if (queue == nullptr) {
        munmap(ring, capacity);
    }
    return queue;
}

DatagramQueue::DatagramQueue(std::byte* ring, size_t capacity)
    : m_capacity(capacity), m_ring(ring) {}

DatagramQueue::~DatagramQueue() {
    munmap(m_ring, m_capacity);
}

// Once the consumer has caught up, the ring starts again at its beginning, tail and head
// together, so only as much of it is touched as the largest backlog needed. With nothing
// queued the consumer no longer moves the tail, and it counts a tail at or past the head it
// loaded first as empty.
bool DatagramQueue::Rewind(uint64_t& head, uint64_t& tail) {
    if (head != tail || head % m_capacity == 0) {
        return false;
    }
    const uint64_t start = head + (m_capacity - head % m_capacity);
    if (!m_tail.compare_exchange_strong(tail, start, std::memory_order_relaxed)) {
        return false;
    }
    head = tail = start;
    return true;
}

// Hot: once per batch of datagrams on the reader thread. Changes need bench/capture.
std::byte* DatagramQueue::Reserve(size_t bytes) {
    const uint64_t published = m_head.load(std::memory_order_relaxed);
    uint64_t tail = m_tail.load(std::memory_order_acquire);
    // Past the published head only after a rewind that nothing was committed to yet.
    uint64_t head = std::max(published, tail);
    if (Rewind(head, tail) && m_touched > kKeptBytes &&
        NowNanoseconds() - m_deepNanoseconds > kKeepDeepNanoseconds) {
        ReleasePages();
    }
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
    m_pendingSkip = head - published + skip;
    const size_t start = (head + skip) % m_capacity;
    if (start + bytes > kKeptBytes) {
        m_deepNanoseconds = NowNanoseconds();
    }
    m_touched = std::max(m_touched, start + bytes);
    return &m_ring[start];
}

void DatagramQueue::Trim() {
    uint64_t head = m_head.load(std::memory_order_relaxed);
    uint64_t tail = m_tail.load(std::memory_order_acquire);
    if (head == tail && (Rewind(head, tail) || head % m_capacity == 0) && m_touched > kKeptBytes) {
        ReleasePages();
    }
}

// With nothing queued, everything beyond the first few pages goes back to the kernel.
void DatagramQueue::ReleasePages() {
    madvise(m_ring + kKeptBytes, m_touched - kKeptBytes, MADV_DONTNEED);
    m_touched = kKeptBytes;
}

void DatagramQueue::WriteHeader(std::byte* record, uint32_t size, uint32_t advance) {
    std::memcpy(record, &size, sizeof size);
    std::memcpy(record + sizeof size, &advance, sizeof advance);
}

void DatagramQueue::Commit(size_t bytes, uint64_t records) {
    if (records == 0) {
        return;
    }
    m_pushed.fetch_add(records, std::memory_order_relaxed);
    const uint64_t head = m_head.load(std::memory_order_relaxed);
    m_head.store(head + m_pendingSkip + bytes, std::memory_order_release);
}

bool DatagramQueue::Push(const void* data, size_t size, uint64_t lostBefore) {
    const size_t need = RecordSize(size);
    std::byte* record = Reserve(need);
    if (record == nullptr) {
        CountDropped(1);
        return false;
    }
    WriteHeader(record, SizeWord(size, lostBefore), static_cast<uint32_t>(need));
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

bool DatagramQueue::Front(const std::byte*& data, size_t& size, uint32_t& lostBefore) const {
    const uint64_t head = m_head.load(std::memory_order_acquire);
    if (m_tail.load(std::memory_order_relaxed) >= head) {
        return false;
    }
    const std::byte* record = &m_ring[TailRecord() % m_capacity];
    uint32_t word = 0;
    std::memcpy(&word, record, sizeof word);
    data = record + kHeader;
    size = word & kSizeMask;
    lostBefore = word >> kSizeBits;
    return true;
}

void DatagramQueue::Pop() {
    const uint64_t record = TailRecord();
    uint32_t advance = 0;
    std::memcpy(&advance, &m_ring[record % m_capacity] + sizeof(uint32_t), sizeof advance);
    m_tail.store(record + advance, std::memory_order_release);
    m_popped.fetch_add(1, std::memory_order_release);
}

// Hot: once per batch on the consumer's side. Changes need bench/capture.
unsigned DatagramQueue::Peek(iovec* vectors, unsigned count, uint32_t* lostBefore) const {
    const uint64_t head = m_head.load(std::memory_order_acquire);
    uint64_t position = m_tail.load(std::memory_order_relaxed);
    unsigned filled = 0;
    while (filled < count && position < head) {
        std::byte* record = &m_ring[position % m_capacity];
        uint32_t size = 0;
        std::memcpy(&size, record, sizeof size);
        if (size == kWrapMarker) {
            position += m_capacity - position % m_capacity;
            continue;
        }
        uint32_t advance = 0;
        std::memcpy(&advance, record + sizeof size, sizeof advance);
        if (lostBefore != nullptr) {
            lostBefore[filled] = size >> kSizeBits;
        }
        vectors[filled++] = {record + kHeader, size & kSizeMask};
        position += advance;
    }
    return filled;
}

void DatagramQueue::Pop(unsigned count) {
    if (count == 0) {
        return;  // an empty queue's tail may be the producer's to move
    }
    uint64_t position = m_tail.load(std::memory_order_relaxed);
    for (unsigned i = 0; i < count; ++i) {
        uint32_t size = 0;
        std::memcpy(&size, &m_ring[position % m_capacity], sizeof size);
        if (size == kWrapMarker) {
            position += m_capacity - position % m_capacity;
        }
        uint32_t advance = 0;
        std::memcpy(&advance, &m_ring[position % m_capacity] + sizeof size, sizeof advance);
        position += advance;
    }
    m_tail.store(position, std::memory_order_release);
    m_popped.fetch_add(count, std::memory_order_release);
}

uint64_t DatagramQueue::GetWaitingCount() const {
    const uint64_t popped = m_popped.load(std::memory_order_acquire);
    return m_pushed.load(std::memory_order_relaxed) - popped;
}
