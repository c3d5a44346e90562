#include "multicast_receive.h"

#include <arpa/inet.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>

#include "capture_report.h"
#include "files.h"
#include "join_diagnosis_text.h"
#include "message_box.h"
#include "multicast_address.h"
#include "multicast_silence_watch.h"
#include "threads.h"
#include "win_error.h"

namespace {

constexpr char kFileName[] = "D:\\receivedMulticast.ts";
// Each datagram is refused beyond this, as a 4,096-byte recvfrom on Windows refuses it.
constexpr size_t kMaxDatagram = 4096;
// What one write takes at most: as many as one writev takes.
constexpr unsigned kBatchCount = IOV_MAX;

std::atomic<std::chrono::milliseconds> g_silenceWindow{std::chrono::seconds(5)};

// Reads the address field and joins what it names; only the group's datagrams are then kept.
// FALSE when the text names nothing to join or the join fails.
BOOL JoinAddress(SOCKET sock, LPCSTR lpszAddress, MulticastMembership& membership) {
    CMulticastAddress address;
    int index = 0;
    if (!ParseMulticastAddress(lpszAddress, address) ||
        (!address.m_strInterface.IsEmpty() &&
         GetInterfaceIndex(address.m_strInterface.str(), index) != ERROR_SUCCESS)) {
        return FALSE;
    }
    membership = {address.m_group, address.m_source, index};
    return JoinMulticastGroup(sock, membership) == ERROR_SUCCESS;
}

// What the capture tells beyond its losses, each once: datagrams that were not the group's,
// a second sender, and why nothing arrives.
class CCaptureWatch {
public:
    CCaptureWatch(const MulticastMembership& membership, WORD nPort)
        : m_membership(membership),
          m_nPort(nPort),
          m_silence(membership.group, membership.interfaceIndex, g_silenceWindow.load()) {
        m_silence.Start();
    }
    int GetWaitMilliseconds() const { return m_silence.GetWaitMilliseconds(); }
    // After each wait (0 datagrams when it timed out) and each batch written.
    void Check(const DatagramReceiver& receiver, uint64_t nDatagrams) {
        if (const auto diagnosis = m_silence.Check(nDatagrams)) {
            m_strDiagnosis =
                FormatJoinDiagnosis(*diagnosis, m_membership, m_nPort,
                                    static_cast<int>(g_silenceWindow.load().count() / 1000));
            if (!m_strDiagnosis.IsEmpty()) {
                AfxMessageBox(m_strDiagnosis, MB_OK, 0);
            }
        }
        if (!m_bStraysShown && receiver.GetStrayCount() != 0) {
            m_bStraysShown = TRUE;
            CString strText;
            strText.Format(
                "Datagrams not for the group = %llu ! They reached port %u but were not sent to "
                "%s%s; they are not written. The capture goes on.",
                static_cast<unsigned long long>(receiver.GetStrayCount()),
                static_cast<unsigned>(m_nPort), Dotted(m_membership.group).c_str(),
                m_membership.source == INADDR_ANY ? ""
                                                  : (" by " + Dotted(m_membership.source)).c_str());
            AfxMessageBox(strText, MB_OK, 0);
        }
        in_addr_t first = INADDR_ANY;
        in_addr_t second = INADDR_ANY;
        receiver.GetSenders(first, second);
        if (!m_bSendersShown && second != INADDR_ANY) {
            m_bSendersShown = TRUE;
            m_strSenders.Format("%s and %s", Dotted(first).c_str(), Dotted(second).c_str());
            CString strText;
            strText.Format(
                "More than one sender ! %s both send to %s:%u, and the file interleaves their "
                "streams. The capture goes on.",
                static_cast<const char*>(m_strSenders), Dotted(m_membership.group).c_str(),
                static_cast<unsigned>(m_nPort));
            AfxMessageBox(strText, MB_OK, 0);
        }
    }
    // For the end line: the datagrams left out and what was said; empty when neither.
    CString Summary(const DatagramReceiver& receiver) const {
        CString strText;
        if (const uint64_t nStrays = receiver.GetStrayCount(); nStrays != 0) {
            strText.Format("; %llu not for the group", static_cast<unsigned long long>(nStrays));
        }
        if (!m_strSenders.IsEmpty()) {
            strText += "; senders ";
            strText += m_strSenders;
        }
        if (!m_strDiagnosis.IsEmpty()) {
            strText += "; ";
            strText += m_strDiagnosis;
        }
        return strText;
    }

private:
    static std::string Dotted(in_addr_t address) {
        char text[INET_ADDRSTRLEN] = {};
        in_addr value{address};
        inet_ntop(AF_INET, &value, text, sizeof text);
        return text;
    }

    MulticastMembership m_membership;
    WORD m_nPort;
    MulticastSilenceWatch m_silence;
    CString m_strDiagnosis;
    CString m_strSenders;
    BOOL m_bStraysShown = FALSE;
    BOOL m_bSendersShown = FALSE;
};

// Empties the capture file from its start; a pipe has nothing to empty.
BOOL EmptyFile(HANDLE hFile) {
    if (SetFilePointerEx(hFile, 0, nullptr, FILE_BEGIN)) {
        return SetEndOfFile(hFile);
    }
    return GetLastError() == ERROR_SEEK_ON_DEVICE;
}

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
// waits: whenever the kernel holds nothing more, everything received is in the file. Once the
// capture is ended, what was read and what the kernel held then is written before it returns.
// Changes need bench/capture.
DWORD ReceiveLoop(DatagramReceiver& receiver, HANDLE hFile, CReceiveSocketLink& link,
                  CaptureFigures& figures, CCaptureWatch& watch, CCaptureStatus& status) {
    iovec vectors[kBatchCount];
    uint32_t lostBefore[kBatchCount];
    BOOL bStopped = FALSE;
    // The flag is read before the first wait and after every batch written: cleared while
    // the thread waits, it ends the capture after the next datagram.
    BOOL bCheckFlag = TRUE;
    for (;;) {
        if (!bStopped && (link.IsWoken() || (bCheckFlag && g_nRecvPort == 0))) {
            // Bounded by what the kernel's buffer held, so that a sender who goes on cannot
            // hold the view's end.
            receiver.Stop();
            bStopped = TRUE;
        }
        const unsigned n = receiver.Peek(vectors, kBatchCount, lostBefore);
        if (n == 0) {
            if (bStopped) {
                return 1;
            }
            if (receiver.TakeError() != 0) {
                return 0;
            }
            const DWORD dwWait = receiver.WaitReady(watch.GetWaitMilliseconds());
            if (dwWait == WAIT_TIMEOUT) {
                watch.Check(receiver, 0);
                continue;
            }
            if (dwWait != ERROR_SUCCESS) {
                return 0;
            }
            receiver.TakeNotification();
            bCheckFlag = FALSE;
            continue;
        }
        bCheckFlag = TRUE;
        unsigned nGood = 0;
        uint64_t nBytes = 0;
        while (nGood < n && vectors[nGood].iov_len != 0 && vectors[nGood].iov_len <= kMaxDatagram) {
            nBytes += vectors[nGood].iov_len;
            ++nGood;
        }
        // Closing: once a write has failed, the rest is counted, not tried, so that a file
        // that takes nothing cannot hold the view's end.
        const BOOL bTry = !(bStopped && figures.dwWriteError != 0);
        if (nGood > 0 && bTry && WriteFileVectors(hFile, vectors, nGood)) {
            figures.bytesWritten += nBytes;
            figures.datagramsWritten += nGood;
        } else if (nGood > 0) {
            const BOOL bFirst = figures.dwWriteError == 0;
            figures.notWritten += nGood;
            if (bTry) {
                figures.dwWriteError = GetLastError();
            }
            if (bFirst) {
                ReportWriteError(figures.dwWriteError, nBytes);
            }
        }
        // Checked once written, and after what failed to write too: it arrived.
        for (unsigned i = 0; i < nGood; ++i) {
            status.Arrived(static_cast<const std::byte*>(vectors[i].iov_base), vectors[i].iov_len,
                           lostBefore[i]);
        }
        // A longer or an empty datagram: Windows' receive fails on it, and the capture ends
        // there. Not reported once the view ends the capture.
        const unsigned nRefused = nGood < n ? 1 : 0;
        if (nRefused != 0 && vectors[nGood].iov_len > kMaxDatagram) {
            ++figures.tooLong;
        }
        receiver.Release(nGood + nRefused);
        figures.bufferFull = receiver.GetDroppedCount();
        status.Publish(figures);
        if (!bStopped) {
            watch.Check(receiver, n);
        }
        if (nRefused != 0) {
            return bStopped ? 1 : 0;
        }
    }
}

}  // namespace

void SetSilenceWindowForTesting(std::chrono::milliseconds window) {
    g_silenceWindow = window.count() > 0 ? window : std::chrono::seconds(5);
}

DWORD MulticastReceiveThread(LPVOID lpParameter) {
    const std::unique_ptr<MulticastReceiveParam> param(
        static_cast<MulticastReceiveParam*>(lpParameter));
    CReceiveSocketLink& link = *param->pLink;
    const SOCKET sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock == INVALID_SOCKET) {
        CString strError = "Could not create socket!";
        strError += ShortageText(WinErrorFromErrno(errno));
        AfxMessageBox(strError, MB_OK, 0);
        return 0;
    }
    const int nReuse = 1;
    // A console line and the whole program's exit, not a message box: this is how the
    // capture has always answered a socket that refuses SO_REUSEADDR, which never happens to
    // a socket just made.
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
    MulticastMembership membership;
    if (setsockopt(sock, IPPROTO_IP, IP_MULTICAST_ALL, &nAll, sizeof nAll) == SOCKET_ERROR ||
        !JoinAddress(sock, param->strGroupIP, membership)) {
        return Fail(sock, "Could not Add member!");
    }
    // The kernel's buffer holds the stream until the reader comes.
    RaiseReceiveBufferToRmemMax(sock);
    // Emptied only once the capture can run: one that does not start keeps the last recording.
    const HANDLE hFile =
        CreateFileA(kFileName, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        return Fail(sock, OpenFileErrorText(GetLastError()));
    }
    DatagramReceiver receiver;
    receiver.Adopt(sock);
    DWORD dwStart = receiver.KeepOnly(membership);
    if (dwStart == ERROR_SUCCESS) {
        dwStart = receiver.Start();
    }
    if (const DWORD dwError = dwStart; dwError != ERROR_SUCCESS) {
        CloseHandle(hFile);
        CString strError = "Could not Receive Message!";
        strError += ShortageText(dwError);
        AfxMessageBox(strError, MB_OK, 0);
        return 0;
    }
    if (!EmptyFile(hFile)) {
        const DWORD dwError = GetLastError();
        receiver.Stop();
        CloseHandle(hFile);
        AfxMessageBox(OpenFileErrorText(dwError), MB_OK, 0);
        return 0;
    }
    link.Publish(&receiver);
    CCaptureStatus& status = *param->pStatus;
    char szGroup[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &membership.group, szGroup, sizeof szGroup);
    CString strStatusWhat;
    strStatusWhat.Format("%s:%u", szGroup, static_cast<unsigned>(ntohs(param->addrLocal.sin_port)));
    status.Start(strStatusWhat);
    CaptureFigures figures;
    const WORD nPort = ntohs(param->addrLocal.sin_port);
    CCaptureWatch watch(membership, nPort);
    const DWORD dwResult = ReceiveLoop(receiver, hFile, link, figures, watch, status);
    link.Withdraw();
    receiver.Stop();
    status.End();
    // Read but never written, as the capture ended before them: lost too.
    figures.notWritten += receiver.GetWaitingCount();
    figures.bufferFull = receiver.GetDroppedCount();
    CString strWhat;
    strWhat.Format("multicast capture of port %u", static_cast<unsigned>(nPort));
    ReportCaptureEnd(strWhat, kFileName, figures, static_cast<int>(kMaxDatagram),
                     status.GetStreamFigures(), watch.Summary(receiver));
    CloseHandle(hFile);
    if (dwResult == 0) {
        AfxMessageBox("Could not Receive Message!", MB_OK, 0);
    }
    return dwResult;
}
