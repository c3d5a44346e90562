#include "frame_wnd.h"

#include <QApplication>
#include <QMetaObject>
#include <QStyle>

#include "doc_template.h"
#include "document.h"
#include "frame_host.h"
#include "resources.h"
#include "view.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

// WM_CLOSE has no handler of its own in the program's maps; the frame's is built in.
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::OnClose)},

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& /*cs*/) {
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* /*pParentWnd*/,
                          CCreateContext* pContext) {
    m_strTitle = AfxLoadStringField(nIDResource, 0);
    CREATESTRUCT cs;
    cs.style = static_cast<LONG>(dwDefaultStyle);
    cs.lpszName = m_strTitle;
    cs.lpCreateParams = pContext;
    if (!PreCreateWindow(cs)) {
        return FALSE;
    }
    auto* host = new CFrameHost(this);
    host->setWindowTitle(QString::fromUtf8(m_strTitle.str()));
    Attach(host);
    if (cs.cx != CW_USEDEFAULT && cs.cy != CW_USEDEFAULT) {
        // The record holds the outer size; Qt sizes the client area.
        const int titleHeight = host->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        host->resize(cs.cx, cs.cy - titleHeight);
    }
    if (SendMessage(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        CWnd::DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    auto* context = static_cast<CCreateContext*>(lpCreateStruct->lpCreateParams);
    return OnCreateClient(lpCreateStruct, context) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT /*lpcs*/, CCreateContext* pContext) {
    if (pContext == nullptr || pContext->m_pNewViewClass == nullptr) {
        return TRUE;
    }
    auto* view = dynamic_cast<CView*>(pContext->m_pNewViewClass->CreateObject());
    if (view == nullptr) {
        return FALSE;
    }
    if (!view->Create(this, pContext)) {
        delete view;
        return FALSE;
    }
    static_cast<QMainWindow*>(GetSafeHwnd())->setCentralWidget(view->GetSafeHwnd());
    m_pViewActive = view;
    return TRUE;
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pViewActive != nullptr ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument* /*pDoc*/, BOOL bMakeVisible) {
    if (m_pViewActive != nullptr) {
        m_pViewActive->OnInitialUpdate();
    }
    OnUpdateFrameTitle(TRUE);
    if (bMakeVisible) {
        ShowWindow(SW_SHOW);
    }
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    if (GetSafeHwnd() == nullptr) {
        return;
    }
    CString caption = m_strTitle;
    if (const CDocument* document = GetActiveDocument(); bAddToTitle && document != nullptr) {
        caption = document->GetTitle();
        caption += " - ";
        caption += m_strTitle;
    }
    GetSafeHwnd()->setWindowTitle(QString::fromUtf8(caption.str()));
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, UINT nCode, void* pExtra) {
    if (m_pViewActive != nullptr && m_pViewActive->OnCmdMsg(nID, nCode, pExtra)) {
        return TRUE;
    }
    if (CWnd::OnCmdMsg(nID, nCode, pExtra)) {
        return TRUE;
    }
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(nID, nCode, pExtra);
}

void CFrameWnd::OnClose() {
    if (CDocument* document = GetActiveDocument()) {
        document->OnCloseDocument();  // destroys this frame too
    } else {
        DestroyWindow();
    }
}

BOOL CFrameWnd::DestroyWindow() {
    // The view goes first, synchronously: its destructor ends what it owns.
    delete m_pViewActive;
    m_pViewActive = nullptr;
    const BOOL destroyed = CWnd::DestroyWindow();
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        QCoreApplication::quit();
    }
    // Deleted once the event that closed it has returned.
    QMetaObject::invokeMethod(
        qApp, [this] { delete this; }, Qt::QueuedConnection);
    return destroyed;
}
