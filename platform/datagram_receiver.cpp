#include "datagram_receiver.h"

#include <linux/sock_diag.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>
#include <system_error>

#include "threads.h"
#include "win_error.h"

namespace {

// Two seconds of a 1 Gbit/s stream in 1,316-byte datagrams; pages are touched as it fills.
constexpr size_t kQueueBytes = size_t{256} << 20;
std::atomic<size_t> g_queueBytes{kQueueBytes};
constexpr int kKernelBufferBytes = 16 << 20;
constexpr unsigned kBatchSize = 64;
// A slot takes a datagram of up to 1,528 bytes, what an Ethernet frame carries unfragmented.
constexpr unsigned kSlot = 1536;
constexpr unsigned kSlotPayload = kSlot - DatagramQueue::kHeader;
// The reader's pause after a drain lets a stream gather into full batches, so that the
// reader and its consumer switch a few hundred times a second instead of for every few
// datagrams. It adapts to what the kernel's buffer held when the reader came back: longer
// while that was little, shorter once it passes a quarter.
constexpr unsigned kShortestPauseMicroseconds = 50;
constexpr unsigned kLongestPauseMicroseconds = 1000;
// Never longer than a 10 Gbit/s burst, about 4 MiB of kernel charge a millisecond, takes to
// fill half the buffer.
constexpr size_t kBurstBytesPerMillisecond = size_t{4} << 20;
// How often an idle reader asks the kernel whether it dropped datagrams.
constexpr int kIdleCheckMilliseconds = 1000;
// What the kernel charges a socket's buffer at least for one datagram.
constexpr unsigned kSmallestDatagramCost = 512;
// The largest UDP payload: whole datagrams are read so a long one can be refused whole.
constexpr size_t kMaxDatagram = 65536;

int ReadRmemMax() {
    std::ifstream file("/proc/sys/net/core/rmem_max");
    int value = 0;
    return file >> value ? value : 0;
}

// SO_RCVBUFFORCE passes rmem_max for a process with CAP_NET_ADMIN; otherwise rmem_max.
void SetCaptureReceiveBuffer(SOCKET s) {
    int size = kKernelBufferBytes;
    if (setsockopt(s, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) == 0) {
        return;
    }
    const int rmemMax = ReadRmemMax();
    size = rmemMax > 0 && rmemMax < kKernelBufferBytes ? rmemMax : kKernelBufferBytes;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

// The socket's buffer as the kernel accounts it; all zero when it cannot be read.
struct KernelBuffer {
    uint32_t held = 0;     // bytes charged for the datagrams waiting
    uint32_t size = 0;     // the most it may be charged
    uint32_t dropped = 0;  // datagrams dropped because it was full
};

KernelBuffer ReadKernelBuffer(SOCKET s) {
    uint32_t meminfo[SK_MEMINFO_VARS] = {};
    socklen_t length = sizeof meminfo;
    if (getsockopt(s, SOL_SOCKET, SO_MEMINFO, meminfo, &length) != 0 ||
        length <= SK_MEMINFO_DROPS * sizeof(uint32_t)) {
        return {};
    }
    return {meminfo[SK_MEMINFO_RMEM_ALLOC], meminfo[SK_MEMINFO_RCVBUF], meminfo[SK_MEMINFO_DROPS]};
}

// The pause after the next drain, from the last one and what the buffer held before it.
unsigned NextPause(unsigned pause, const KernelBuffer& buffer) {
    const auto longest = static_cast<unsigned>(
        std::clamp<size_t>(size_t{buffer.size} * 500 / kBurstBytesPerMillisecond,
                           kShortestPauseMicroseconds, kLongestPauseMicroseconds));
    if (buffer.held > buffer.size / 4) {
        pause /= 2;
    } else if (buffer.held < buffer.size / 16) {
        pause += pause / 2;
    }
    return std::clamp(pause, kShortestPauseMicroseconds, longest);
}

}  // namespace

void RaiseReceiveBufferToRmemMax(SOCKET s) {
    const int most = ReadRmemMax();
    int current = 0;
    socklen_t length = sizeof current;
    // Linux reports twice what was set.
    if (most > 0 && getsockopt(s, SOL_SOCKET, SO_RCVBUF, &current, &length) == 0 &&
        current / 2 < most) {
        setsockopt(s, SOL_SOCKET, SO_RCVBUF, &most, sizeof most);
    }
}

// Datagrams land straight in the queue, one slot each; a longer one spills into its own
// overflow area and is then copied in whole through staging. Neither area takes memory
// until a long datagram lands there.
struct DatagramReceiver::Batch {
    std::unique_ptr<std::byte[]> overflow{new (std::nothrow) std::byte[kBatchSize * kMaxDatagram]};
    std::unique_ptr<std::byte[]> staging;
    mmsghdr headers[kBatchSize]{};
    iovec vectors[kBatchSize][2]{};
    // The kernel's count of datagrams it dropped for this socket, with each datagram read
    // after the first drop; under KeepOnly, each datagram's destination too.
    alignas(cmsghdr) char control[kBatchSize]
                                 [CMSG_SPACE(sizeof(uint32_t)) + kDestinationControlSpace]{};
    sockaddr_in senders[kBatchSize]{};  // under KeepOnly
    uint64_t lostBefore[kBatchSize]{};  // under KeepOnly, as KeepMembers took them
};

void SetDatagramQueueBytes(size_t bytes) {
    g_queueBytes = bytes != 0 ? bytes : kQueueBytes;
}

DatagramReceiver::DatagramReceiver() = default;

DatagramReceiver::~DatagramReceiver() {
    Stop();
    CloseSocket();
    if (m_readyEvent >= 0) {
        close(m_readyEvent);
    }
}

DWORD DatagramReceiver::Open(WORD port) {
    Stop();
    CloseSocket();
    const SOCKET s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        return WinErrorFromErrno(errno);
    }
    SetCaptureReceiveBuffer(s);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const DWORD code = WinErrorFromErrno(errno);
        close(s);
        return code;
    }
    Adopt(s);
    return ERROR_SUCCESS;
}

void DatagramReceiver::Adopt(SOCKET s) {
    Stop();
    CloseSocket();
    const int on = 1;
    setsockopt(s, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
    m_socket = s;
    m_kernelDropped = 0;
    m_kernelDropsSeen = 0;
    m_lostUntold = 0;
    m_error = 0;
}

DWORD DatagramReceiver::GetLocalPort(WORD& port) const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return WinErrorFromErrno(errno);
    }
    port = ntohs(address.sin_port);
    return ERROR_SUCCESS;
}

DWORD DatagramReceiver::SetOption(int level, int name, const void* value, int length) {
    if (level == SOL_SOCKET && name == SO_RCVBUF && length == sizeof(int)) {
        int asked = 0;
        std::memcpy(&asked, value, sizeof asked);
        int current = 0;
        socklen_t currentLength = sizeof current;
        // Linux reports twice what was set; the reader needs every byte of it.
        if (getsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &current, &currentLength) == 0 &&
            current / 2 >= asked) {
            return ERROR_SUCCESS;
        }
    }
    if (setsockopt(m_socket, level, name, value, static_cast<socklen_t>(length)) != 0) {
        return WinErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

DWORD DatagramReceiver::Start() {
    if (m_socket == INVALID_SOCKET) {
        return WSAENOTSOCK;
    }
    if (!m_queue) {
        std::unique_ptr<DatagramQueue> queue = DatagramQueue::Create(g_queueBytes);
        std::unique_ptr<Batch> batch(new (std::nothrow) Batch);
        if (queue == nullptr || batch == nullptr || batch->overflow == nullptr) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        m_queue = std::move(queue);
        m_batch = std::move(batch);
    }
    if (m_readyEvent < 0) {
        m_readyEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_readyEvent < 0) {
            return WinErrorFromErrno(errno);
        }
    }
    m_stopEvent = eventfd(0, EFD_CLOEXEC);
    if (m_stopEvent < 0) {
        return WinErrorFromErrno(errno);
    }
    try {
        m_reader = std::thread([this] {
            pthread_setname_np(pthread_self(), "socket reader");
            // The kernel's buffer may hold only milliseconds of a stream: where the user may
            // (CAP_SYS_NICE or an rtprio limit), the reader is not kept waiting by busy threads.
            const sched_param priority{1};
            pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
            ReaderLoop();
        });
    } catch (const std::system_error& e) {
        close(m_stopEvent);
        m_stopEvent = -1;
        return WinErrorFromThreadStart(e.code().value());
    }
    return ERROR_SUCCESS;
}

void DatagramReceiver::Stop() {
    if (m_reader.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_stopEvent, &one, sizeof one);
        m_reader.join();
        // What arrived before the stop is kept: Receive reads it once the queue is empty.
        // Bounded by what the kernel's buffer can hold, so a sender that goes on cannot
        // hold the consumer there.
        int held = 0;
        socklen_t length = sizeof held;
        getsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &held, &length);
        m_closingBatches = static_cast<unsigned>(held) / kSmallestDatagramCost / kBatchSize + 1;
    } else {
        CloseSocket();
    }
    if (m_stopEvent >= 0) {
        close(m_stopEvent);
        m_stopEvent = -1;
    }
}

void DatagramReceiver::CloseSocket() {
    m_closingBatches = 0;
    if (m_socket != INVALID_SOCKET) {
        RaiseKernelDrops(ReadKernelBuffer(m_socket).dropped);
        close(m_socket);
        m_socket = INVALID_SOCKET;
    }
}

void DatagramReceiver::ReaderLoop() {
    pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_stopEvent, POLLIN, 0}};
    bool wasFull = false;
    unsigned pause = kShortestPauseMicroseconds;
    for (;;) {
        const int ready = poll(fds, 2, kIdleCheckMilliseconds);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return EndReader(errno);
        }
        if (ready == 0) {
            CheckKernelDrops();  // drops followed by silence carry no count with a datagram
            m_queue->Trim();
            continue;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return;
        }
        if (fds[0].revents == 0) {
            continue;
        }
        const KernelBuffer buffer = ReadKernelBuffer(m_socket);
        bool full = false;
        if (const int err = DrainKernel(UINT32_MAX, full); err != 0) {
            return EndReader(err);
        }
        if (wasFull && !full) {
            CheckKernelDrops();  // the kernel's buffer may have overflowed meanwhile
        }
        wasFull = full;
        if (full) {
            usleep(1000);  // until the consumer makes room
        } else {
            pause = NextPause(pause, buffer);
            usleep(pause);
        }
    }
}

// The consumer hears of it through the ready event, after what was queued before.
void DatagramReceiver::EndReader(int err) {
    m_error = WinErrorFromErrno(err);
    m_notifyPending = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_readyEvent, &one, sizeof one);
}

void DatagramReceiver::Notify() {
    if (!m_notifyPending.exchange(true)) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_readyEvent, &one, sizeof one);
    }
}

// Hot: the reader's whole work per datagram. Changes need bench/capture.
int DatagramReceiver::DrainKernel(unsigned maxBatches, bool& queueFull) {
    Batch& b = *m_batch;
    for (unsigned batch = 0; batch < maxBatches; ++batch) {
        unsigned slots = kBatchSize;
        std::byte* region = nullptr;
        while (slots > 0 && (region = m_queue->Reserve(slots * kSlot)) == nullptr) {
            slots /= 2;
        }
        if (region == nullptr) {
            queueFull = true;  // the kernel's buffer holds them meanwhile
            return 0;
        }
        for (unsigned i = 0; i < slots; ++i) {
            b.vectors[i][0] = {region + i * kSlot + DatagramQueue::kHeader, kSlotPayload};
            b.vectors[i][1] = {&b.overflow[i * kMaxDatagram], kMaxDatagram - kSlotPayload};
            b.headers[i].msg_hdr = {};
            b.headers[i].msg_hdr.msg_iov = b.vectors[i];
            b.headers[i].msg_hdr.msg_iovlen = 2;
            b.headers[i].msg_hdr.msg_control = b.control[i];
            b.headers[i].msg_hdr.msg_controllen = sizeof b.control[i];
            if (m_filter) {
                b.headers[i].msg_hdr.msg_name = &b.senders[i];
                b.headers[i].msg_hdr.msg_namelen = sizeof b.senders[i];
            }
        }
        const int count = recvmmsg(m_socket, b.headers, slots, MSG_DONTWAIT, nullptr);
        if (count < 0) {
            return errno == EAGAIN || errno == EINTR ? 0 : errno;
        }
        unsigned kept = static_cast<unsigned>(count);
        if (m_filter && count > 0) {
            kept = KeepMembers(kept);
        }
        Store(region, kept);
        if (count > 0) {
            RaiseKernelDrops(m_kernelDropsSeen);
        }
        if (kept > 0) {
            Notify();
        }
        if (count < static_cast<int>(slots)) {
            return 0;
        }
    }
    return 0;
}

// Moves the membership's datagrams of the batch to its front, in order, each with what was
// lost before it, and counts the others; returns how many were kept. Their slots' payload
// moves with them, their overflow stays put. What was lost before a stray goes to the next
// datagram kept.
unsigned DatagramReceiver::KeepMembers(unsigned count) {
    Batch& b = *m_batch;
    unsigned kept = 0;
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t lost = TakeLostBefore(i);  // in order: each reads the kernel's count
        in_addr_t destination = INADDR_ANY;
        const in_addr_t source = b.senders[i].sin_addr.s_addr;
        if (!GetDatagramDestination(b.headers[i].msg_hdr, destination) ||
            !IsGroupDatagram(m_membership, destination, source)) {
            m_strays.fetch_add(1, std::memory_order_relaxed);
            m_lostUntold = lost;
            continue;
        }
        if (m_firstSender.load(std::memory_order_relaxed) == INADDR_ANY) {
            m_firstSender.store(source, std::memory_order_relaxed);
        } else if (source != m_firstSender.load(std::memory_order_relaxed) &&
                   m_secondSender.load(std::memory_order_relaxed) == INADDR_ANY) {
            m_secondSender.store(source, std::memory_order_relaxed);
        }
        if (kept != i) {
            std::memmove(b.vectors[kept][0].iov_base, b.vectors[i][0].iov_base,
                         std::min<size_t>(b.headers[i].msg_len, kSlotPayload));
            b.vectors[kept][1] = b.vectors[i][1];
            b.headers[kept].msg_len = b.headers[i].msg_len;
        }
        b.lostBefore[kept] = lost;
        ++kept;
    }
    return kept;
}

// What was lost before datagram index of the batch: taken from its control data, or under
// KeepOnly as KeepMembers took it.
uint64_t DatagramReceiver::LostBefore(unsigned index) {
    return m_filter ? m_batch->lostBefore[index] : TakeLostBefore(index);
}

// Hot: once per datagram read. The kernel's drop count comes with each datagram read after
// its first drop, as it stood when that datagram was queued: the growth since the datagram
// before is what was lost between them. Changes need bench/capture.
uint64_t DatagramReceiver::TakeLostBefore(unsigned index) {
    uint64_t lost = m_lostUntold;
    m_lostUntold = 0;
    msghdr& header = m_batch->headers[index].msg_hdr;
    if (header.msg_controllen == 0) {
        return lost;
    }
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL) {
            uint32_t dropped = 0;
            std::memcpy(&dropped, CMSG_DATA(c), sizeof dropped);
            lost += static_cast<uint32_t>(dropped - m_kernelDropsSeen);  // the count wraps
            m_kernelDropsSeen = dropped;
        }
    }
    return lost;
}

void DatagramReceiver::CheckKernelDrops() {
    if (RaiseKernelDrops(ReadKernelBuffer(m_socket).dropped)) {
        Notify();
    }
}

bool DatagramReceiver::RaiseKernelDrops(uint64_t dropped) {
    if (dropped <= m_kernelDropped.load(std::memory_order_relaxed)) {
        return false;
    }
    m_kernelDropped.store(dropped, std::memory_order_relaxed);
    return true;
}

// Publishes the datagrams received into the slots at region. Those longer than a slot, and
// every one after the first of them, are moved to staging first and then copied in whole.
void DatagramReceiver::Store(std::byte* region, unsigned count) {
    Batch& b = *m_batch;
    unsigned inPlace = 0;
    while (inPlace < count && b.headers[inPlace].msg_len <= kSlotPayload) {
        const uint32_t word =
            DatagramQueue::SizeWord(b.headers[inPlace].msg_len, LostBefore(inPlace));
        DatagramQueue::WriteHeader(region + inPlace * kSlot, word, kSlot);
        ++inPlace;
    }
    m_queue->Commit(size_t{inPlace} * kSlot, inPlace);
    if (inPlace == count) {
        return;
    }
    if (b.staging == nullptr) {
        b.staging.reset(new (std::nothrow) std::byte[kBatchSize * kMaxDatagram]);
        if (b.staging == nullptr) {
            m_queue->CountDropped(count - inPlace);
            for (unsigned i = inPlace; i < count; ++i) {
                m_lostUntold += LostBefore(i) + 1;
            }
            return;
        }
    }
    for (unsigned i = inPlace; i < count; ++i) {
        const size_t size = b.headers[i].msg_len;
        std::byte* staged = &b.staging[i * kMaxDatagram];
        std::memcpy(staged, b.vectors[i][0].iov_base, std::min<size_t>(size, kSlotPayload));
        if (size > kSlotPayload) {
            std::memcpy(staged + kSlotPayload, b.vectors[i][1].iov_base, size - kSlotPayload);
        }
    }
    for (unsigned i = inPlace; i < count; ++i) {
        const uint64_t lost = LostBefore(i);
        if (!m_queue->Push(&b.staging[i * kMaxDatagram], b.headers[i].msg_len, lost)) {
            m_lostUntold += lost + 1;  // told with the next datagram stored
        }
    }
}

void DatagramReceiver::TakeNotification() {
    // In this order: a datagram queued after the flag is cleared writes the event again.
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = read(m_readyEvent, &count, sizeof count);
    m_notifyPending.store(false, std::memory_order_seq_cst);
}

int DatagramReceiver::Receive(void* lpBuf, int nBufLen, uint32_t* pLostBefore) {
    const std::byte* data = nullptr;
    size_t size = 0;
    uint32_t lostBefore = 0;
    if (!m_queue) {
        SetLastError(WSAEWOULDBLOCK);
        return SOCKET_ERROR;
    }
    // After Stop, what the kernel still held follows what was queued, in arrival order.
    while (!m_queue->Front(data, size, lostBefore)) {
        if (!ReadRestAfterStop()) {
            SetLastError(WSAEWOULDBLOCK);
            return SOCKET_ERROR;
        }
    }
    if (pLostBefore != nullptr) {
        *pLostBefore = lostBefore;
    }
    if (size > static_cast<size_t>(nBufLen)) {
        m_queue->Pop();
        SetLastError(WSAEMSGSIZE);
        return SOCKET_ERROR;
    }
    std::memcpy(lpBuf, data, size);
    m_queue->Pop();
    return static_cast<int>(size);
}

bool DatagramReceiver::ReadRestAfterStop() {
    if (m_closingBatches == 0) {
        return false;
    }
    --m_closingBatches;
    bool full = false;
    const int err = DrainKernel(1, full);
    if (err != 0) {
        m_error = WinErrorFromErrno(err);  // told through TakeError; what was read stays
    }
    if (err != 0 || m_queue->GetWaitingCount() == 0 || m_closingBatches == 0) {
        CloseSocket();
    }
    return true;
}

// Hot: once per batch on the consumer's side. Changes need bench/capture.
unsigned DatagramReceiver::Peek(iovec* vectors, unsigned count, uint32_t* lostBefore) {
    if (!m_queue) {
        return 0;
    }
    unsigned filled = 0;
    while ((filled = m_queue->Peek(vectors, count, lostBefore)) == 0 && ReadRestAfterStop()) {
    }
    return filled;
}

void DatagramReceiver::Release(unsigned count) {
    m_queue->Pop(count);
}

DWORD DatagramReceiver::WaitReady(int milliseconds) {
    pollfd ready{m_readyEvent, POLLIN, 0};
    int n = 0;
    while ((n = poll(&ready, 1, milliseconds)) < 0) {
        if (errno != EINTR) {
            return WinErrorFromErrno(errno);
        }
    }
    return n == 0 ? WAIT_TIMEOUT : ERROR_SUCCESS;
}

DWORD DatagramReceiver::KeepOnly(const MulticastMembership& membership) {
    if (const DWORD code = ReceiveDatagramDestinations(m_socket); code != ERROR_SUCCESS) {
        return code;
    }
    m_membership = membership;
    m_filter = true;
    return ERROR_SUCCESS;
}

void DatagramReceiver::GetSenders(in_addr_t& first, in_addr_t& second) const {
    second = m_secondSender.load(std::memory_order_relaxed);
    first = m_firstSender.load(std::memory_order_relaxed);
}

void DatagramReceiver::WakeConsumer() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_readyEvent, &one, sizeof one);
}

DWORD DatagramReceiver::TakeError() {
    return m_error.exchange(0);
}

uint64_t DatagramReceiver::GetDroppedCount() const {
    const uint64_t queued = m_queue ? m_queue->GetDroppedCount() : 0;
    return queued + m_kernelDropped.load(std::memory_order_relaxed);
}
