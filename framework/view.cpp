#include "view.h"

#include <QPalette>

#include "doc_template.h"
#include "document.h"
#include "widget_host.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
END_MESSAGE_MAP()

CView::CView() = default;

CView::~CView() {
    if (m_pDocument != nullptr) {
        m_pDocument->RemoveView(this);
    }
}

BOOL CView::Create(CWnd* pParentWnd, CCreateContext* pContext) {
    CREATESTRUCT cs;
    if (!PreCreateWindow(cs)) {
        return FALSE;
    }
    auto* widget =
        new glue::WidgetHost(this, pParentWnd != nullptr ? pParentWnd->GetSafeHwnd() : nullptr);
    // A view is a white client area, as COLOR_WINDOW.
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    widget->setPalette(palette);
    Attach(widget);
    m_pParentFrame = pParentWnd;
    if (pContext != nullptr && pContext->m_pCurrentDoc != nullptr) {
        pContext->m_pCurrentDoc->AddView(this);
    }
    return SendMessage(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1 ? FALSE : TRUE;
}

BOOL CView::PreCreateWindow(CREATESTRUCT& /*cs*/) {
    return TRUE;
}

void CView::OnInitialUpdate() {
    InvalidateRect(nullptr, TRUE);
}

BOOL CView::OnPreparePrinting(CPrintInfo* /*pInfo*/) {
    return FALSE;
}

void CView::OnBeginPrinting(CDC* /*pDC*/, CPrintInfo* /*pInfo*/) {}

void CView::OnEndPrinting(CDC* /*pDC*/, CPrintInfo* /*pInfo*/) {}

BOOL CView::OnCmdMsg(UINT nID, UINT nCode, void* pExtra) {
    if (CWnd::OnCmdMsg(nID, nCode, pExtra)) {
        return TRUE;
    }
    return m_pDocument != nullptr && m_pDocument->OnCmdMsg(nID, nCode, pExtra);
}
