// A bound datagram socket whose own thread drains the kernel into a DatagramQueue, so that
// a busy consumer loses nothing the queue can hold. Used by the framework's CAsyncSocket.
// Everything but the reader thread itself runs on one (consumer) thread.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "datagram_queue.h"
#include "winsock.h"

class DatagramReceiver {
public:
    DatagramReceiver();
    ~DatagramReceiver();
    DatagramReceiver(const DatagramReceiver&) = delete;
    DatagramReceiver& operator=(const DatagramReceiver&) = delete;

    // A datagram socket with the largest receive buffer allowed, bound to port on every
    // local address. Returns ERROR_SUCCESS or the Windows code of the failure (socket
    // left closed).
    DWORD Open(WORD port);
    SOCKET GetSocket() const { return m_socket; }
    // The port the socket is bound to; ERROR_SUCCESS or the Windows code.
    DWORD GetLocalPort(WORD& port) const;

    // setsockopt; an SO_RCVBUF smaller than the socket has is accepted and ignored.
    // Returns ERROR_SUCCESS or the Windows code.
    DWORD SetOption(int level, int name, const void* value, int length);

    // Starts the reader thread. It makes GetReadyEvent() readable whenever datagrams arrive
    // and no earlier notification is outstanding.
    DWORD Start();
    // An event descriptor for the consumer's event loop to watch; valid from Start on.
    int GetReadyEvent() const { return m_readyEvent; }
    // Stops the reader, moves what the kernel still holds into the queue and closes the
    // socket. Datagrams already queued stay readable.
    void Stop();

    // Consumer: marks the outstanding notification as handled; call before reading.
    void TakeNotification();
    // Consumer: one datagram into lpBuf. Returns its size, or SOCKET_ERROR with GetLastError
    // WSAEWOULDBLOCK (queue empty) or WSAEMSGSIZE (longer than nBufLen; nothing of it is
    // copied and it is discarded).
    int Receive(void* lpBuf, int nBufLen);

    uint64_t GetWaitingCount() const { return m_queue ? m_queue->GetWaitingCount() : 0; }
    // Datagrams lost: the queue was full, or the kernel's buffer overflowed before the
    // reader came.
    uint64_t GetDroppedCount() const;

private:
    struct Batch;
    enum class Drain { Empty, QueueFull, Failed };
    void ReaderLoop();
    // Moves what the kernel holds into the queue, at most maxBatches reads; when the queue
    // is full, either leaves the rest in the kernel or reads and counts it as dropped.
    Drain DrainKernel(bool discardWhenFull, unsigned maxBatches);
    void Store(std::byte* region, unsigned count);

    SOCKET m_socket = INVALID_SOCKET;
    int m_stopEvent = -1;
    std::unique_ptr<DatagramQueue> m_queue;
    std::unique_ptr<Batch> m_batch;
    int m_readyEvent = -1;
    std::atomic<bool> m_notifyPending{false};
    uint32_t m_kernelDropped = 0;  // as the socket was closed
    std::thread m_reader;
};
