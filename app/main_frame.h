// The main frame: the window around the traffic view, with its toolbar and status bar.
// Created by the document template; its bars and the log writer's thread live as long as it does.
#pragma once

#include "frame_wnd.h"
#include "status_bar.h"
#include "stream_writer.h"
#include "tool_bar.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Stops the log stream writer first, so that closing ends it and its file at once.
    BOOL DestroyWindow() override;

protected:
    CMainFrame() = default;

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnTestListVector();
    void OnTestCregkey();

    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CStreamWriterThread m_streamWriter;

    DECLARE_MESSAGE_MAP()
};
