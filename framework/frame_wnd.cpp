#include "frame_wnd.h"

#include <QApplication>
#include <QMetaObject>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

#include "cmd_ui.h"
#include "control_bar.h"
#include "doc_template.h"
#include "document.h"
#include "frame_host.h"
#include "key_state.h"
#include "resources.h"
#include "standard_ids.h"
#include "status_bar.h"
#include "view.h"
#include "win_app.h"

namespace glue {
namespace {

// As the framework's idle work follows every message but paint: the bars are brought up to
// date after anything that could change a command's state or a lock key, and not otherwise,
// so a window left alone costs one update a second (after its view's timer), not ten.
class IdleWatch : public QObject {
public:
    IdleWatch(CFrameWnd* frame, QTimer* idleTimer) : m_pFrame(frame), m_pIdleTimer(idleTimer) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Timer:
                if (watched == m_pIdleTimer) {
                    break;
                }
                [[fallthrough]];
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::Shortcut:
            case QEvent::FocusIn:
            case QEvent::WindowActivate:
            case QEvent::WindowDeactivate:
            case QEvent::ApplicationStateChange:
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::Close:
            case QEvent::MetaCall:
            case QEvent::SockAct:
                m_pFrame->RequestIdleUpdate();
                break;
            default:
                break;
        }
        return false;
    }

private:
    CFrameWnd* m_pFrame;
    QTimer* m_pIdleTimer;
};

}  // namespace
}  // namespace glue

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, CFrameWnd::OnUpdateControlBarMenu)
ON_COMMAND_EX(ID_VIEW_STATUS_BAR, CFrameWnd::OnBarCheck)
ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, CFrameWnd::OnUpdateControlBarMenu)
ON_COMMAND_EX(ID_VIEW_TOOLBAR, CFrameWnd::OnBarCheck)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, CFrameWnd::OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, CFrameWnd::OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, CFrameWnd::OnUpdateKeyIndicator)
ON_COMMAND_EX(ID_NEXT_PANE, CFrameWnd::OnNextPaneCmd)
ON_COMMAND_EX(ID_PREV_PANE, CFrameWnd::OnNextPaneCmd)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
    glue::RemoveKeyStateListener(this);
    delete m_pIdleWatch;
    delete m_pIdleTimer;
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
    }
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& /*cs*/) {
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* /*pParentWnd*/,
                          CCreateContext* pContext) {
    m_strTitle = glue::LoadStringField(nIDResource, 0);
    CREATESTRUCT cs;
    cs.style = static_cast<LONG>(dwDefaultStyle);
    cs.lpszName = m_strTitle;
    cs.lpCreateParams = pContext;
    if (!PreCreateWindow(cs)) {
        return FALSE;
    }
    auto* host = new glue::FrameHost(this);
    host->setWindowTitle(QString::fromUtf8(m_strTitle.str()));
    host->setWindowIcon(glue::LoadIcon(nIDResource));
    Attach(host);
    if (cs.cx != CW_USEDEFAULT && cs.cy != CW_USEDEFAULT) {
        host->SetOuterSize(QSize(cs.cx, cs.cy));
    }
    LoadMenuBar(nIDResource);
    LoadAccelTable(nIDResource);
    if (SendMessage(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        CWnd::DestroyWindow();
        return FALSE;
    }
    SetMessageText(AFX_IDS_IDLEMESSAGE);
    m_pIdleTimer = new QTimer;
    m_pIdleTimer->setSingleShot(true);
    m_pIdleTimer->setInterval(0);
    QObject::connect(m_pIdleTimer, &QTimer::timeout, host, [this] { OnIdleUpdateCmdUI(); });
    m_pIdleWatch = new glue::IdleWatch(this, m_pIdleTimer);
    glue::AddKeyStateListener(this, [this] { RequestIdleUpdate(); });
    RequestIdleUpdate();
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

void CFrameWnd::EnableDocking(DWORD dwDockStyle) {
    m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY;
}

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT /*nDockBarID*/, LPCRECT /*lpRect*/) {
    auto* toolBar = pBar != nullptr ? qobject_cast<QToolBar*>(pBar->GetSafeHwnd()) : nullptr;
    if (toolBar == nullptr) {
        return;
    }
    const DWORD allowed = pBar->GetDockStyle() & m_dwDockStyle;
    const DWORD wanted = pBar->GetBarStyle() & CBRS_ALIGN_ANY;
    constexpr std::pair<DWORD, Qt::ToolBarArea> kSides[] = {
        {CBRS_ALIGN_TOP, Qt::TopToolBarArea},
        {CBRS_ALIGN_BOTTOM, Qt::BottomToolBarArea},
        {CBRS_ALIGN_LEFT, Qt::LeftToolBarArea},
        {CBRS_ALIGN_RIGHT, Qt::RightToolBarArea},
    };
    Qt::ToolBarArea area = Qt::TopToolBarArea;
    for (const auto& [side, qtArea] : kSides) {
        if ((allowed & side) != 0 && ((wanted & side) != 0 || (allowed & wanted) == 0)) {
            area = qtArea;
            break;
        }
    }
    const bool visible = pBar->IsVisible();
    static_cast<QMainWindow*>(GetSafeHwnd())->addToolBar(area, toolBar);
    toolBar->setVisible(visible);
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const {
    const auto it =
        std::find_if(m_listControlBars.begin(), m_listControlBars.end(),
                     [nID](const CControlBar* bar) { return bar->GetDlgCtrlID() == nID; });
    return it != m_listControlBars.end() ? *it : nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL /*bDelay*/) {
    if (pBar != nullptr && pBar->GetSafeHwnd() != nullptr) {
        pBar->GetSafeHwnd()->setVisible(bShow != FALSE);
    }
}

void CFrameWnd::AddControlBar(CControlBar* pBar) {
    m_listControlBars.push_back(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar) {
    std::erase(m_listControlBars, pBar);
}

void CFrameWnd::SetMessageText(LPCSTR lpszText) {
    if (auto* statusBar = dynamic_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR))) {
        statusBar->SetPaneText(0, lpszText);
    }
}

void CFrameWnd::SetMessageText(UINT nID) {
    CString prompt;
    if (nID == AFX_IDS_IDLEMESSAGE) {
        AfxLoadString(nID, prompt);
    } else {
        prompt = glue::LoadStringField(nID, 0);
    }
    SetMessageText(prompt);
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    // Copied: an update handler may remove a bar.
    const std::vector<CControlBar*> bars = m_listControlBars;
    for (CControlBar* bar : bars) {
        bar->OnUpdateCmdUI(this);
    }
}

void CFrameWnd::RequestIdleUpdate() {
    if (m_pIdleTimer != nullptr && !m_pIdleTimer->isActive()) {
        m_pIdleTimer->start();
    }
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
    RequestIdleUpdate();  // a command sent by a toolbar button's click() comes with no event
    return result;
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

BOOL CFrameWnd::OnBarCheck(UINT nID) {
    CControlBar* bar = GetControlBar(nID);
    if (bar == nullptr) {
        return FALSE;
    }
    ShowControlBar(bar, !bar->IsVisible(), FALSE);
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
    CControlBar* bar = GetControlBar(pCmdUI->m_nID);
    pCmdUI->Enable(bar != nullptr);
    pCmdUI->SetCheck(bar != nullptr && bar->IsVisible() ? 1 : 0);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI) {
    int key = 0;
    switch (pCmdUI->m_nID) {
        case ID_INDICATOR_CAPS:
            key = VK_CAPITAL;
            break;
        case ID_INDICATOR_NUM:
            key = VK_NUMLOCK;
            break;
        default:
            key = VK_SCROLL;
            break;
    }
    pCmdUI->Enable((GetKeyState(key) & 1) != 0);
}

// A frame without splitters has one pane: there is nowhere to switch to.
BOOL CFrameWnd::OnNextPaneCmd(UINT /*nID*/) {
    return TRUE;
}

void CFrameWnd::OnClose() {
    if (CDocument* document = GetActiveDocument()) {
        document->OnCloseDocument();  // destroys this frame too
    } else {
        DestroyWindow();
    }
}

BOOL CFrameWnd::DestroyWindow() {
    glue::RemoveKeyStateListener(this);
    delete m_pIdleWatch;
    m_pIdleWatch = nullptr;
    delete m_pIdleTimer;
    m_pIdleTimer = nullptr;
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
