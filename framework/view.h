// A view: the frame's client window that shows a document.
// The program's view derives from it; created by the frame from a run-time class.
#pragma once

#include "wnd.h"

class CDocument;
class QPrinter;
struct CCreateContext;

struct CPrintInfo {
    UINT m_nCurPage = 1;
    UINT m_nMaxPage = 1;
    BOOL m_bPreview = FALSE;
    BOOL m_bDirect = FALSE;  // print without asking (print direct)
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

    // For derived views' maps. In view_print.cpp: print (with the print dialog, or direct for
    // ID_FILE_PRINT_DIRECT) and print preview, each page drawn by OnDraw.
    void OnFilePrint();
    void OnFilePrintPreview();

protected:
    CView();
    // Shows the print dialog unless the job is direct or a preview; FALSE when cancelled.
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    void PrintPages(QPrinter* printer, CPrintInfo* pInfo);
    void OnPaintClient(CDC* pDC) override { OnDraw(pDC); }

    CDocument* m_pDocument = nullptr;
    CWnd* m_pParentFrame = nullptr;

    friend class CDocument;
    DECLARE_MESSAGE_MAP()
};
