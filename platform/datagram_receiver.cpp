#include "datagram_receiver.h"

#include <linux/sock_diag.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "win_error.h"

namespace {

// A second of a 1 Gbit/s stream; the ring is touched only as it fills.
constexpr size_t kQueueBytes = size_t{128} << 20;
constexpr int kKernelBufferBytes = 16 << 20;
constexpr unsigned kBatchSize = 64;
// The largest UDP payload: whole datagrams are read so a long one can be refused whole.
constexpr size_t kMaxDatagram = 65536;

int ReadRmemMax() {
    std::ifstream file("/proc/sys/net/core/rmem_max");
    int value = 0;
    return file >> value ? value : 0;
}

// SO_RCVBUFFORCE passes rmem_max for a process with CAP_NET_ADMIN; otherwise rmem_max.
void EnlargeReceiveBuffer(SOCKET s) {
    int size = kKernelBufferBytes;
    if (setsockopt(s, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size) == 0) {
        return;
    }
    const int rmemMax = ReadRmemMax();
    size = rmemMax > 0 && rmemMax < kKernelBufferBytes ? rmemMax : kKernelBufferBytes;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
}

// Datagrams the kernel dropped because the socket's buffer was full.
uint32_t ReadKernelDrops(SOCKET s) {
    uint32_t meminfo[SK_MEMINFO_VARS] = {};
    socklen_t length = sizeof meminfo;
    if (getsockopt(s, SOL_SOCKET, SO_MEMINFO, meminfo, &length) != 0 ||
        length <= SK_MEMINFO_DROPS * sizeof(uint32_t)) {
        return 0;
    }
    return meminfo[SK_MEMINFO_DROPS];
}

}  // namespace

struct DatagramReceiver::Batch {
    std::vector<std::byte> payload = std::vector<std::byte>(kBatchSize * kMaxDatagram);
    mmsghdr headers[kBatchSize]{};
    iovec vectors[kBatchSize]{};
};

DatagramReceiver::DatagramReceiver() = default;

DatagramReceiver::~DatagramReceiver() {
    Stop();
}

DWORD DatagramReceiver::Open(WORD port) {
    Stop();
    const SOCKET s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        return WinErrorFromErrno(errno);
    }
    EnlargeReceiveBuffer(s);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const DWORD code = WinErrorFromErrno(errno);
        close(s);
        return code;
    }
    m_socket = s;
    return ERROR_SUCCESS;
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

DWORD DatagramReceiver::Start(std::function<void()> notify) {
    if (m_socket == INVALID_SOCKET) {
        return WSAENOTSOCK;
    }
    m_stopEvent = eventfd(0, EFD_CLOEXEC);
    if (m_stopEvent < 0) {
        return WinErrorFromErrno(errno);
    }
    if (!m_queue) {
        m_queue = std::make_unique<DatagramQueue>(kQueueBytes);
        m_batch = std::make_unique<Batch>();
    }
    m_notify = std::move(notify);
    m_reader = std::thread([this] {
        pthread_setname_np(pthread_self(), "socket reader");
        ReaderLoop();
    });
    return ERROR_SUCCESS;
}

void DatagramReceiver::Stop() {
    if (m_reader.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_stopEvent, &one, sizeof one);
        m_reader.join();
        // What arrived before the stop is kept: nothing received is lost at the end.
        DrainKernel();
    }
    if (m_stopEvent >= 0) {
        close(m_stopEvent);
        m_stopEvent = -1;
    }
    if (m_socket != INVALID_SOCKET) {
        m_kernelDropped = ReadKernelDrops(m_socket);
        close(m_socket);
        m_socket = INVALID_SOCKET;
    }
}

void DatagramReceiver::ReaderLoop() {
    pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_stopEvent, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return;
        }
        if (fds[0].revents != 0 && !DrainKernel()) {
            return;
        }
    }
}

// Hot: the reader's whole work per datagram. Changes need bench/capture.
bool DatagramReceiver::DrainKernel() {
    Batch& b = *m_batch;
    for (;;) {
        for (unsigned i = 0; i < kBatchSize; ++i) {
            b.vectors[i] = {&b.payload[i * kMaxDatagram], kMaxDatagram};
            b.headers[i].msg_hdr = {};
            b.headers[i].msg_hdr.msg_iov = &b.vectors[i];
            b.headers[i].msg_hdr.msg_iovlen = 1;
        }
        const int count = recvmmsg(m_socket, b.headers, kBatchSize, MSG_DONTWAIT, nullptr);
        if (count < 0) {
            return errno == EAGAIN || errno == EINTR;
        }
        for (int i = 0; i < count; ++i) {
            const msghdr& header = b.headers[i].msg_hdr;
            // Larger than 64 KiB is impossible over IPv4; kept as a guard all the same.
            if ((header.msg_flags & MSG_TRUNC) == 0) {
                m_queue->Push(b.vectors[i].iov_base, b.headers[i].msg_len);
            }
        }
        if (count > 0 && !m_notifyPending.exchange(true) && m_notify) {
            m_notify();
        }
        if (count < static_cast<int>(kBatchSize)) {
            return true;
        }
    }
}

int DatagramReceiver::Receive(void* lpBuf, int nBufLen) {
    const std::byte* data = nullptr;
    size_t size = 0;
    if (!m_queue || !m_queue->Front(data, size)) {
        SetLastError(WSAEWOULDBLOCK);
        return SOCKET_ERROR;
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

uint64_t DatagramReceiver::GetDroppedCount() const {
    const uint64_t queued = m_queue ? m_queue->GetDroppedCount() : 0;
    return queued + (m_socket != INVALID_SOCKET ? ReadKernelDrops(m_socket) : m_kernelDropped);
}
