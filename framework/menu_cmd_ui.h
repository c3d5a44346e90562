// A menu item asked whether its command is enabled or checked, as its pop-up opens.
// Used by the frame's menu bar and by the recent-file list, which rewrites its items.
#pragma once

#include <QAction>
#include <QMenu>

#include "cmd_ui.h"

class CMenuCmdUI : public CCmdUI {
public:
    CMenuCmdUI(QMenu* menu, QAction* action)
        : CCmdUI(action->data().toUInt()), m_pMenu(menu), m_pAction(action) {}

    void Enable(BOOL bOn) override {
        CCmdUI::Enable(bOn);
        m_pAction->setEnabled(bOn != FALSE);
    }
    void SetCheck(int nCheck) override {
        CCmdUI::SetCheck(nCheck);
        m_pAction->setCheckable(true);
        m_pAction->setChecked(nCheck != 0);
    }

    QMenu* m_pMenu;
    QAction* m_pAction;
};
