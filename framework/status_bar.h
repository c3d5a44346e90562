// The status bar: a message pane for prompts and key-state panes, from an array of pane ids.
// A member of the main frame; the frame writes the message pane and updates the panes on idle.
#pragma once

#include <vector>

#include "control_bar.h"
#include "standard_ids.h"

class QLabel;

class CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)
public:
    CStatusBar() = default;

    // Returns FALSE when pParentWnd is not a frame with a window, or the bar already exists.
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per id; ID_SEPARATOR makes the stretching message pane, any other id shows its
    // string. Returns FALSE, with no panes, when an id other than ID_SEPARATOR has no string.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

    int GetCount() const { return static_cast<int>(m_panes.size()); }
    BOOL SetPaneText(int nIndex, LPCSTR lpszNewText);
    CString GetPaneText(int nIndex) const;

    void OnUpdateCmdUI(CFrameWnd* pTarget) override;

private:
    struct Pane {
        UINT nID;
        QLabel* label;
    };
    std::vector<Pane> m_panes;
};
