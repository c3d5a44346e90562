#include "gdi_objects.h"

#include <QGuiApplication>
#include <QPalette>

COLORREF GetSysColor(int nIndex) {
    // A view's background is the palette's base colour (see CView::Create).
    QColor color = Qt::black;
    if (nIndex == COLOR_WINDOW) {
        color = QGuiApplication::palette().color(QPalette::Base);
    } else if (nIndex == COLOR_WINDOWTEXT) {
        color = QGuiApplication::palette().color(QPalette::Text);
    }
    return RGB(static_cast<BYTE>(color.red()), static_cast<BYTE>(color.green()),
               static_cast<BYTE>(color.blue()));
}
