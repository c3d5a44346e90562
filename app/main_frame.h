// The main frame: the window around the traffic view.
#pragma once

#include "frame_wnd.h"

class CMainFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

protected:
    CMainFrame() = default;

    DECLARE_MESSAGE_MAP()
};
