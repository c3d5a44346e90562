// A view: the frame's client window that shows a document.
// The program's view derives from it; created by the frame from a run-time class.
#pragma once

#include "wnd.h"

class CDocument;
struct CCreateContext;

struct CPrintInfo {
    UINT m_nCurPage = 1;
    BOOL m_bPreview = FALSE;
};

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    // Makes this view's widget the client of pParent and attaches it to the context's document.
    BOOL Create(CWnd* pParentWnd, CCreateContext* pContext);

    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual void OnInitialUpdate();
    virtual void OnDraw(CDC* pDC) = 0;
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    // The view first, then its document (which tries its template).
    BOOL OnCmdMsg(UINT nID, UINT nCode, void* pExtra) override;

protected:
    CView();
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    void OnPaintClient(CDC* pDC) override { OnDraw(pDC); }

    CDocument* m_pDocument = nullptr;
    CWnd* m_pParentFrame = nullptr;

    friend class CDocument;
    DECLARE_MESSAGE_MAP()
};
