#include "key_state.h"

#include <QGuiApplication>

#include <chrono>

#include "resources.h"

#if defined(AFX_HAVE_XKB) && QT_CONFIG(xcb)
#define USE_XKB 1
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

#ifdef USE_XKB
namespace {

// Indicator numbers differ between keyboard maps; their names do not. The numbers are looked
// up once per display, and one request then answers all three keys: each update of the panes asks
// for the three in a row, and every request is a round trip to the server.
class LockIndicators {
public:
    // The indicator state of the core keyboard, at most kReuse old; false when unknown.
    // `which` counts kNames.
    bool IsOn(Display* display, int which) {
        if (display != m_pDisplay) {
            m_pDisplay = display;
            m_bResolved = false;
            m_bValid = false;
        }
        if (!m_bResolved) {
            Resolve();
        }
        const int index = m_nIndex[which];
        if (index < 0) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!m_bValid || now - m_readAt > kReuse) {
            unsigned int state = 0;
            m_bValid = XkbGetIndicatorState(display, XkbUseCoreKbd, &state) == Success;
            m_nState = state;
            m_readAt = now;
            // A failed read may mean a new keyboard map: look the numbers up again.
            m_bResolved = m_bValid;
        }
        return m_bValid && (m_nState & (1u << index)) != 0;
    }

private:
    static constexpr std::chrono::milliseconds kReuse{20};
    static constexpr const char* kNames[] = {"Caps Lock", "Num Lock", "Scroll Lock"};

    void Resolve() {
        for (int i = 0; i < 3; ++i) {
            m_nIndex[i] = -1;
            const Atom atom = XInternAtom(m_pDisplay, kNames[i], True);
            int index = -1;
            if (atom != None &&
                XkbGetNamedIndicator(m_pDisplay, atom, &index, nullptr, nullptr, nullptr) &&
                index >= 0 && index < 32) {
                m_nIndex[i] = index;
            }
        }
        m_bResolved = true;
    }

    Display* m_pDisplay = nullptr;
    bool m_bResolved = false;
    bool m_bValid = false;
    int m_nIndex[3] = {-1, -1, -1};
    unsigned int m_nState = 0;
    std::chrono::steady_clock::time_point m_readAt;
};

}  // namespace
#endif

short GetKeyState(int nVirtKey) {
#ifdef USE_XKB
    int which = 0;
    switch (nVirtKey) {
        case VK_CAPITAL:
            which = 0;
            break;
        case VK_NUMLOCK:
            which = 1;
            break;
        case VK_SCROLL:
            which = 2;
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
    static LockIndicators indicators;
    return indicators.IsOn(display, which) ? 1 : 0;
#else
    (void)nVirtKey;
    return 0;
#endif
}
