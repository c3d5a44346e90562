#include "udp_receive_socket.h"

#include "message_box.h"
#include "win_error.h"

BYTE g_recvBuffer[192512];
int g_nRecvFill = 0;

namespace {

constexpr char kFileName[] = "d:\\ReceivedUDP.ts";
// 80 transport-stream packets of 188 bytes.
constexpr int kReadSize = 15040;
constexpr int kBlockThreshold = 0x10000;
// A read lands at the fill, which is at most the threshold before a block is written.
static_assert(sizeof g_recvBuffer >= kBlockThreshold + kReadSize);

}  // namespace

CUdpReceiveSocket::CUdpReceiveSocket(CVandrelView* pOwner) : m_pOwner(pOwner) {
    CFileException error(CFileException::none, 0);
    if (!m_file.Open(kFileName, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite,
                     &error)) {
        AfxMessageBox(OpenFileErrorText(static_cast<DWORD>(error.m_lOsError)), MB_OK, 0);
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
    CString strWhat;
    strWhat.Format(":%u", m_nPort);
    m_status.Start(strWhat);
    if (IsFileOpen()) {
        try {
            m_file.SetLength(0);
        } catch (CFileException* e) {
            // A pipe has nothing to empty; a file that cannot be emptied is never appended to.
            if (e->m_lOsError != static_cast<LONG>(ERROR_SEEK_ON_DEVICE)) {
                m_file.Close();
            }
            e->Delete();
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
    if (nReceived >= 0) {
        m_status.Arrived(reinterpret_cast<const std::byte*>(g_recvBuffer + g_nRecvFill),
                         static_cast<size_t>(nReceived), GetLostBeforeReceived());
    }
    if (nReceived <= 0) {
        if (nReceived == SOCKET_ERROR && GetLastError() == WSAEMSGSIZE) {
            ++m_figures.tooLong;
            m_status.Refused(GetLostBeforeReceived());
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
    // Closing: once a write has failed, the rest is counted, not tried, so that a file that
    // takes nothing cannot hold the window's end.
    if (!m_bEndWriteFailed) {
        try {
            // Whole blocks only: a part of one would put every later block out of step with
            // the stream's 188-byte packets. The cut is made again before any later block.
            if (m_bCutPending) {
                CutBack();
            }
            m_bCutPending = TRUE;
            m_file.Write(g_recvBuffer, static_cast<UINT>(nFill));
            m_bCutPending = FALSE;
            m_figures.bytesWritten += static_cast<uint64_t>(nFill);
            m_figures.datagramsWritten += static_cast<uint64_t>(nDatagrams);
            return;
        } catch (CFileException* e) {
            m_figures.dwWriteError = static_cast<DWORD>(e->m_lOsError);
            m_bEndWriteFailed = m_bEnding;
            e->Delete();
        }
    }
    m_figures.notWritten += static_cast<uint64_t>(nDatagrams);
    if (m_bCutPending) {
        try {
            CutBack();
        } catch (CFileException* e) {
            e->Delete();
        }
    }
    if (!m_bWriteErrorShown && !m_bEnding) {
        m_bWriteErrorShown = TRUE;
        ReportWriteError(m_figures.dwWriteError, static_cast<uint64_t>(nFill));
    }
}

// Throws a CFileException* when the file cannot be cut; a pipe has nothing to cut.
void CUdpReceiveSocket::CutBack() {
    try {
        m_file.SetLength(m_figures.bytesWritten);
    } catch (CFileException* e) {
        if (e->m_lOsError != static_cast<LONG>(ERROR_SEEK_ON_DEVICE)) {
            throw;
        }
        e->Delete();
    }
    m_bCutPending = FALSE;
}

// Once per capture, as soon as a loss is seen; the capture goes on meanwhile.
void CUdpReceiveSocket::CheckLosses() {
    const uint64_t nDropped = GetDroppedCount();
    if (m_bLossShown || m_bEnding || nDropped + m_figures.tooLong == 0) {
        return;
    }
    m_bLossShown = TRUE;
    CString strError;
    strError.Format(
        "Datagrams are lost = %llu ! %llu arrived while the receive buffer was full, "
        "%llu were longer than %d bytes. The capture goes on.",
        static_cast<unsigned long long>(nDropped + m_figures.tooLong),
        static_cast<unsigned long long>(nDropped),
        static_cast<unsigned long long>(m_figures.tooLong), kReadSize);
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
    m_figures.bufferFull = GetDroppedCount();
    m_status.End();
    CString strWhat;
    strWhat.Format("capture of UDP port %u", m_nPort);
    ReportCaptureEnd(strWhat, kFileName, m_figures, kReadSize, m_status.GetStreamFigures());
}

BOOL CUdpReceiveSocket::GetCaptureStatus(CaptureStatusFigures& figures) {
    // The socket's consumer is this thread too: the figures are published when asked for.
    m_figures.bufferFull = GetDroppedCount();
    m_status.Publish(m_figures);
    return m_status.GetFigures(figures);
}
