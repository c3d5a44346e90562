#include "doc_template.h"

#include "document.h"
#include "frame_wnd.h"
#include "resources.h"
#include "standard_ids.h"
#include "win_app.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass,
                           const CRuntimeClass* pFrameClass, const CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource),
      m_pDocClass(pDocClass),
      m_pFrameClass(pFrameClass),
      m_pViewClass(pViewClass) {}

void CDocTemplate::RemoveDocument(CDocument* pDoc) {
    pDoc->m_pDocTemplate = nullptr;
}

CDocument* CDocTemplate::CreateNewDocument() {
    auto* document = dynamic_cast<CDocument*>(m_pDocClass->CreateObject());
    if (document != nullptr) {
        document->m_pDocTemplate = this;
    }
    return document;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc) {
    CCreateContext context{m_pViewClass, pDoc, this};
    auto* frame = dynamic_cast<CFrameWnd*>(m_pFrameClass->CreateObject());
    if (frame == nullptr) {
        return nullptr;
    }
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
        delete frame;
        return nullptr;
    }
    return frame;
}

void CDocTemplate::SetDefaultTitle(CDocument* pDocument) {
    CString title = glue::LoadStringField(m_nIDResource, 1);  // the document-name field
    if (title.IsEmpty()) {
        AfxLoadString(AFX_IDS_UNTITLED, title);
    }
    pDocument->SetTitle(title);
}

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, const CRuntimeClass* pDocClass,
                                       const CRuntimeClass* pFrameClass,
                                       const CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    if (m_pOnlyDoc != nullptr) {
        m_pOnlyDoc->m_pDocTemplate = nullptr;
    }
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
    CDocTemplate::RemoveDocument(pDoc);
    if (m_pOnlyDoc == pDoc) {
        m_pOnlyDoc = nullptr;
    }
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCSTR lpszPathName, BOOL bMakeVisible) {
    CDocument* document = m_pOnlyDoc;
    CFrameWnd* frame = nullptr;
    const bool created = document == nullptr;
    if (created) {
        document = CreateNewDocument();
        if (document == nullptr) {
            return nullptr;
        }
        frame = CreateNewFrame(document);
        if (frame == nullptr) {
            delete document;
            return nullptr;
        }
        m_pOnlyDoc = document;
    } else if (!document->GetViews().empty()) {
        frame = dynamic_cast<CFrameWnd*>(AfxGetApp()->m_pMainWnd);
    }

    if (lpszPathName == nullptr) {
        SetDefaultTitle(document);
        if (!document->OnNewDocument()) {
            if (created) {
                document->OnCloseDocument();
            }
            return nullptr;
        }
    } else {
        if (!document->OnOpenDocument(lpszPathName)) {
            if (created) {
                document->OnCloseDocument();
            }
            return nullptr;
        }
        document->SetPathName(lpszPathName);
    }

    CWinApp* app = AfxGetApp();
    if (created && app != nullptr && app->m_pMainWnd == nullptr) {
        app->m_pMainWnd = frame;
    }
    if (created && frame != nullptr) {
        frame->InitialUpdateFrame(document, bMakeVisible);
    }
    return document;
}
