#include "key_state.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>

#include <vector>

#if defined(HAVE_XKB) && QT_CONFIG(xcb)
#define USE_XKB 1
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace {

struct Listener {
    const void* owner;
    std::function<void()> changed;
};
std::vector<Listener> g_listeners;

void NotifyListeners() {
    const std::vector<Listener> listeners = g_listeners;  // a listener may remove itself
    for (const Listener& listener : listeners) {
        listener.changed();
    }
}

}  // namespace

void glue::AddKeyStateListener(const void* owner, std::function<void()> changed) {
    g_listeners.push_back({owner, std::move(changed)});
}

void glue::RemoveKeyStateListener(const void* owner) {
    std::erase_if(g_listeners,
                  [owner](const Listener& listener) { return listener.owner == owner; });
}

#ifdef USE_XKB
namespace {

// The lock indicators of the core keyboard. Every request is a round trip to the server, and
// the panes ask after every message: so the state is read once and kept until the server
// reports a change (it tells every client that asks, whichever window has the focus).
// Indicator numbers differ between keyboard maps; their names do not: the numbers are looked
// up again when the map changes.
class LockIndicators : public QAbstractNativeEventFilter {
public:
    // `which` counts kNames. False when the server does not tell.
    bool IsOn(Display* display, int which) {
        if (display != m_pDisplay) {
            Watch(display);
        }
        if (!m_bResolved) {
            Resolve();
        }
        const int index = m_nIndex[which];
        if (index < 0) {
            return false;
        }
        if (!m_bValid) {
            unsigned int state = 0;
            m_bValid = XkbGetIndicatorState(display, XkbUseCoreKbd, &state) == Success;
            m_nState = state;
            // A failed read may mean a new keyboard map; an unwatched state is read each time.
            m_bResolved = m_bValid;
            const bool valid = m_bValid;
            m_bValid = m_bValid && m_bWatching;
            return valid && (state & (1u << index)) != 0;
        }
        return (m_nState & (1u << index)) != 0;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message,
                           qintptr* /*result*/) override {
        if (!m_bWatching || eventType != "xcb_generic_event_t") {
            return false;
        }
        // An XKB event: its code is the extension's event base, its second byte the XKB type.
        const auto* bytes = static_cast<const unsigned char*>(message);
        if ((bytes[0] & 0x7f) != m_nEventBase) {
            return false;
        }
        switch (bytes[1]) {
            case XkbNewKeyboardNotify:
            case XkbMapNotify:
            case XkbIndicatorMapNotify:
            case XkbNamesNotify:
                m_bResolved = false;
                [[fallthrough]];
            case XkbStateNotify:
            case XkbIndicatorStateNotify:
                m_bValid = false;
                NotifyListeners();
                break;
            default:
                break;
        }
        return false;
    }

private:
    static constexpr const char* kNames[] = {"Caps Lock", "Num Lock", "Scroll Lock"};

    void Watch(Display* display) {
        m_pDisplay = display;
        m_bResolved = false;
        m_bValid = false;
        int opcode = 0;
        int error = 0;
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        m_bWatching = XkbQueryExtension(display, &opcode, &m_nEventBase, &error, &major, &minor) &&
                      XkbSelectEvents(display, XkbUseCoreKbd,
                                      XkbIndicatorStateNotifyMask | XkbIndicatorMapNotifyMask,
                                      XkbIndicatorStateNotifyMask | XkbIndicatorMapNotifyMask);
        if (m_bWatching && !m_bFiltering) {
            qApp->installNativeEventFilter(this);
            m_bFiltering = true;
        }
    }

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
    bool m_bWatching = false;
    bool m_bFiltering = false;
    int m_nEventBase = -1;
    bool m_bResolved = false;
    bool m_bValid = false;
    int m_nIndex[3] = {-1, -1, -1};
    unsigned int m_nState = 0;
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
