#include "udp_receive_socket.h"

#include <cstdio>
#include <string>

#include "drive_paths.h"
#include "message_box.h"
#include "win_error.h"

BYTE g_recvBuffer[192512];
int g_nRecvFill = 0;

namespace {

constexpr char kFileName[] = "d:\\ReceivedUDP.ts";
// 80 transport-stream packets of 188 bytes.
constexpr int kReadSize = 15040;
constexpr int kBlockThreshold = 0x10000;

}  // namespace

CUdpReceiveSocket::CUdpReceiveSocket(CVandrelView* pOwner) : m_pOwner(pOwner) {
    if (m_file.Open(kFileName, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite)) {
        return;
    }
    if (IsPrefixFolderForeign()) {
        CString strError;
        strError.Format(
            "Open file is error !\nThe folder %s belongs to another user; the program "
            "writes only into folders of its own (set VANDREL_PREFIX to one).",
            GetPrefixFolder().c_str());
        AfxMessageBox(strError, MB_OK, 0);
    } else {
        AfxMessageBox("Open file is error !", MB_OK, 0);
    }
}

CUdpReceiveSocket::~CUdpReceiveSocket() {
    // Nothing received is lost at the end: what the socket still holds goes to the file too.
    m_bEnding = TRUE;
    Close();
    for (;;) {
        const int n = ReceiveOne();
        if (n == SOCKET_ERROR && GetLastError() == WSAEWOULDBLOCK) {
            break;
        }
        Store(n);
    }
    if (g_nRecvFill > 0) {
        WriteBlock();
    }
    ReportEnd();
    m_file.Close();
}

BOOL CUdpReceiveSocket::Create(UINT nSocketPort, int nSocketType, long lEvent,
                               LPCSTR lpszSocketAddress) {
    if (!CAsyncSocket::Create(nSocketPort, nSocketType, lEvent, lpszSocketAddress)) {
        return FALSE;
    }
    m_bStarted = TRUE;
    CString strAddress;
    if (!GetSockName(strAddress, m_nPort)) {
        m_nPort = static_cast<WORD>(nSocketPort);
    }
    if (m_file.m_hFile != INVALID_HANDLE_VALUE) {
        try {
            m_file.SetLength(0);
        } catch (CFileException* e) {
            e->Delete();
            m_file.Close();  // never append to the previous recording
        }
    }
    return TRUE;
}

void CUdpReceiveSocket::OnReceive(int nErrorCode) {
    if (nErrorCode != 0) {
        ReportReceiveError(nErrorCode);
    } else {
        Store(ReceiveOne());
    }
    CAsyncSocket::OnReceive(nErrorCode);
}

// Hot: once per datagram. Changes need bench/capture.
int CUdpReceiveSocket::ReceiveOne() {
    return Receive(g_recvBuffer + g_nRecvFill, kReadSize, 0);
}

// Hot: once per datagram. Changes need bench/capture.
void CUdpReceiveSocket::Store(int nReceived) {
    if (nReceived <= 0) {
        if (nReceived == SOCKET_ERROR && GetLastError() == WSAEMSGSIZE) {
            ++m_nTooLong;
        }
        if (!m_bLossShown) {
            CheckLosses();
        }
        return;
    }
    g_nRecvFill += nReceived;
    ++m_nHeldDatagrams;
    if (g_nRecvFill > kBlockThreshold) {
        WriteBlock();
    }
    if (!m_bLossShown && GetDroppedCount() != 0) {
        CheckLosses();
    }
}

void CUdpReceiveSocket::WriteBlock() {
    const int nFill = g_nRecvFill;
    const int nDatagrams = m_nHeldDatagrams;
    // Reset first: the message box below runs a message loop that goes on receiving.
    g_nRecvFill = 0;
    m_nHeldDatagrams = 0;
    try {
        // Whole blocks only: a part of one would put every later block out of step with
        // the stream's 188-byte packets. The cut is made again before any later block.
        if (m_bCutPending) {
            m_file.SetLength(m_nFileLength);
            m_bCutPending = FALSE;
        }
        m_bCutPending = TRUE;
        m_file.Write(g_recvBuffer, static_cast<UINT>(nFill));
        m_bCutPending = FALSE;
        m_nFileLength += static_cast<ULONGLONG>(nFill);
        m_nDatagramsWritten += static_cast<uint64_t>(nDatagrams);
        return;
    } catch (CFileException* e) {
        m_lWriteError = e->m_lOsError;
        e->Delete();
    }
    m_nNotWritten += static_cast<uint64_t>(nDatagrams);
    if (m_bCutPending) {
        try {
            m_file.SetLength(m_nFileLength);
            m_bCutPending = FALSE;
        } catch (CFileException* e) {
            e->Delete();
        }
    }
    if (!m_bWriteErrorShown && !m_bEnding) {
        m_bWriteErrorShown = TRUE;
        CString strError;
        strError.Format("Write file is error = %ld ! %d bytes received are dropped.", m_lWriteError,
                        nFill);
        AfxMessageBox(strError, MB_OK, 0);
    }
}

// Once per capture, as soon as a loss is seen; the capture goes on meanwhile.
void CUdpReceiveSocket::CheckLosses() {
    const uint64_t nDropped = GetDroppedCount();
    if (m_bLossShown || m_bEnding || nDropped + m_nTooLong == 0) {
        return;
    }
    m_bLossShown = TRUE;
    CString strError;
    strError.Format(
        "Datagrams are lost = %llu ! %llu arrived while the receive buffer was full, "
        "%llu were longer than %d bytes. The capture goes on.",
        static_cast<unsigned long long>(nDropped + m_nTooLong),
        static_cast<unsigned long long>(nDropped), static_cast<unsigned long long>(m_nTooLong),
        kReadSize);
    AfxMessageBox(strError, MB_OK, 0);
}

// The reader has stopped: what was received so far is written now and kept.
void CUdpReceiveSocket::ReportReceiveError(int nErrorCode) {
    if (g_nRecvFill > 0) {
        WriteBlock();
    }
    if (m_bReceiveErrorShown || m_bEnding) {
        return;
    }
    m_bReceiveErrorShown = TRUE;
    CString strError;
    strError.Format(
        "Receive is error = %d ! No more datagrams are captured; what was received "
        "is kept in the file.",
        nErrorCode);
    AfxMessageBox(strError, MB_OK, 0);
}

void CUdpReceiveSocket::ReportEnd() {
    if (!m_bStarted) {
        return;
    }
    std::string strPath;
    if (MapDrivePath(kFileName, strPath) != ERROR_SUCCESS) {
        strPath = kFileName;
    }
    const uint64_t nDropped = GetDroppedCount();
    CString strLine;
    strLine.Format(
        "vandrel: capture of UDP port %u ended: %s: %llu bytes in %llu datagrams "
        "written; %llu datagrams lost (%llu receive buffer full, %llu longer than %d "
        "bytes, %llu not written",
        m_nPort, strPath.c_str(), static_cast<unsigned long long>(m_nFileLength),
        static_cast<unsigned long long>(m_nDatagramsWritten),
        static_cast<unsigned long long>(nDropped + m_nTooLong + m_nNotWritten),
        static_cast<unsigned long long>(nDropped), static_cast<unsigned long long>(m_nTooLong),
        kReadSize, static_cast<unsigned long long>(m_nNotWritten));
    CString strWriteError;
    if (m_nNotWritten != 0) {
        strWriteError.Format(": write error = %ld", static_cast<long>(m_lWriteError));
    }
    std::fprintf(stderr, "%s%s)\n", static_cast<const char*>(strLine),
                 static_cast<const char*>(strWriteError));
}
