// The one view: each interface's name and its outgoing and incoming rate, once a second.
// Created by the document template; user-interface thread only.
#pragma once

#include <atomic>

#include "traffic_counter.h"
#include "view.h"

class CUdpReceiveSocket;

// The capture port, also the multicast receiver's run flag: 0 stops it.
extern std::atomic<DWORD> g_nRecvPort;

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

protected:
    CVandrelView();

    CUdpReceiveSocket* m_hSocket = nullptr;
    CString m_strInterface;
    CTrafficCounter m_sendCounter;
    CString m_strOutRate;
    CTrafficCounter m_recvCounter;
    CString m_strInRate;

    DECLARE_MESSAGE_MAP()

private:
    void ReportCreateError(WORD nPort, DWORD dwError);
};
