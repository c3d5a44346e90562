#include "key_state.h"

#include <QGuiApplication>

#include "resources.h"

#if defined(AFX_HAVE_XKB) && QT_CONFIG(xcb)
#define USE_XKB 1
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

short GetKeyState(int nVirtKey) {
#ifdef USE_XKB
    const char* indicator = nullptr;
    switch (nVirtKey) {
        case VK_CAPITAL:
            indicator = "Caps Lock";
            break;
        case VK_NUMLOCK:
            indicator = "Num Lock";
            break;
        case VK_SCROLL:
            indicator = "Scroll Lock";
            break;
        default:
            return 0;
    }
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) {
        return 0;
    }
    // Indicator numbers differ between keyboard maps; their names do not.
    Bool on = False;
    const Atom name = XInternAtom(display, indicator, True);
    if (name == None || !XkbGetNamedIndicator(display, name, nullptr, &on, nullptr, nullptr)) {
        return 0;
    }
    return on ? 1 : 0;
#else
    (void)nVirtKey;
    return 0;
#endif
}
