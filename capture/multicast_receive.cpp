#include "multicast_receive.h"

#include <cstdio>
#include <memory>
#include <string>

#include "drive_paths.h"
#include "files.h"
#include "message_box.h"
#include "threads.h"
#include "win_error.h"

namespace {

constexpr char kFileName[] = "D:\\receivedMulticast.ts";
// Each datagram is refused beyond this, as a 4,096-byte recvfrom on Windows refuses it.
constexpr size_t kMaxDatagram = 4096;
// What one write takes at most: more than the default kernel buffer holds of 1,316-byte
// datagrams.
constexpr unsigned kBatchCount = 256;

// The capture's figures, for its last line on standard error.
struct Figures {
    uint64_t bytesWritten = 0;
    uint64_t datagramsWritten = 0;
    uint64_t notWritten = 0;
    long lWriteError = 0;
};

// Closes the socket, then says why the thread ends; returns the thread's failure code.
DWORD Fail(SOCKET sock, LPCSTR lpszText) {
    closesocket(sock);
    AfxMessageBox(lpszText, MB_OK, 0);
    return 0;
}

}  // namespace

void CReceiveSocketLink::Publish(DatagramReceiver* pReceiver) {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_pReceiver = pReceiver;
    if (m_bWoken) {
        m_pReceiver->WakeConsumer();
    }
}

void CReceiveSocketLink::Withdraw() {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_pReceiver = nullptr;
}

void CReceiveSocketLink::Wake() {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_bWoken = TRUE;
    if (m_pReceiver != nullptr) {
        m_pReceiver->WakeConsumer();
    }
}

BOOL CReceiveSocketLink::IsWoken() {
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_bWoken;
}

namespace {

// The socket's own reader drains the kernel into its queue; this thread writes whatever the
// queue holds as soon as it holds it, one write per batch, and keeps nothing back while it
// waits: whenever the kernel holds nothing more, everything received is in the file.
// Changes need bench/capture.
DWORD ReceiveLoop(DatagramReceiver& receiver, HANDLE hFile, CReceiveSocketLink& link,
                  Figures& figures) {
    iovec vectors[kBatchCount];
    BOOL bStopped = FALSE;
    // The flag is read before the first wait and after every batch written: cleared while
    // the thread waits, it ends the capture after the next datagram.
    BOOL bCheckFlag = TRUE;
    for (;;) {
        if (!bStopped && link.IsWoken()) {
            // The view ends the capture: what was queued, and what the kernel held now, is
            // written too, bounded so that a sender who goes on cannot hold the view's end.
            receiver.Stop();
            bStopped = TRUE;
        } else if (!bStopped && bCheckFlag && g_nRecvPort == 0) {
            return 1;
        }
        const unsigned n = receiver.Peek(vectors, kBatchCount);
        if (n == 0) {
            if (bStopped) {
                return 1;
            }
            if (receiver.TakeError() != 0 || receiver.WaitReady() != ERROR_SUCCESS) {
                return 0;
            }
            receiver.TakeNotification();
            bCheckFlag = FALSE;
            continue;
        }
        bCheckFlag = TRUE;
        unsigned nGood = 0;
        DWORD dwBytes = 0;
        while (nGood < n && vectors[nGood].iov_len != 0 && vectors[nGood].iov_len <= kMaxDatagram) {
            dwBytes += static_cast<DWORD>(vectors[nGood].iov_len);
            ++nGood;
        }
        if (nGood > 0 && WriteFileVectors(hFile, vectors, nGood)) {
            figures.bytesWritten += dwBytes;
            figures.datagramsWritten += nGood;
        } else if (nGood > 0) {
            const BOOL bFirst = figures.notWritten == 0;
            figures.notWritten += nGood;
            figures.lWriteError = static_cast<long>(GetLastError());
            if (bFirst) {
                CString strError;
                strError.Format("Write file is error = %ld ! %lu bytes received are dropped.",
                                figures.lWriteError, static_cast<unsigned long>(dwBytes));
                AfxMessageBox(strError, MB_OK, 0);
            }
        }
        receiver.Release(nGood);
        if (nGood < n) {
            // A longer or an empty datagram: Windows' receive fails on it. Not reported once
            // the view ends the capture.
            return bStopped ? 1 : 0;
        }
    }
}

void ReportEnd(WORD nPort, const Figures& figures, uint64_t nDropped) {
    std::string strPath;
    if (MapDrivePath(kFileName, strPath) != ERROR_SUCCESS) {
        strPath = kFileName;
    }
    std::fprintf(stderr,
                 "vandrel: multicast capture of port %u ended: %s: %llu bytes in %llu datagrams "
                 "written; %llu datagrams lost (%llu receive buffer full, %llu not written",
                 static_cast<unsigned>(nPort), strPath.c_str(),
                 static_cast<unsigned long long>(figures.bytesWritten),
                 static_cast<unsigned long long>(figures.datagramsWritten),
                 static_cast<unsigned long long>(nDropped + figures.notWritten),
                 static_cast<unsigned long long>(nDropped),
                 static_cast<unsigned long long>(figures.notWritten));
    if (figures.notWritten != 0) {
        std::fprintf(stderr, ": write error = %ld", figures.lWriteError);
    }
    std::fprintf(stderr, ")\n");
}

}  // namespace

DWORD MulticastReceiveThread(LPVOID lpParameter) {
    const std::unique_ptr<MulticastReceiveParam> param(
        static_cast<MulticastReceiveParam*>(lpParameter));
    CReceiveSocketLink& link = *param->pLink;
    const SOCKET sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock == INVALID_SOCKET) {
        AfxMessageBox("Could not create socket!", MB_OK, 0);
        return 0;
    }
    const int nReuse = 1;
    if (setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &nReuse, sizeof nReuse) == SOCKET_ERROR) {
        std::printf("recver : socket options set error");
        ExitProcess(1);
    }
    const int nTTL = 10;
    if (setsockopt(sock, IPPROTO_IP, IP_MULTICAST_TTL, &nTTL, sizeof nTTL) == SOCKET_ERROR) {
        return Fail(sock, "Could not set TTL!");
    }
    const int nLoop = 0;
    if (setsockopt(sock, IPPROTO_IP, IP_MULTICAST_LOOP, &nLoop, sizeof nLoop) == SOCKET_ERROR) {
        return Fail(sock, "Could not set Loopback!");
    }
    if (bind(sock, reinterpret_cast<const sockaddr*>(&param->addrLocal), sizeof param->addrLocal) ==
        SOCKET_ERROR) {
        return Fail(sock, "Could not bind Local machine!");
    }
    // Linux would otherwise deliver here every group that any socket of the host joined on
    // this port.
    const int nAll = 0;
    if (setsockopt(sock, IPPROTO_IP, IP_MULTICAST_ALL, &nAll, sizeof nAll) == SOCKET_ERROR ||
        setsockopt(sock, IPPROTO_IP, IP_ADD_MEMBERSHIP, &param->mreq, sizeof param->mreq) ==
            SOCKET_ERROR) {
        return Fail(sock, "Could not Add member!");
    }
    // The kernel's buffer holds the stream until the reader comes.
    RaiseReceiveBuffer(sock);
    const HANDLE hFile =
        CreateFileA(kFileName, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return Fail(sock, "Open file is error !");
    }
    DWORD dwResult = 0;
    {
        DatagramReceiver receiver;
        receiver.Adopt(sock);
        if (receiver.Start() == ERROR_SUCCESS) {
            link.Publish(&receiver);
            Figures figures;
            dwResult = ReceiveLoop(receiver, hFile, link, figures);
            link.Withdraw();
            receiver.Stop();
            ReportEnd(ntohs(param->addrLocal.sin_port), figures, receiver.GetDroppedCount());
        }
    }
    CloseHandle(hFile);
    if (dwResult == 0) {
        AfxMessageBox("Could not Receive Message!", MB_OK, 0);
    }
    return dwResult;
}
