// One user-interface item (menu item, toolbar button) asked whether its command is enabled.
// Used by command routing; the item's owner applies the answer.
#pragma once

#include "win_types.h"

class CCmdUI {
public:
    explicit CCmdUI(UINT nID) : m_nID(nID) {}
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL bOn = TRUE) {
        m_bEnabled = bOn != FALSE;
        m_bEnableChanged = true;
    }
    virtual void SetCheck(int nCheck = 1) { m_nCheck = nCheck; }

    UINT m_nID;
    bool m_bEnabled = false;
    bool m_bEnableChanged = false;
    int m_nCheck = -1;  // -1: never set
};
