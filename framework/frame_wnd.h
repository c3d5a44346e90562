// The main frame: a QMainWindow with the menu, accelerators and bars of its resource id, whose
// client is the view. The program's frame derives from it; the frame routes commands to the
// view, the document, itself and the application, and enables their items the same way.
#pragma once

#include <vector>

#include "wnd.h"

struct CCreateContext;
class CControlBar;
class CDocument;
class CView;
class QMenu;
class QTimer;

inline constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
inline constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

class CFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the window from resource nIDResource (caption from its string's first field,
    // menu, accelerators, icon), calling PreCreateWindow, then WM_CREATE. Returns FALSE, with
    // no window, on failure.
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);

    CView* GetActiveView() const { return m_pViewActive; }
    CDocument* GetActiveDocument() const;
    // Runs the view's initial update, sets the caption and shows the frame if asked.
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);

    // The sides bars may dock to (CBRS_ALIGN_*).
    void EnableDocking(DWORD dwDockStyle);
    // Docks pBar on the first side its style and its docking allow; nDockBarID and
    // lpRect are accepted for the callers' sake and not used.
    void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
    CControlBar* GetControlBar(UINT nID) const;
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);

    // The status bar's message pane: a text, or the prompt of command nID (its string up to
    // "\n"; empty when it has none; the whole string for AFX_IDS_IDLEMESSAGE).
    void SetMessageText(LPCSTR lpszText);
    void SetMessageText(UINT nID);

    // Asks the routing about every toolbar button and status pane.
    void OnIdleUpdateCmdUI();
    // Has OnIdleUpdateCmdUI run once the event loop has nothing else to do. The frame asks for
    // it after each message it handles and after input, timer, socket and activation events.
    void RequestIdleUpdate();

    // Routing order: the active view (which tries its document, then the document's
    // template), then this frame's own map, then the application.
    BOOL OnCmdMsg(UINT nID, UINT nCode, void* pExtra) override;
    BOOL DestroyWindow() override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    void OnClose();
    BOOL OnBarCheck(UINT nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    BOOL OnNextPaneCmd(UINT nID);

    CView* m_pViewActive = nullptr;
    CString m_strTitle;

    DECLARE_MESSAGE_MAP()

private:
    // In frame_menu.cpp: the menu bar and accelerators of resource nIDResource.
    void LoadMenuBar(UINT nIDResource);
    void LoadAccelTable(UINT nIDResource);
    void OnInitMenuPopup(QMenu* pPopup);

    std::vector<CControlBar*> m_listControlBars;
    DWORD m_dwDockStyle = 0;
    QTimer* m_pIdleTimer = nullptr;   // single shot: the pending idle update
    QObject* m_pIdleWatch = nullptr;  // the application's event filter that requests it
};
