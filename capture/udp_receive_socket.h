// The unicast capture: every datagram's payload appended to d:\ReceivedUDP.ts in blocks of
// more than 64 KiB. Created and owned by CVandrelView::OnUnicastReceived; UI thread only.
// g_recvBuffer and g_nRecvFill belong to the module, not to a socket.
#pragma once

#include <cstdint>

#include "async_socket.h"
#include "capture_report.h"
#include "capture_status.h"
#include "file.h"

class CVandrelView;

extern BYTE g_recvBuffer[192512];
extern int g_nRecvFill;

class CUdpReceiveSocket : public CAsyncSocket {
public:
    // Opens the capture file without emptying it: a capture that does not start keeps the
    // previous recording. A failure is said at once; IsFileOpen then tells the owner.
    explicit CUdpReceiveSocket(CVandrelView* pOwner);
    // Writes what is still held or queued, then closes the file and the socket, and reports
    // the capture's figures on standard error.
    ~CUdpReceiveSocket() override;

    // The capture starts here: once the port is bound, the file is emptied.
    BOOL Create(UINT nSocketPort = 0, int nSocketType = SOCK_DGRAM,
                long lEvent = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE,
                LPCSTR lpszSocketAddress = nullptr) override;

    BOOL IsFileOpen() const { return m_file.m_hFile != INVALID_HANDLE_VALUE; }
    // The running capture's figures as of now; FALSE when it has not started.
    BOOL GetCaptureStatus(CaptureStatusFigures& figures);

    // The view that made the socket. Nothing reads it; it stays part of the socket's record.
    CVandrelView* m_pOwner;
    CFile m_file;

protected:
    void OnReceive(int nErrorCode) override;

private:
    int ReceiveOne();
    void Store(int nReceived);
    void WriteBlock();
    void CheckLosses();
    void CutBack();
    void ReportReceiveError(int nErrorCode);
    void ReportEnd();

    BOOL m_bStarted = FALSE;
    BOOL m_bEnding = FALSE;  // no message boxes from the destructor: standard error says it
    UINT m_nPort = 0;
    // bytesWritten is the file's length: a block that fails to write is cut off again there.
    CaptureFigures m_figures;
    CCaptureStatus m_status;
    int m_nHeldDatagrams = 0;        // in g_recvBuffer
    BOOL m_bCutPending = FALSE;      // a failed block may have left part of itself in the file
    BOOL m_bEndWriteFailed = FALSE;  // a write failed while closing
    BOOL m_bWriteErrorShown = FALSE;
    BOOL m_bLossShown = FALSE;
    BOOL m_bReceiveErrorShown = FALSE;
};
