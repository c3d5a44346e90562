// The QMainWindow that stands for a frame window: turns a close request into WM_CLOSE and
// keeps the outer size the frame asked for once the window manager has added its decorations.
// Used by CFrameWnd only; the frame owns it.
#pragma once

#include <QCloseEvent>
#include <QMainWindow>
#include <QTimer>

#include "wnd.h"

namespace glue {

class FrameHost : public QMainWindow {
public:
    explicit FrameHost(CWnd* owner) : m_owner(owner) {}

    // Sizes the window so that, decorations included, it is `outer` big.
    void SetOuterSize(QSize outer) {
        m_outer = outer;
        resize(outer);
        // Decorations arrive some time after the window is mapped, or never (no manager).
        QTimer::singleShot(3000, this, [this] { m_outer = QSize(); });
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        // The frame decides: its WM_CLOSE handling destroys the window when it agrees.
        event->ignore();
        m_owner->SendMessage(WM_CLOSE);
    }

    bool event(QEvent* event) override {
        const auto type = event->type();
        if (type == QEvent::DeferredDelete) {
            return QMainWindow::event(event);  // deletes this
        }
        const bool result = QMainWindow::event(event);
        if (m_outer.isValid() && (type == QEvent::Show || type == QEvent::Move ||
                                  type == QEvent::Resize || type == QEvent::WindowStateChange)) {
            const QSize margins = frameGeometry().size() - geometry().size();
            if (margins.width() > 0 || margins.height() > 0) {
                const QSize client = m_outer - margins;
                m_outer = QSize();
                resize(client);
            }
        }
        return result;
    }

private:
    CWnd* m_owner;
    QSize m_outer;
};

}  // namespace glue
