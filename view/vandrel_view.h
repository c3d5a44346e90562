// The one view: each interface's name, its outgoing and incoming rate and their last minute as
// a graph, once a second.
// Created by the document template; user-interface thread only.
#pragma once

#include "capture_status_pane.h"
#include "multicast_receive.h"
#include "rate_history.h"
#include "traffic_counter.h"
#include "view.h"

class CUdpReceiveSocket;

class CVandrelView : public CView {
    DECLARE_DYNCREATE(CVandrelView)
public:
    ~CVandrelView() override;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnInitialUpdate() override;
    void OnDraw(CDC* pDC) override;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;

    // One drawing pass, whatever the timer id.
    void OnTimer(UINT_PTR nIDEvent);
    // "Local netConfig": each shows one message box.
    void OnGetNetinfo();
    void OnGetAllIp();
    // Asks for a port and captures what arrives on it until the view is destroyed.
    void OnUnicastReceived();
    // Asks for a group and a port and starts the one multicast receive thread.
    void OnMulticastReceived();

protected:
    CVandrelView();

    CUdpReceiveSocket* m_hSocket = nullptr;
    HANDLE m_hThread = nullptr;
    DWORD m_dwThreadId = 0;
    // The receive thread's socket, which the destructor shuts down to end a waiting receive.
    CReceiveSocketLink m_sock;
    // The copies the thread was started with, taken here on the user-interface thread.
    ip_mreq m_mreq{};
    sockaddr_in m_addrLocal{};
    CString m_strInterface;
    CTrafficCounter m_sendCounter;
    CString m_strOutRate;
    CTrafficCounter m_recvCounter;
    CString m_strInRate;
    // What the graphs show, kept by name while interfaces come and go.
    CRateHistory m_rateHistory;

    DECLARE_MESSAGE_MAP()

private:
    void ReportCreateError(WORD nPort, DWORD dwError);
    // The running captures' figures in the status bar, once a tick.
    void UpdateCaptureStatus();

    // The multicast thread's figures, which it publishes and this view reads.
    CCaptureStatus m_multicastStatus;
    CCaptureStatusPane m_captureStatusPane;
};
