#include "async_socket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>

#include "win_error.h"

CAsyncSocket::CAsyncSocket() = default;

CAsyncSocket::~CAsyncSocket() {
    Close();
    delete m_pNotifier;  // before the receiver closes the event it watches
}

BOOL CAsyncSocket::Create(UINT nSocketPort, int nSocketType, long /*lEvent*/,
                          LPCSTR lpszSocketAddress) {
    if (nSocketType != SOCK_DGRAM || lpszSocketAddress != nullptr || m_hSocket != INVALID_SOCKET) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD code = m_receiver.Open(static_cast<WORD>(nSocketPort));
    if (code != ERROR_SUCCESS) {
        SetLastError(code);
        return FALSE;
    }
    code = m_receiver.Start();
    if (code != ERROR_SUCCESS) {
        m_receiver.Stop();
        SetLastError(code);
        return FALSE;
    }
    // The framework's notification window: one wake-up serves every datagram waiting.
    delete m_pNotifier;
    m_pNotifier = new QSocketNotifier(m_receiver.GetReadyEvent(), QSocketNotifier::Read);
    QObject::connect(m_pNotifier, &QSocketNotifier::activated, [this] { DispatchReceive(); });
    m_hSocket = m_receiver.GetSocket();
    return TRUE;
}

BOOL CAsyncSocket::SetSockOpt(int nOptionName, const void* lpOptionValue, int nOptionLen,
                              int nLevel) {
    if (m_hSocket == INVALID_SOCKET) {
        SetLastError(WSAENOTSOCK);
        return FALSE;
    }
    const DWORD code = m_receiver.SetOption(nLevel, nOptionName, lpOptionValue, nOptionLen);
    if (code != ERROR_SUCCESS) {
        SetLastError(code);
        return FALSE;
    }
    return TRUE;
}

BOOL CAsyncSocket::GetSockName(CString& rSocketAddress, UINT& rSocketPort) {
    WORD port = 0;
    if (m_hSocket == INVALID_SOCKET) {
        SetLastError(WSAENOTSOCK);
        return FALSE;
    }
    if (const DWORD code = m_receiver.GetLocalPort(port); code != ERROR_SUCCESS) {
        SetLastError(code);
        return FALSE;
    }
    rSocketAddress = "0.0.0.0";
    rSocketPort = port;
    return TRUE;
}

int CAsyncSocket::Receive(void* lpBuf, int nBufLen, int /*nFlags*/) {
    m_nLostBeforeReceived = 0;
    return m_receiver.Receive(lpBuf, nBufLen, &m_nLostBeforeReceived);
}

void CAsyncSocket::Close() {
    m_receiver.Stop();
    m_hSocket = INVALID_SOCKET;
}

void CAsyncSocket::OnReceive(int /*nErrorCode*/) {}

// Hot: runs once per batch of datagrams on the UI thread. Changes need bench/capture.
void CAsyncSocket::DispatchReceive() {
    m_receiver.TakeNotification();
    // Those that arrive meanwhile are served too, for at most a few milliseconds: fewer
    // wake-ups, and a fast sender still cannot keep the UI thread here.
    QElapsedTimer clock;
    clock.start();
    do {
        for (uint64_t n = m_receiver.GetWaitingCount(); n > 0; --n) {
            OnReceive(0);
        }
    } while (m_receiver.GetWaitingCount() > 0 && clock.elapsed() < 5);
    // Losses are news too, also when no datagram came with them: Receive then says so.
    if (const uint64_t dropped = m_receiver.GetDroppedCount(); dropped != m_nDroppedSeen) {
        m_nDroppedSeen = dropped;
        OnReceive(0);
    }
    if (const DWORD code = m_receiver.TakeError(); code != 0) {
        OnReceive(static_cast<int>(code));
    }
}
