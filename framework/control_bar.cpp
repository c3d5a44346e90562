#include "control_bar.h"

#include <QToolBar>

#include "frame_wnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

CControlBar::~CControlBar() {
    if (m_pDockSite != nullptr) {
        m_pDockSite->RemoveControlBar(this);
    }
}

BOOL CControlBar::CreateBar(CWnd* pParentWnd, QWidget* widget, DWORD dwStyle, UINT nID) {
    auto* frame = dynamic_cast<CFrameWnd*>(pParentWnd);
    if (frame == nullptr || frame->GetSafeHwnd() == nullptr || GetSafeHwnd() != nullptr) {
        delete widget;
        return FALSE;
    }
    Attach(widget);
    m_dwStyle = dwStyle & ~(WS_CHILD | WS_VISIBLE);
    m_nID = nID;
    m_pDockSite = frame;
    frame->AddControlBar(this);
    widget->setVisible((dwStyle & WS_VISIBLE) != 0);
    return TRUE;
}

void CControlBar::EnableDocking(DWORD dwDockStyle) {
    m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY;
    auto* toolBar = qobject_cast<QToolBar*>(GetSafeHwnd());
    if (toolBar == nullptr) {
        return;
    }
    Qt::ToolBarAreas areas;
    if ((m_dwDockStyle & CBRS_ALIGN_LEFT) != 0) {
        areas |= Qt::LeftToolBarArea;
    }
    if ((m_dwDockStyle & CBRS_ALIGN_TOP) != 0) {
        areas |= Qt::TopToolBarArea;
    }
    if ((m_dwDockStyle & CBRS_ALIGN_RIGHT) != 0) {
        areas |= Qt::RightToolBarArea;
    }
    if ((m_dwDockStyle & CBRS_ALIGN_BOTTOM) != 0) {
        areas |= Qt::BottomToolBarArea;
    }
    toolBar->setAllowedAreas(areas);
    toolBar->setFloatable(m_dwDockStyle != 0);
}

bool CControlBar::IsVisible() const {
    return GetSafeHwnd() != nullptr && !GetSafeHwnd()->isHidden();
}
