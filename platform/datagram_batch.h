// Every datagram a socket holds, read in one call that waits only for the first, and written
// to a file in one call. Used by the multicast capture's thread; one thread per object.
// Nothing is held back: each batch is written before the next is read.
#pragma once

#include <memory>
#include <vector>

#include "winsock.h"

class DatagramBatch {
public:
    // Room for up to count datagrams of up to maxSize bytes each, taken once here.
    DatagramBatch(unsigned maxSize, unsigned count);
    ~DatagramBatch();
    DatagramBatch(const DatagramBatch&) = delete;
    DatagramBatch& operator=(const DatagramBatch&) = delete;

    // Waits for a datagram on s, then takes what else the kernel holds. Returns how many
    // datagrams the batch now holds, in arrival order, or:
    // 0 for an empty datagram (as recvfrom gives it), SOCKET_ERROR with GetLastError
    // WSAEMSGSIZE for one longer than maxSize, WSAESHUTDOWN once receiving was shut down and
    // nothing is left, or another socket code. A datagram of these that follows good ones
    // in the same read is reported by the next call; what came after it is discarded.
    int Receive(SOCKET s);
    // Bytes in the datagrams of the last Receive.
    DWORD GetBytes() const { return m_bytes; }

    // Writes the batch at hFile's position in one call. On failure returns FALSE with
    // GetLastError set (112 for a full disk or the size limit) and the file cut back to
    // where the batch started, so that it holds whole datagrams only.
    BOOL Write(HANDLE hFile);

private:
    struct Headers;
    unsigned m_maxSize;
    unsigned m_count;
    std::vector<std::byte> m_buffer;
    std::unique_ptr<Headers> m_headers;
    unsigned m_held = 0;
    DWORD m_bytes = 0;
    int m_pending = 1;  // what the next Receive returns at once; 1 when nothing is pending
    DWORD m_pendingError = 0;
};

// Raises s's receive buffer to net.core.rmem_max, the most any program may ask for; never
// lowers it.
void RaiseReceiveBuffer(SOCKET s);
