#include "tool_bar.h"

#include <QAction>
#include <QBitmap>
#include <QEvent>
#include <QToolBar>
#include <QToolButton>

#include "action_cmd_ui.h"
#include "frame_wnd.h"
#include "resources.h"
#include "standard_ids.h"

namespace glue {
namespace {

// The prompt shows while the pointer rests on a button, as with a menu item.
class FlyByFilter : public QObject {
public:
    FlyByFilter(CFrameWnd* frame, UINT nID, QObject* parent)
        : QObject(parent), m_pFrame(frame), m_nID(nID) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Enter) {
            m_pFrame->SetMessageText(m_nID);
        } else if (event->type() == QEvent::Leave) {
            m_pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CFrameWnd* m_pFrame;
    UINT m_nID;
};

}  // namespace
}  // namespace glue

namespace {

// Toolbar bitmaps paint their background light grey; it stands for the button face.
constexpr QRgb kButtonFace = qRgb(192, 192, 192);

}  // namespace

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD /*dwCtrlStyle*/, DWORD dwStyle, RECT /*rcBorders*/,
                        UINT nID) {
    auto* toolBar = new QToolBar;
    toolBar->setObjectName(QStringLiteral("toolbar%1").arg(nID));
    if (!CreateBar(pParentWnd, toolBar, dwStyle, nID)) {
        return FALSE;
    }
    toolBar->setParent(m_pDockSite->GetSafeHwnd());
    toolBar->setMovable((dwStyle & CBRS_GRIPPER) != 0);
    toolBar->setFloatable(false);
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // A hidden bar must not hide itself again through the toolbar's own context menu.
    toolBar->toggleViewAction()->setVisible(false);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    auto* toolBar = qobject_cast<QToolBar*>(GetSafeHwnd());
    const glue::ToolBarLayout* table = glue::FindToolBar(nIDResource);
    if (toolBar == nullptr || table == nullptr) {
        return FALSE;
    }
    QPixmap strip = glue::LoadBitmap(nIDResource);
    long buttons = 0;
    for (UINT id : table->items) {
        buttons += id != ID_SEPARATOR ? 1 : 0;
    }
    if (strip.isNull() || strip.width() < buttons * table->nButtonWidth ||
        strip.height() < table->nButtonHeight) {
        return FALSE;
    }
    strip.setMask(strip.createMaskFromColor(kButtonFace, Qt::MaskInColor));
    toolBar->setIconSize(QSize(table->nButtonWidth, table->nButtonHeight));
    int image = 0;
    for (UINT id : table->items) {
        if (id == ID_SEPARATOR) {
            toolBar->addSeparator();
            continue;
        }
        AddButton(id, strip.copy(image * table->nButtonWidth, 0, table->nButtonWidth,
                                 table->nButtonHeight));
        ++image;
    }
    return TRUE;
}

void CToolBar::AddButton(UINT nID, const QPixmap& image) {
    auto* toolBar = static_cast<QToolBar*>(GetSafeHwnd());
    // No text: Qt would show an action's text as the tooltip of a button without one.
    auto* action = toolBar->addAction(QIcon(image), QString());
    action->setData(nID);
    CFrameWnd* frame = m_pDockSite;
    QObject::connect(action, &QAction::triggered, toolBar,
                     [frame, nID] { frame->SendMessage(WM_COMMAND, nID); });
    QWidget* button = toolBar->widgetForAction(action);
    if ((m_dwStyle & CBRS_TOOLTIPS) != 0) {
        const CString tip = glue::LoadStringField(nID, 1);
        action->setToolTip(QString::fromUtf8(tip.str()));
        button->setToolTip(QString::fromUtf8(tip.str()));
    }
    if ((m_dwStyle & CBRS_FLYBY) != 0) {
        button->installEventFilter(new glue::FlyByFilter(frame, nID, button));
    }
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget) {
    auto* toolBar = qobject_cast<QToolBar*>(GetSafeHwnd());
    if (toolBar == nullptr) {
        return;
    }
    for (QAction* action : toolBar->actions()) {
        if (!action->isSeparator()) {
            glue::ActionCmdUI state(nullptr, action);
            state.DoUpdate(pTarget);
        }
    }
}
