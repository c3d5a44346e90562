#include "vandrel_view.h"

#include <chrono>
#include <thread>

#include "standard_ids.h"

std::atomic<DWORD> g_nRecvPort{0};

namespace {

constexpr UINT_PTR kTimerId = 2;
constexpr UINT kTimerPeriodMs = 1000;
constexpr int kBytesSentCounter = 506;
constexpr int kBytesReceivedCounter = 264;
constexpr double kBytesToKB = 0.0009765625;

}  // namespace

IMPLEMENT_DYNCREATE(CVandrelView, CView)

BEGIN_MESSAGE_MAP(CVandrelView, CView)
ON_COMMAND(ID_FILE_PRINT, CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, CView::OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, CView::OnFilePrintPreview)
ON_WM_TIMER()
END_MESSAGE_MAP()

CVandrelView::CVandrelView() {
    m_strInterface = "";
}

CVandrelView::~CVandrelView() {
    g_nRecvPort = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
    MoveWindow(100, 100, 300, 300, TRUE);
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
    const int n = m_sendCounter.GetInterfaceCount();
    CDC* pDC = GetDC();
    pDC->SetBkMode(TRANSPARENT);
    // Every listed interface, the last one included.
    for (int i = 0; i <= n; ++i) {
        const int y = 30 + 100 * i;
        if (!m_sendCounter.GetInterfaceName(m_strInterface, i)) {
            continue;
        }
        m_strOutRate.Format("outRate=%.1f KB/sec", m_sendCounter.GetTraffic(i) * kBytesToKB);
        m_strInRate.Format("InRate=%.1f KB/sec", m_recvCounter.GetTraffic(i) * kBytesToKB);
        pDC->TextOut(10, y - 20, m_strInterface);
        pDC->TextOut(10, y, m_strOutRate);
        pDC->TextOut(10, y + 20, m_strInRate);
    }
    ReleaseDC(pDC);
    CView::OnTimer(nIDEvent);
}
