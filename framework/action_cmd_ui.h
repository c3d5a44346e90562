// A menu item or toolbar button asked whether its command is enabled or checked.
// Used by the frame's menu bar, the toolbar and the recent-file list, which rewrites items.
#pragma once

#include <QAction>
#include <QMenu>

#include "cmd_ui.h"

namespace glue {

class ActionCmdUI : public CCmdUI {
public:
    ActionCmdUI(QMenu* menu, QAction* action)
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

    QMenu* m_pMenu;  // the pop-up holding the item; null for a toolbar button
    QAction* m_pAction;
};

}  // namespace glue
