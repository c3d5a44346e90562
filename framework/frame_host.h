// The QMainWindow that stands for a frame window: turns a close request into WM_CLOSE.
// Used by CFrameWnd only; the frame owns it.
#pragma once

#include <QCloseEvent>
#include <QMainWindow>

#include "wnd.h"

class CFrameHost : public QMainWindow {
public:
    explicit CFrameHost(CWnd* owner) : m_owner(owner) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        // The frame decides: its WM_CLOSE handling destroys the window when it agrees.
        event->ignore();
        m_owner->SendMessage(WM_CLOSE);
    }

private:
    CWnd* m_owner;
};
