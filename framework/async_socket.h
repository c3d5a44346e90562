// A datagram socket whose OnReceive runs on the user-interface thread, once per waiting
// datagram, once more when datagrams were lost, and once with the Windows code when the
// socket's reading ends on an error.
// Used by the capture; create, read and destroy it on the user-interface thread.
// Datagrams wait in the socket's own queue while that thread is busy (see GetDroppedCount).
#pragma once

#include <cstdint>

#include "cstring.h"
#include "datagram_receiver.h"
#include "runtime_class.h"

class QSocketNotifier;

class CAsyncSocket : public CObject {
public:
    CAsyncSocket();
    ~CAsyncSocket() override;
    CAsyncSocket(const CAsyncSocket&) = delete;
    CAsyncSocket& operator=(const CAsyncSocket&) = delete;

    // A datagram socket bound to nSocketPort (16 bits) on every local address; only
    // SOCK_DGRAM without an address is provided. Returns FALSE with GetLastError set
    // (ERROR_NOT_ENOUGH_MEMORY when the socket's queue cannot be had).
    virtual BOOL Create(UINT nSocketPort = 0, int nSocketType = SOCK_DGRAM,
                        long lEvent = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT |
                                      FD_CLOSE,
                        LPCSTR lpszSocketAddress = nullptr);
    // setsockopt; never shrinks the receive buffer that the socket's reader relies on.
    BOOL SetSockOpt(int nOptionName, const void* lpOptionValue, int nOptionLen,
                    int nLevel = SOL_SOCKET);
    BOOL GetSockName(CString& rSocketAddress, UINT& rSocketPort);
    // One waiting datagram: its size, or SOCKET_ERROR with GetLastError WSAEWOULDBLOCK
    // (none waiting) or WSAEMSGSIZE (longer than nBufLen: nothing copied, datagram gone).
    virtual int Receive(void* lpBuf, int nBufLen, int nFlags = 0);
    // How many datagrams this host lost just before the one the last Receive returned or
    // refused as too long (saturated at 32,767); 0 when it found none waiting.
    uint32_t GetLostBeforeReceived() const { return m_nLostBeforeReceived; }
    // Stops reading; what the socket had received stays readable with Receive, after which
    // the system socket is closed.
    virtual void Close();

    // Datagrams lost because the queue or the kernel's buffer was full; cheap enough to ask
    // after each datagram.
    uint64_t GetDroppedCount() const { return m_receiver.GetDroppedCount(); }

    SOCKET m_hSocket = INVALID_SOCKET;

protected:
    virtual void OnReceive(int nErrorCode);

private:
    void DispatchReceive();

    DatagramReceiver m_receiver;
    QSocketNotifier* m_pNotifier = nullptr;
    uint64_t m_nDroppedSeen = 0;
    uint32_t m_nLostBeforeReceived = 0;
};
