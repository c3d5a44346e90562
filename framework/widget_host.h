// The QWidget that stands for a plain window or view: paints through its CWnd.
// Used by CWnd::Attach callers; the CWnd owns the widget and outlives its events.
#pragma once

#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include "wnd.h"

namespace glue {

class WidgetHost : public QWidget {
public:
    WidgetHost(CWnd* owner, QWidget* parent) : QWidget(parent), m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        m_owner->PaintWidget(painter, event->region());
    }

private:
    CWnd* m_owner;
};

}  // namespace glue
