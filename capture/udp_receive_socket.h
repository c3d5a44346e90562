// The unicast capture: every datagram's payload appended to d:\ReceivedUDP.ts in blocks of
// more than 64 KiB. Created and owned by CVandrelView::OnUnicastReceived; UI thread only.
// g_recvBuffer and g_nRecvFill belong to the module, not to a socket.
#pragma once

#include "async_socket.h"
#include "file.h"

class CVandrelView;

extern BYTE g_recvBuffer[192512];
extern int g_nRecvFill;

class CUdpReceiveSocket : public CAsyncSocket {
public:
    explicit CUdpReceiveSocket(CVandrelView* pOwner);
    // Writes what is still held or queued, then closes the file and the socket.
    ~CUdpReceiveSocket() override;

    CVandrelView* m_pOwner;
    CFile m_file;

protected:
    void OnReceive(int nErrorCode) override;

private:
    int ReceiveOne();
    void Store(int nReceived);
    void WriteBlock();

    BOOL m_bWriteErrorShown = FALSE;
};
