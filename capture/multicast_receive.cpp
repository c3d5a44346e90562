#include "multicast_receive.h"

#include <cstdio>
#include <memory>

#include "datagram_batch.h"
#include "files.h"
#include "message_box.h"
#include "threads.h"
#include "win_error.h"

namespace {

// Each datagram is refused beyond this, as a 4,096-byte recvfrom on Windows refuses it.
constexpr unsigned kMaxDatagram = 4096;
// More than the default kernel buffer holds of 1,316-byte datagrams: one read takes it all.
constexpr unsigned kBatchCount = 256;

// Closes the socket, then says why the thread ends; returns the thread's failure code.
DWORD Fail(CReceiveSocketLink& link, LPCSTR lpszText) {
    link.Close();
    AfxMessageBox(lpszText, MB_OK, 0);
    return 0;
}

}  // namespace

void CReceiveSocketLink::Publish(SOCKET s) {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_sock = s;
    if (m_bWoken) {
        shutdown(m_sock, SD_RECEIVE);
    }
}

void CReceiveSocketLink::Close() {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_sock != INVALID_SOCKET) {
        closesocket(m_sock);
        m_sock = INVALID_SOCKET;
    }
}

void CReceiveSocketLink::Wake() {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_bWoken = TRUE;
    if (m_sock != INVALID_SOCKET) {
        // Linux wakes the receive though it reports the unconnected socket as such.
        shutdown(m_sock, SD_RECEIVE);
    }
}

BOOL CReceiveSocketLink::IsWoken() {
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_bWoken;
}

namespace {

// The loop: every batch is written before the next is read, so whenever the kernel holds
// nothing more, everything received is in the file. Changes need bench/capture.
DWORD ReceiveLoop(SOCKET sock, HANDLE hFile, CReceiveSocketLink& link) {
    DatagramBatch batch(kMaxDatagram, kBatchCount);
    BOOL bWriteErrorShown = FALSE;
    BOOL bDraining = FALSE;
    // Once the view has woken it, what the kernel held then is written too; bounded, so
    // that a sender who goes on cannot hold the view's end.
    int nDrainBatches = 64;
    for (;;) {
        if (g_nRecvPort == 0) {
            if (!link.IsWoken() || nDrainBatches-- == 0) {
                break;
            }
            bDraining = TRUE;
        }
        const int n = batch.Receive(sock);
        if (n == SOCKET_ERROR && GetLastError() == WSAESHUTDOWN) {
            break;  // the view ends the capture: no report
        }
        if (n <= 0) {
            if (bDraining) {
                break;
            }
            return 0;
        }
        if (!batch.Write(hFile) && !bWriteErrorShown) {
            bWriteErrorShown = TRUE;
            CString strError;
            strError.Format("Write file is error = %ld ! %lu bytes received are dropped.",
                            static_cast<long>(GetLastError()),
                            static_cast<unsigned long>(batch.GetBytes()));
            AfxMessageBox(strError, MB_OK, 0);
        }
    }
    return 1;
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
    link.Publish(sock);
    const int nReuse = 1;
    if (setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &nReuse, sizeof nReuse) == SOCKET_ERROR) {
        std::printf("recver : socket options set error");
        ExitProcess(1);
    }
    const int nTTL = 10;
    if (setsockopt(sock, IPPROTO_IP, IP_MULTICAST_TTL, &nTTL, sizeof nTTL) == SOCKET_ERROR) {
        return Fail(link, "Could not set TTL!");
    }
    const int nLoop = 0;
    if (setsockopt(sock, IPPROTO_IP, IP_MULTICAST_LOOP, &nLoop, sizeof nLoop) == SOCKET_ERROR) {
        return Fail(link, "Could not set Loopback!");
    }
    if (bind(sock, reinterpret_cast<const sockaddr*>(&param->addrLocal), sizeof param->addrLocal) ==
        SOCKET_ERROR) {
        return Fail(link, "Could not bind Local machine!");
    }
    // Linux would otherwise deliver here every group that any socket of the host joined on
    // this port.
    const int nAll = 0;
    if (setsockopt(sock, IPPROTO_IP, IP_MULTICAST_ALL, &nAll, sizeof nAll) == SOCKET_ERROR ||
        setsockopt(sock, IPPROTO_IP, IP_ADD_MEMBERSHIP, &param->mreq, sizeof param->mreq) ==
            SOCKET_ERROR) {
        return Fail(link, "Could not Add member!");
    }
    // The kernel's buffer holds the stream while the file is written.
    RaiseReceiveBuffer(sock);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    const HANDLE hFile = CreateFileA("D:\\receivedMulticast.ts", GENERIC_WRITE, FILE_SHARE_WRITE,
                                     nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return Fail(link, "Open file is error !");
    }
    const DWORD dwResult = ReceiveLoop(sock, hFile, link);
    CloseHandle(hFile);
    link.Close();
    if (dwResult == 0) {
        AfxMessageBox("Could not Receive Message!", MB_OK, 0);
    }
    return dwResult;
}
