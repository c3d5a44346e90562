#include "status_bar.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "cmd_ui.h"
#include "frame_wnd.h"
#include "resources.h"

namespace {

class CStatusCmdUI : public CCmdUI {
public:
    CStatusCmdUI(UINT nID, QLabel* pane) : CCmdUI(nID), m_pPane(pane) {}

    // A key-state pane is lit while its key is on.
    void Enable(BOOL bOn) override {
        CCmdUI::Enable(bOn);
        m_pPane->setEnabled(bOn != FALSE);
    }

private:
    QLabel* m_pPane;
};

}  // namespace

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    auto* statusBar = new QStatusBar;
    if (!CreateBar(pParentWnd, statusBar, dwStyle, nID)) {
        return FALSE;
    }
    static_cast<QMainWindow*>(m_pDockSite->GetSafeHwnd())->setStatusBar(statusBar);
    statusBar->setVisible((dwStyle & WS_VISIBLE) != 0);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
    auto* statusBar = qobject_cast<QStatusBar*>(GetSafeHwnd());
    if (statusBar == nullptr || lpIDArray == nullptr || nIDCount < 0) {
        return FALSE;
    }
    std::vector<CString> texts;
    for (int i = 0; i < nIDCount; ++i) {
        CString text;
        if (lpIDArray[i] != ID_SEPARATOR && !AfxLoadString(lpIDArray[i], text)) {
            return FALSE;
        }
        texts.push_back(text);
    }
    for (const Pane& pane : m_panes) {
        delete pane.label;
    }
    m_panes.clear();
    for (int i = 0; i < nIDCount; ++i) {
        auto* label = new QLabel(QString::fromUtf8(texts[i].str()));
        label->setTextFormat(Qt::PlainText);
        label->setObjectName(QStringLiteral("pane%1").arg(i));
        if (lpIDArray[i] == ID_SEPARATOR) {
            label->setMinimumWidth(1);
            statusBar->addWidget(label, 1);
        } else {
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            label->setAlignment(Qt::AlignCenter);
            label->setMinimumWidth(label->sizeHint().width() + 8);
            statusBar->addPermanentWidget(label);
        }
        m_panes.push_back({lpIDArray[i], label});
    }
    return TRUE;
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCSTR lpszNewText) {
    if (nIndex < 0 || nIndex >= GetCount()) {
        return FALSE;
    }
    m_panes[nIndex].label->setText(QString::fromUtf8(lpszNewText != nullptr ? lpszNewText : ""));
    return TRUE;
}

CString CStatusBar::GetPaneText(int nIndex) const {
    if (nIndex < 0 || nIndex >= GetCount()) {
        return {};
    }
    return m_panes[nIndex].label->text().toStdString();
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget) {
    for (const Pane& pane : m_panes) {
        if (pane.nID != ID_SEPARATOR) {
            CStatusCmdUI state(pane.nID, pane.label);
            state.DoUpdate(pTarget, FALSE);
        }
    }
}
