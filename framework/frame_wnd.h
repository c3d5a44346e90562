// The main frame: a QMainWindow whose client is the view, with the window's caption.
// The program's frame derives from it; the frame routes commands to view, document, itself, app.
#pragma once

#include "wnd.h"

struct CCreateContext;
class CDocument;
class CView;

inline constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

class CFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the window from resource nIDResource (caption from its string's first field),
    // calling PreCreateWindow, then WM_CREATE. Returns FALSE, with no window, on failure.
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);

    CView* GetActiveView() const { return m_pViewActive; }
    CDocument* GetActiveDocument() const;
    // Runs the view's initial update, sets the caption and shows the frame if asked.
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);

    // Routing order: the active view (which tries its document, then the document's
    // template), then this frame's own map, then the application.
    BOOL OnCmdMsg(UINT nID, UINT nCode, void* pExtra) override;
    BOOL DestroyWindow() override;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    void OnClose();

    CView* m_pViewActive = nullptr;
    CString m_strTitle;

    DECLARE_MESSAGE_MAP()
};
