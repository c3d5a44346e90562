#include "document.h"

#include <algorithm>

#include "doc_template.h"
#include "frame_wnd.h"
#include "view.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument() {
    if (m_pDocTemplate != nullptr) {
        m_pDocTemplate->RemoveDocument(this);
    }
}

void CDocument::SetTitle(LPCSTR lpszTitle) {
    m_strTitle = lpszTitle;
    UpdateFrameCounts();
}

void CDocument::SetPathName(LPCSTR lpszPathName) {
    m_strPathName = lpszPathName;
    const std::string& path = m_strPathName.str();
    const auto slash = path.find_last_of('/');
    SetTitle(slash == std::string::npos ? path.c_str() : path.c_str() + slash + 1);
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCSTR /*lpszPathName*/) {
    DeleteContents();
    return TRUE;
}

void CDocument::OnCloseDocument() {
    // Copy: destroying a frame removes its view from the list.
    const std::vector<CView*> views = m_viewList;
    for (CView* view : views) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(view->m_pParentFrame)) {
            frame->DestroyWindow();
        }
    }
    DeleteContents();
    delete this;
}

void CDocument::AddView(CView* pView) {
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    std::erase(m_viewList, pView);
    pView->m_pDocument = nullptr;
}

void CDocument::UpdateFrameCounts() {
    for (CView* view : m_viewList) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(view->m_pParentFrame)) {
            frame->OnUpdateFrameTitle(TRUE);
        }
    }
}

BOOL CDocument::OnCmdMsg(UINT nID, UINT nCode, void* pExtra) {
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra)) {
        return TRUE;
    }
    return m_pDocTemplate != nullptr && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra);
}
