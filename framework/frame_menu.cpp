// The frame's menu bar and accelerators, built from the program's resource tables.
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>
#include <vector>

#include "action_cmd_ui.h"
#include "frame_wnd.h"
#include "resources.h"
#include "standard_ids.h"
#include "virtual_keys.h"

namespace {

QKeySequence KeyOf(const ACCEL& accel) {
    int key = accel.key;
    if (accel.key >= VK_F1 && accel.key < VK_F1 + 24) {
        key = Qt::Key_F1 + (accel.key - VK_F1);
    } else if (accel.key == VK_BACK) {
        key = Qt::Key_Backspace;
    } else if (accel.key == VK_DELETE) {
        key = Qt::Key_Delete;
    } else if (accel.key == VK_INSERT) {
        key = Qt::Key_Insert;
    }
    Qt::KeyboardModifiers modifiers;
    if ((accel.fVirt & FCONTROL) != 0) {
        modifiers |= Qt::ControlModifier;
    }
    if ((accel.fVirt & FSHIFT) != 0) {
        modifiers |= Qt::ShiftModifier;
    }
    if ((accel.fVirt & FALT) != 0) {
        modifiers |= Qt::AltModifier;
    }
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

}  // namespace

namespace glue {
namespace {

// Windows shows the prompt of any item under the pointer, greyed ones too; Qt's hovered()
// skips those, so the pointer is followed here as well.
class PromptFilter : public QObject {
public:
    PromptFilter(CFrameWnd* frame, QMenu* menu) : QObject(menu), m_pFrame(frame) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseMove) {
            auto* menu = static_cast<QMenu*>(watched);
            QAction* action =
                menu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (action != nullptr && action != m_pLast) {
                m_pFrame->SetMessageText(action->isSeparator() ? 0U : action->data().toUInt());
            }
            m_pLast = action;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CFrameWnd* m_pFrame;
    QAction* m_pLast = nullptr;
};

}  // namespace
}  // namespace glue

void CFrameWnd::LoadMenuBar(UINT nIDResource) {
    const glue::Menu* menu = glue::FindMenu(nIDResource);
    auto* host = static_cast<QMainWindow*>(GetSafeHwnd());
    if (menu == nullptr) {
        return;
    }
    QMenuBar* menuBar = host->menuBar();
    for (const glue::Popup& popup : menu->popups) {
        QMenu* pMenu = menuBar->addMenu(QString::fromUtf8(popup.lpszText));
        for (const glue::MenuItem& item : popup.items) {
            if ((item.nFlags & MF_SEPARATOR) != 0) {
                pMenu->addSeparator();
                continue;
            }
            // The text after "\t" is what QMenu shows as the shortcut; the accelerator
            // table, not the item, makes the key work.
            QAction* action = pMenu->addAction(QString::fromUtf8(item.lpszText));
            action->setData(item.nID);
            action->setEnabled((item.nFlags & MF_GRAYED) == 0);
        }
        // Per menu, not per item: the recent-file list adds items of its own.
        QObject::connect(pMenu, &QMenu::triggered, host, [this](QAction* action) {
            SendMessage(WM_COMMAND, action->data().toUInt());
        });
        QObject::connect(pMenu, &QMenu::aboutToShow, host,
                         [this, pMenu] { OnInitMenuPopup(pMenu); });
        pMenu->installEventFilter(new glue::PromptFilter(this, pMenu));
        QObject::connect(pMenu, &QMenu::hovered, host,
                         [this](QAction* action) { SetMessageText(action->data().toUInt()); });
        QObject::connect(pMenu, &QMenu::aboutToHide, host,
                         [this] { SetMessageText(AFX_IDS_IDLEMESSAGE); });
    }
}

void CFrameWnd::OnInitMenuPopup(QMenu* pPopup) {
    // Guarded: an update handler may remove items (the recent-file list does).
    std::vector<QPointer<QAction>> actions;
    for (QAction* action : pPopup->actions()) {
        actions.emplace_back(action);
    }
    for (const QPointer<QAction>& action : actions) {
        if (action != nullptr && !action->isSeparator()) {
            glue::ActionCmdUI state(pPopup, action);
            state.DoUpdate(this);
        }
    }
}

void CFrameWnd::LoadAccelTable(UINT nIDResource) {
    const glue::AccelTable* table = glue::FindAccelerators(nIDResource);
    if (table == nullptr) {
        return;
    }
    for (const ACCEL& accel : table->entries) {
        auto* shortcut = new QShortcut(KeyOf(accel), GetSafeHwnd());
        const UINT nID = accel.cmd;
        // As on Windows, a key whose command is disabled does nothing.
        QObject::connect(shortcut, &QShortcut::activated, GetSafeHwnd(), [this, nID] {
            CCmdUI state(nID);
            state.m_bEnabled = true;
            state.DoUpdate(this);
            if (state.m_bEnabled) {
                SendMessage(WM_COMMAND, nID);
            }
        });
    }
}
