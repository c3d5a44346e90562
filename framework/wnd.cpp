#include "wnd.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {
// Per thread, as on Windows: a handler reached by routing, not by its own window's
// SendMessage, still sees which command it runs for.
thread_local MSG t_currentMessage;
}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
    for (auto& [id, timer] : m_timers) {
        delete timer;
    }
    if (m_bOwnsWidget) {
        delete m_hWnd.data();
    }
}

void CWnd::Attach(QWidget* widget) {
    m_hWnd = widget;
    m_bOwnsWidget = true;
}

void CWnd::SubclassWidget(QWidget* widget) {
    m_hWnd = widget;
    m_bOwnsWidget = false;
}

void CWnd::SetWindowText(LPCSTR lpszString) {
    const QString text = QString::fromUtf8(lpszString != nullptr ? lpszString : "");
    if (auto* edit = qobject_cast<QLineEdit*>(m_hWnd.data())) {
        edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(m_hWnd.data())) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(m_hWnd.data())) {
        button->setText(text);
    } else if (m_hWnd != nullptr) {
        m_hWnd->setWindowTitle(text);
    }
}

void CWnd::GetWindowText(CString& rString) const {
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(m_hWnd.data())) {
        text = edit->text();
    } else if (auto* label = qobject_cast<QLabel*>(m_hWnd.data())) {
        text = label->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(m_hWnd.data())) {
        text = button->text();
    } else if (m_hWnd != nullptr) {
        text = m_hWnd->windowTitle();
    }
    rString = text.toUtf8().toStdString();
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    const BOOL wasVisible = m_hWnd->isVisible();
    m_hWnd->setVisible(nCmdShow != SW_HIDE);
    return wasVisible;
}

void CWnd::UpdateWindow() {
    if (m_hWnd != nullptr && m_hWnd->isVisible()) {
        m_hWnd->repaint();
    }
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
    if (bErase) {
        m_surface.clear();
    }
    if (m_hWnd == nullptr) {
        return;
    }
    if (lpRect == nullptr) {
        m_hWnd->update();
    } else {
        m_hWnd->update(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                       lpRect->bottom - lpRect->top);
    }
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    if (m_hWnd == nullptr) {
        return;
    }
    m_hWnd->setGeometry(x, y, nWidth, nHeight);
    if (bRepaint) {
        m_hWnd->update();
    }
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void (* /*lpfnTimer*/)()) {
    if (m_hWnd == nullptr) {
        return 0;
    }
    QTimer*& timer = m_timers[nIDEvent];
    if (timer == nullptr) {
        timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, m_hWnd,
                         [this, nIDEvent] { SendMessage(WM_TIMER, nIDEvent); });
    }
    timer->start(static_cast<int>(nElapse));
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    const auto it = m_timers.find(nIDEvent);
    if (it == m_timers.end()) {
        return FALSE;
    }
    delete it->second;
    m_timers.erase(it);
    return TRUE;
}

CDC* CWnd::GetDC() {
    m_pDC = std::make_unique<CDC>(&m_surface);
    return m_pDC.get();
}

int CWnd::ReleaseDC(CDC* pDC) {
    if (pDC == nullptr || pDC != m_pDC.get()) {
        return 0;
    }
    m_pDC.reset();
    if (m_hWnd != nullptr) {
        m_hWnd->update();
    }
    return 1;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const MSG saved = t_currentMessage;
    t_currentMessage = {message, wParam, lParam};
    const LRESULT result = WindowProc(message, wParam, lParam);
    t_currentMessage = saved;
    return result;
}

const MSG* CWnd::GetCurrentMessage() {
    return &t_currentMessage;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    SendMessage(WM_DESTROY);
    for (auto& [id, timer] : m_timers) {
        delete timer;
    }
    m_timers.clear();
    m_hWnd->hide();
    m_hWnd->deleteLater();
    m_hWnd = nullptr;
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        return OnCmdMsg(static_cast<UINT>(wParam), CN_COMMAND, nullptr);
    }
    const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(GetMessageMap(), message, 0, 0);
    if (entry == nullptr) {
        return DefWindowProc(message, wParam, lParam);
    }
    switch (entry->nSig) {
        case AfxSig_vw:
            (this->*reinterpret_cast<void (CWnd::*)(UINT_PTR)>(entry->pfn))(wParam);
            return 0;
        case AfxSig_is:
            return (this->*reinterpret_cast<int (CWnd::*)(LPCREATESTRUCT)>(entry->pfn))(
                reinterpret_cast<LPCREATESTRUCT>(lParam));
        case AfxSig_vv:
            (this->*entry->pfn)();
            return 0;
        default:
            return DefWindowProc(message, wParam, lParam);
    }
}

LRESULT CWnd::DefWindowProc(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return 0;
}

LRESULT CWnd::Default() {
    return DefWindowProc(t_currentMessage.message, t_currentMessage.wParam,
                         t_currentMessage.lParam);
}

int CWnd::OnCreate(LPCREATESTRUCT /*lpCreateStruct*/) {
    return static_cast<int>(Default());
}

void CWnd::OnTimer(UINT_PTR /*nIDEvent*/) {
    Default();
}

void CWnd::PaintWidget(QPainter& painter) {
    const QFontMetrics metrics(painter.font());
    const QColor background =
        m_hWnd != nullptr ? m_hWnd->palette().color(QPalette::Base) : Qt::white;
    auto replay = [&](const std::vector<DrawnText>& items) {
        for (const DrawnText& item : items) {
            const QString text = QString::fromUtf8(item.text.str());
            if (item.opaque) {
                painter.fillRect(item.x, item.y, metrics.horizontalAdvance(text), metrics.height(),
                                 background);
            }
            painter.drawText(item.x, item.y + metrics.ascent(), text);
        }
    };
    replay(m_surface);
    std::vector<DrawnText> clientItems;
    CDC paintDC(&clientItems);
    OnPaintClient(&paintDC);
    replay(clientItems);
}
