// The base of every class with a message map: finds and calls command handlers.
// Used by windows, documents and the application; user-interface thread only.
#pragma once

#include "message_map.h"

class CCmdUI;

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // Calls this object's handler for command nID (nCode CN_COMMAND, or a control
    // notification), or its update handler (CN_UPDATE_COMMAND_UI, pExtra a CCmdUI*).
    // Returns TRUE when a map entry handled it; an update with no update handler but
    // a command handler enables the item and counts as handled.
    virtual BOOL OnCmdMsg(UINT nID, UINT nCode, void* pExtra);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
