// The main frame: the window around the traffic view, with its toolbar and status bar.
// Created by the document template; its bars live as long as it does.
#pragma once

#include "frame_wnd.h"
#include "status_bar.h"
#include "tool_bar.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
    CMainFrame() = default;

    int OnCreate(LPCREATESTRUCT lpCreateStruct);

    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;

    DECLARE_MESSAGE_MAP()
};
