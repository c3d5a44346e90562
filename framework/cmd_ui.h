// One user-interface item (menu item, toolbar button, status pane) asked whether its command is
// enabled. Used by command routing; each kind of item derives and applies the answer to itself.
#pragma once

#include "cmd_target.h"

class CCmdUI {
public:
    explicit CCmdUI(UINT nID) : m_nID(nID) {}
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL bOn = TRUE) {
        m_bEnabled = bOn != FALSE;
        m_bEnableChanged = true;
    }
    virtual void SetCheck(int nCheck = 1) { m_nCheck = nCheck; }

    // Asks pTarget's routing; an item that nobody answers for is disabled.
    void DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler = TRUE) {
        m_bEnableChanged = false;
        const BOOL handled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
        if (bDisableIfNoHandler && !handled && !m_bEnableChanged) {
            Enable(FALSE);
        }
    }

    UINT m_nID;
    bool m_bEnabled = false;
    bool m_bEnableChanged = false;
    int m_nCheck = -1;  // -1: never set
};
