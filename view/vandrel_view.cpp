#include "vandrel_view.h"

#include <chrono>
#include <thread>

#include "capture_report.h"
#include "files.h"
#include "frame_wnd.h"
#include "host_info.h"
#include "message_box.h"
#include "multi_cast_d.h"
#include "perf_records.h"
#include "rate_graph.h"
#include "resource.h"
#include "standard_ids.h"
#include "threads.h"
#include "udp_dia.h"
#include "udp_receive_socket.h"
#include "win_error.h"

namespace {

constexpr UINT_PTR kTimerId = 2;
constexpr UINT kTimerPeriodMs = 1000;
constexpr double kBytesToKB = 1.0 / 1024;  // the program's KB is 1,024 bytes
// Each interface's block of three lines, top down: the first block's outgoing line at
// kFirstBlockY, the next kBlockHeight below.
constexpr int kTextLeft = 10;
constexpr int kFirstBlockY = 30;
constexpr int kBlockHeight = 100;
// Where the view first opens, and its size, as the program has always placed it.
constexpr int kFirstX = 100;
constexpr int kFirstY = 100;
constexpr int kFirstSize = 300;

}  // namespace

IMPLEMENT_DYNCREATE(CVandrelView, CView)

BEGIN_MESSAGE_MAP(CVandrelView, CView)
ON_COMMAND(ID_FILE_PRINT, CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, CView::OnFilePrintPreview)
ON_WM_TIMER()
ON_COMMAND(ID_GET_NETINFO, CVandrelView::OnGetNetinfo)
ON_COMMAND(ID_GET_ALL_IP, CVandrelView::OnGetAllIp)
ON_COMMAND(ID_MULTICAST_RECEIVED, CVandrelView::OnMulticastReceived)
ON_COMMAND(ID_UNICAST_RECEIVED, CVandrelView::OnUnicastReceived)
END_MESSAGE_MAP()

CVandrelView::CVandrelView() {
    m_strInterface = "";
}

CVandrelView::~CVandrelView() {
    if (m_hSocket != nullptr) {
        delete m_hSocket;
        m_hSocket = nullptr;
    }
    g_nRecvPort = 0;
    // Kept from the Windows program, where this pause was all the multicast thread got to see
    // the port go to 0; the wait below is what ends the thread now.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (m_hThread != nullptr) {
        // No thread outlives the view: a receive that waits is ended, what the kernel held is
        // written, and a message box the thread asks for meanwhile is not waited for.
        m_sock.Wake();
        const glue::WorkerMessageBoxRelease release;
        (void)WaitForSingleObject(m_hThread, INFINITE);  // fails only for a handle not a thread's
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
}

BOOL CVandrelView::PreCreateWindow(CREATESTRUCT& cs) {
    return CView::PreCreateWindow(cs);
}

void CVandrelView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    m_sendCounter.SetCounterIndex(kBytesSentCounter);
    m_strOutRate.Empty();
    m_recvCounter.SetCounterIndex(kBytesReceivedCounter);
    m_strInRate.Empty();
    MoveWindow(kFirstX, kFirstY, kFirstSize, kFirstSize, TRUE);
    SetTimer(kTimerId, kTimerPeriodMs, nullptr);
}

void CVandrelView::OnDraw(CDC* /*pDC*/) {}

BOOL CVandrelView::OnPreparePrinting(CPrintInfo* pInfo) {
    return DoPreparePrinting(pInfo);
}

void CVandrelView::OnBeginPrinting(CDC* /*pDC*/, CPrintInfo* /*pInfo*/) {}

void CVandrelView::OnEndPrinting(CDC* /*pDC*/, CPrintInfo* /*pInfo*/) {}

// Runs once a second on the UI thread: two queries per interface. Changes need bench/.
void CVandrelView::OnTimer(UINT_PTR nIDEvent) {
    InvalidateRect(nullptr, TRUE);
    UpdateWindow();
    // Interfaces come and go (an adapter plugged in, a VPN's tun0): both lists follow the
    // kernel's, read once for the whole pass.
    m_sendCounter.UpdateInterfaces();
    m_recvCounter.UpdateInterfaces();
    const int n = m_sendCounter.GetInterfaceCount();
    CDC* pDC = GetDC();
    pDC->SetBkMode(TRANSPARENT);
    RECT rcClient;
    GetClientRect(&rcClient);
    CRateGraph graph(pDC, rcClient.right);
    m_rateHistory.NextSecond();
    // Every listed interface, the last one included.
    for (int i = 0; i <= n; ++i) {
        const int y = kFirstBlockY + kBlockHeight * i;
        if (!m_sendCounter.GetInterfaceName(m_strInterface, i)) {
            continue;
        }
        CRateHistory::Rates rates;
        const double out = m_sendCounter.GetTraffic(i) * kBytesToKB;
        if (m_sendCounter.LastTrafficWasMeasured()) {
            rates.out = static_cast<float>(out);
        }
        m_strOutRate.Format("outRate=%.1f KB/sec", out);
        const double in = m_recvCounter.GetTraffic(i) * kBytesToKB;
        if (m_recvCounter.LastTrafficWasMeasured()) {
            rates.in = static_cast<float>(in);
        }
        m_strInRate.Format("InRate=%.1f KB/sec", in);
        pDC->TextOut(kTextLeft, y - kLineSpacing, m_strInterface);
        pDC->TextOut(kTextLeft, y, m_strOutRate);
        pDC->TextOut(kTextLeft, y + kLineSpacing, m_strInRate);
        graph.Draw(pDC, y, m_rateHistory.Record(m_strInterface.str(), rates));
    }
    ReleaseDC(pDC);
    UpdateCaptureStatus();
    CView::OnTimer(nIDEvent);
}

void CVandrelView::OnGetNetinfo() {
    AfxMessageBox(GetNetinfoText(), MB_OK, 0);
}

void CVandrelView::OnGetAllIp() {
    AfxMessageBox(GetAllIpText(), MB_OK, 0);
}

void CVandrelView::OnUnicastReceived() {
    CUDPDia dlg(nullptr);
    // Only OK gives m_nPort a value: any other end counts as Cancel.
    if (dlg.DoModal() != IDOK) {
        return;
    }
    g_nRecvPort = static_cast<DWORD>(dlg.m_nPort);
    if (m_hSocket != nullptr) {
        AfxMessageBox("m_hSocket Thread was run!", MB_OK, 0);
        return;
    }
    m_hSocket = new CUdpReceiveSocket(this);
    if (!m_hSocket->IsFileOpen()) {
        // Said by the socket; a capture that could write nothing is not started.
        delete m_hSocket;
        m_hSocket = nullptr;
        return;
    }
    // 63: every network event, as the program has always asked; a datagram socket is only
    // ever read, so the receiver serves reads whatever the mask says.
    if (!m_hSocket->Create(g_nRecvPort, SOCK_DGRAM,
                           FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE,
                           nullptr)) {
        // Dropped, so that a later "UniCast Received" can try again.
        const DWORD dwError = GetLastError();
        delete m_hSocket;
        m_hSocket = nullptr;
        ReportCreateError(static_cast<WORD>(g_nRecvPort), dwError);
        return;
    }
    // The program has always asked for 8,192 bytes, which would lose datagrams of any stream
    // worth capturing: the receiver keeps its larger buffer and takes a smaller request as met.
    int nRecvBuf = 8192;
    if (!m_hSocket->SetSockOpt(SO_RCVBUF, &nRecvBuf, sizeof(nRecvBuf), SOL_SOCKET)) {
        AfxMessageBox("Could not SetSockOpt(SO_RCVBUF!", MB_OK, 0);
    }
}

void CVandrelView::OnMulticastReceived() {
    CMultiCastD dlg(nullptr);
    // Only OK gives m_nPort a value: any other end counts as Cancel.
    if (dlg.DoModal() != IDOK) {
        return;
    }
    g_strGroupIP = dlg.m_strAddress;
    g_nRecvPort = static_cast<DWORD>(dlg.m_nPort);
    if (m_hThread != nullptr && WaitForSingleObject(m_hThread, 0) == WAIT_OBJECT_0) {
        // Only a running capture refuses another: one that has ended, however, is gone.
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    if (m_hThread != nullptr) {
        AfxMessageBox("Could not create receive Thread!", MB_OK, 0);
        return;
    }
    if (g_nRecvPort == 0) {
        return;  // port 0 only ends a running capture: a new one would record nothing
    }
    // Taken now: a later dialog changes neither while the thread sets up.
    m_addrLocal.sin_family = AF_INET;
    m_addrLocal.sin_port = htons(static_cast<WORD>(g_nRecvPort));
    m_addrLocal.sin_addr.s_addr = htonl(INADDR_ANY);
    m_mreq.imr_interface.s_addr = htonl(INADDR_ANY);
    m_mreq.imr_multiaddr.s_addr = inet_addr(g_strGroupIP);
    auto* pParam =
        new MulticastReceiveParam{m_addrLocal, g_strGroupIP, &m_sock, &m_multicastStatus};
    m_hThread = CreateThread(nullptr, 0, MulticastReceiveThread, pParam, 0, &m_dwThreadId);
    if (m_hThread == nullptr) {
        delete pParam;
        AfxMessageBox("Could not create receive Thread!", MB_OK, 0);
    }
}

void CVandrelView::UpdateCaptureStatus() {
    CaptureStatusFigures unicast;
    CaptureStatusFigures multicast;
    const BOOL bUnicast = m_hSocket != nullptr && m_hSocket->GetCaptureStatus(unicast);
    const BOOL bMulticast = m_multicastStatus.GetFigures(multicast);
    m_captureStatusPane.Update(dynamic_cast<CFrameWnd*>(m_pParentFrame),
                               bUnicast ? &unicast : nullptr, bMulticast ? &multicast : nullptr);
}

void CVandrelView::ReportCreateError(WORD nPort, DWORD dwError) {
    CString strError;
    const DWORD dwFirstFree = GetUnprivilegedPortStart();
    if (dwError == ERROR_ACCESS_DENIED && nPort != 0 && nPort < dwFirstFree) {
        strError.Format(
            "Could not Create UDP Port %u, error = %lu !\nOn Linux only a privileged program "
            "may use a port below %lu: choose a port from %lu up, or allow the program these "
            "ports (see \"Ports below 1024\" in man vandrel).",
            static_cast<unsigned>(nPort), static_cast<unsigned long>(dwError),
            static_cast<unsigned long>(dwFirstFree), static_cast<unsigned long>(dwFirstFree));
    } else {
        strError.Format("Could not Create UDP Port %u, error = %lu !", static_cast<unsigned>(nPort),
                        static_cast<unsigned long>(dwError));
        strError += ShortageText(dwError);
    }
    AfxMessageBox(strError, MB_OK, 0);
}
