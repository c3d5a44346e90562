#include "datagram_batch.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "win_error.h"

struct DatagramBatch::Headers {
    std::vector<mmsghdr> messages;
    std::vector<iovec> vectors;
    std::vector<sockaddr_in> sources;
};

DatagramBatch::DatagramBatch(unsigned maxSize, unsigned count)
    : m_maxSize(maxSize),
      m_count(count),
      m_buffer(size_t{maxSize} * count),
      m_headers(std::make_unique<Headers>()) {
    m_headers->messages.resize(count);
    m_headers->vectors.resize(count);
    m_headers->sources.resize(count);
}

DatagramBatch::~DatagramBatch() = default;

// Hot: one call per batch of datagrams. Changes need bench/capture.
int DatagramBatch::Receive(SOCKET s) {
    m_held = 0;
    m_bytes = 0;
    if (m_pending != 1) {
        const int result = m_pending;
        m_pending = 1;
        SetLastError(m_pendingError);
        return result;
    }
    Headers& h = *m_headers;
    for (unsigned i = 0; i < m_count; ++i) {
        h.vectors[i] = {&m_buffer[size_t{i} * m_maxSize], m_maxSize};
        h.messages[i].msg_hdr = {};
        h.messages[i].msg_hdr.msg_iov = &h.vectors[i];
        h.messages[i].msg_hdr.msg_iovlen = 1;
        h.messages[i].msg_hdr.msg_name = &h.sources[i];
        h.messages[i].msg_hdr.msg_namelen = sizeof(sockaddr_in);
    }
    int count = 0;
    do {
        count = recvmmsg(s, h.messages.data(), m_count, MSG_WAITFORONE, nullptr);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        SetLastError(WinErrorFromErrno(errno));
        return SOCKET_ERROR;
    }
    for (int i = 0; i < count; ++i) {
        const msghdr& message = h.messages[i].msg_hdr;
        int verdict = 1;
        if (h.messages[i].msg_len == 0 && message.msg_namelen == 0) {
            // No datagram and no sender: receiving was shut down and the queue is empty.
            verdict = SOCKET_ERROR;
            m_pendingError = WSAESHUTDOWN;
        } else if ((message.msg_flags & MSG_TRUNC) != 0) {
            verdict = SOCKET_ERROR;  // Linux cut it short; Winsock refuses it
            m_pendingError = WSAEMSGSIZE;
        } else if (h.messages[i].msg_len == 0) {
            verdict = 0;
            m_pendingError = ERROR_SUCCESS;
        }
        if (verdict != 1) {
            if (m_held > 0) {
                m_pending = verdict;
                return static_cast<int>(m_held);
            }
            SetLastError(m_pendingError);
            return verdict;
        }
        h.vectors[m_held].iov_len = h.messages[i].msg_len;
        m_bytes += h.messages[i].msg_len;
        ++m_held;
    }
    return static_cast<int>(m_held);
}

// Hot: one call per batch of datagrams. Changes need bench/capture.
BOOL DatagramBatch::Write(HANDLE hFile) {
    const int fd = static_cast<int>(reinterpret_cast<std::intptr_t>(hFile));
    const off_t start = lseek(fd, 0, SEEK_CUR);
    iovec* vectors = m_headers->vectors.data();
    unsigned left = m_held;
    while (left > 0) {
        const ssize_t n = writev(fd, vectors, static_cast<int>(left));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            SetLastError(n == 0 ? ERROR_DISK_FULL : WinErrorFromErrno(errno));
            if (start >= 0 && ftruncate(fd, start) == 0) {
                lseek(fd, start, SEEK_SET);
            }
            return FALSE;
        }
        // A short write: go on from the first byte not written.
        size_t done = static_cast<size_t>(n);
        while (left > 0 && done >= vectors->iov_len) {
            done -= vectors->iov_len;
            ++vectors;
            --left;
        }
        if (left > 0) {
            vectors->iov_base = static_cast<std::byte*>(vectors->iov_base) + done;
            vectors->iov_len -= done;
        }
    }
    return TRUE;
}

void RaiseReceiveBuffer(SOCKET s) {
    std::ifstream file("/proc/sys/net/core/rmem_max");
    int most = 0;
    if (!(file >> most)) {
        return;
    }
    int current = 0;
    socklen_t length = sizeof current;
    // Linux reports twice what was set.
    if (getsockopt(s, SOL_SOCKET, SO_RCVBUF, &current, &length) == 0 && current / 2 < most) {
        setsockopt(s, SOL_SOCKET, SO_RCVBUF, &most, sizeof most);
    }
}
