// A bound datagram socket whose own thread drains the kernel into a DatagramQueue, so that
// a busy consumer loses nothing the queue can hold. Used by the framework's CAsyncSocket and
// the multicast capture. All but the reader thread and WakeConsumer run on one thread.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "datagram_queue.h"
#include "multicast_join.h"
#include "winsock.h"

// Seam for tests: the queue size of receivers started from now on; 0 restores 256 MiB.
void SetDatagramQueueBytes(size_t bytes);

// Raises s's receive buffer to net.core.rmem_max, the most an unprivileged program may ask
// for; never lowers it.
void RaiseReceiveBufferToRmemMax(SOCKET s);

class DatagramReceiver {
public:
    DatagramReceiver();
    ~DatagramReceiver();
    DatagramReceiver(const DatagramReceiver&) = delete;
    DatagramReceiver& operator=(const DatagramReceiver&) = delete;

    // A datagram socket with the largest receive buffer allowed, bound to port on every
    // local address. Returns ERROR_SUCCESS or the Windows code of the failure (socket
    // left closed).
    [[nodiscard]] DWORD Open(WORD port);
    // Takes s, a datagram socket its caller has set up and bound, as Open's own; its receive
    // buffer stays as the caller left it.
    void Adopt(SOCKET s);
    SOCKET GetSocket() const { return m_socket; }
    // The port the socket is bound to; ERROR_SUCCESS or the Windows code.
    [[nodiscard]] DWORD GetLocalPort(WORD& port) const;

    // setsockopt; an SO_RCVBUF smaller than the socket has is accepted and ignored.
    // Returns ERROR_SUCCESS or the Windows code.
    [[nodiscard]] DWORD SetOption(int level, int name, const void* value, int length);

    // Before Start: the reader keeps only the membership's datagrams (sent to its group, by
    // its source when it names one) and counts the rest as strays. Returns ERROR_SUCCESS, or
    // the Windows code when the socket cannot tell a datagram's destination.
    [[nodiscard]] DWORD KeepOnly(const MulticastMembership& membership);
    // Datagrams the reader left out under KeepOnly. Any thread.
    uint64_t GetStrayCount() const { return m_strays.load(std::memory_order_relaxed); }
    // The first sender of the kept datagrams, and the first other one to follow it; second
    // stays INADDR_ANY while one sender is all there is. Any thread.
    void GetSenders(in_addr_t& first, in_addr_t& second) const;

    // Starts the reader thread. It makes GetReadyEvent() readable whenever datagrams arrive
    // and no earlier notification is outstanding, and when it ends on an error (GetError).
    // Returns ERROR_SUCCESS, or the Windows code (ERROR_NOT_ENOUGH_MEMORY for the queue).
    [[nodiscard]] DWORD Start();
    // An event descriptor for the consumer's event loop to watch; valid from Start on.
    int GetReadyEvent() const { return m_readyEvent; }
    // Stops the reader. Datagrams already queued stay readable, and after them, through
    // Receive, what the kernel held at this moment; then the socket is closed.
    void Stop();

    // Consumer: marks the outstanding notification as handled; call before reading.
    void TakeNotification();
    // Consumer: one datagram into lpBuf, and when pLostBefore is given, how many datagrams
    // this host lost just before it (the kernel's buffer or the queue was full; at most
    // DatagramQueue::kMostLostBefore). Returns its size, or SOCKET_ERROR with GetLastError
    // WSAEWOULDBLOCK (none waiting; *pLostBefore unchanged) or WSAEMSGSIZE (longer than
    // nBufLen; nothing of it is copied, it is discarded, *pLostBefore is set).
    int Receive(void* lpBuf, int nBufLen, uint32_t* pLostBefore = nullptr);
    // Consumer: the oldest waiting datagrams, up to count, in place: they stay valid and
    // queued until Release; lostBefore, when given, takes for each what Receive's
    // pLostBefore would. After Stop, what the kernel still held follows. Returns how many
    // vectors were filled; 0 when none is waiting.
    unsigned Peek(iovec* vectors, unsigned count, uint32_t* lostBefore = nullptr);
    // Consumer: discards the first count datagrams of the last Peek.
    void Release(unsigned count);
    // Consumer: the Windows code of the error that ended the reader or a read after Stop,
    // once; else 0.
    [[nodiscard]] DWORD TakeError();

    // Consumer without an event loop: waits until the ready event is readable, at most
    // milliseconds (-1: no end). Returns ERROR_SUCCESS, WAIT_TIMEOUT, or the Windows code of
    // the failure.
    [[nodiscard]] DWORD WaitReady(int milliseconds = -1);
    // Any thread, between Start and the destructor: makes the ready event readable once, so
    // that a consumer waiting in WaitReady looks again.
    void WakeConsumer();

    uint64_t GetWaitingCount() const { return m_queue ? m_queue->GetWaitingCount() : 0; }
    // Datagrams lost: the queue could not take them, or the kernel's buffer overflowed
    // before the reader came. Cheap: the reader keeps the kernel's count as it reads.
    uint64_t GetDroppedCount() const;

private:
    struct Batch;
    void ReaderLoop();
    void EndReader(int err);
    // Moves what the kernel holds into the queue, at most maxBatches reads; when the queue
    // is full the rest stays in the kernel and queueFull is set. Returns 0, or the errno value
    // of a failed read.
    int DrainKernel(unsigned maxBatches, bool& queueFull);
    // After Stop, with the queue empty: moves one batch of what the kernel still held into
    // it. False once nothing more is read.
    bool ReadRestAfterStop();
    unsigned KeepMembers(unsigned count);
    uint64_t LostBefore(unsigned index);
    void Store(std::byte* region, unsigned count);
    uint64_t TakeLostBefore(unsigned index);
    void CheckKernelDrops();
    bool RaiseKernelDrops(uint64_t dropped);
    void Notify();
    void CloseSocket();

    SOCKET m_socket = INVALID_SOCKET;
    int m_stopEvent = -1;
    std::unique_ptr<DatagramQueue> m_queue;
    std::unique_ptr<Batch> m_batch;
    int m_readyEvent = -1;
    std::atomic<bool> m_notifyPending{false};
    std::atomic<uint64_t> m_kernelDropped{0};
    std::atomic<DWORD> m_error{0};
    bool m_filter = false;  // set before Start: KeepOnly
    MulticastMembership m_membership;
    std::atomic<uint64_t> m_strays{0};
    std::atomic<in_addr_t> m_firstSender{INADDR_ANY};
    std::atomic<in_addr_t> m_secondSender{INADDR_ANY};
    unsigned m_closingBatches = 0;  // kernel reads left after Stop, then the socket closes
    // Whoever reads the kernel (the reader, or the consumer after Stop): its drop count as the
    // last datagram read carried it, and losses not yet told with a datagram.
    uint32_t m_kernelDropsSeen = 0;
    uint64_t m_lostUntold = 0;
    std::thread m_reader;
};
