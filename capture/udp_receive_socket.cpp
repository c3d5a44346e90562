#include "udp_receive_socket.h"

#include "message_box.h"
#include "win_error.h"

BYTE g_recvBuffer[192512];
int g_nRecvFill = 0;

namespace {

// 80 transport-stream packets of 188 bytes.
constexpr int kReadSize = 15040;
constexpr int kBlockThreshold = 0x10000;

}  // namespace

CUdpReceiveSocket::CUdpReceiveSocket(CVandrelView* pOwner) : m_pOwner(pOwner) {
    if (!m_file.Open("d:\\ReceivedUDP.ts", CFile::modeCreate | CFile::modeWrite)) {
        AfxMessageBox("Open file is error !", MB_OK, 0);
    }
}

CUdpReceiveSocket::~CUdpReceiveSocket() {
    // Nothing received is lost at the end: what the socket still holds goes to the file too.
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
    m_file.Close();
}

void CUdpReceiveSocket::OnReceive(int nErrorCode) {
    Store(ReceiveOne());
    CAsyncSocket::OnReceive(nErrorCode);
}

// Hot: once per datagram. Changes need bench/capture.
int CUdpReceiveSocket::ReceiveOne() {
    return Receive(g_recvBuffer + g_nRecvFill, kReadSize, 0);
}

// Hot: once per datagram. Changes need bench/capture.
void CUdpReceiveSocket::Store(int nReceived) {
    if (nReceived <= 0) {
        return;
    }
    g_nRecvFill += nReceived;
    if (g_nRecvFill > kBlockThreshold) {
        WriteBlock();
    }
}

void CUdpReceiveSocket::WriteBlock() {
    const int nFill = g_nRecvFill;
    // Reset first: the message box below runs a message loop that goes on receiving.
    g_nRecvFill = 0;
    try {
        m_file.Write(g_recvBuffer, static_cast<UINT>(nFill));
    } catch (CFileException* e) {
        const LONG lError = e->m_lOsError;
        e->Delete();
        if (!m_bWriteErrorShown) {
            m_bWriteErrorShown = TRUE;
            CString strError;
            strError.Format("Write file is error = %ld ! %d bytes received are dropped.", lError,
                            nFill);
            AfxMessageBox(strError, MB_OK, 0);
        }
    }
}
