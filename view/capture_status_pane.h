// While captures run, the status bar's message pane says what they record, once a second, in
// place of the idle text, and its tooltip gives the whole breakdown; once none runs, the idle
// text is back. A member of the view; user-interface thread only.
#pragma once

#include "capture_status_text.h"
#include "cstring.h"

class CFrameWnd;

class CCaptureStatusPane {
public:
    // Shows the running captures' figures (null: that capture does not run) in pFrame's
    // status bar; a menu or toolbar prompt being shown is left alone until it goes.
    // Does nothing when pFrame has no status bar.
    void Update(CFrameWnd* pFrame, const CaptureStatusFigures* pUnicast,
                const CaptureStatusFigures* pMulticast);

private:
    CCaptureStatusText m_unicast;
    CCaptureStatusText m_multicast;
    CString m_strShown;  // the line this pane last set; empty while the pane is the frame's
};
