// A toolbar: buttons from the program's toolbar table and bitmap, each sending its command.
// A member of the main frame; the button's prompt goes to the frame's status bar (fly-by).
#pragma once

#include "control_bar.h"
#include "standard_ids.h"

class QAction;

inline constexpr DWORD TBSTYLE_FLAT = 0x0800;

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    CToolBar() = default;

    // Returns FALSE when pParentWnd is not a frame with a window, or the bar already exists.
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                  RECT rcBorders = {0, 0, 0, 0}, UINT nID = AFX_IDW_TOOLBAR);
    // Returns FALSE, adding nothing, when the toolbar table or its bitmap is missing or the
    // bitmap holds fewer images than the table has buttons.
    BOOL LoadToolBar(UINT nIDResource);

    void OnUpdateCmdUI(CFrameWnd* pTarget) override;

private:
    void AddButton(UINT nID, const QPixmap& image);
};
