#include "wnd.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPainter>
#include <QRegion>
#include <QTimer>

#include <algorithm>

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {
// Per thread, as on Windows: a handler reached by routing, not by its own window's
// SendMessage, still sees which command it runs for.
thread_local MSG t_currentMessage;

// Bands as tall as the rows that differ and as wide as what differs in them, joined and added
// top to bottom: a region grows cheaply only below itself, and a pass's texts and shapes share
// their rows.
QRegion Bands(std::vector<QRect> changed) {
    std::sort(changed.begin(), changed.end(),
              [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
    QRegion bands;
    for (std::size_t i = 0; i < changed.size();) {
        QRect band = changed[i];
        for (++i; i < changed.size() && changed[i].top() <= band.bottom() + 1; ++i) {
            band = band.united(changed[i]);
        }
        bands += band;
    }
    return bands;
}

}  // namespace

struct CWnd::MessageFrame {
    CWnd* wnd;  // null once the window is destroyed inside its message
    MessageFrame* outer;
    bool commitDue = false;  // the message changed the display list and has not drawn since
};

thread_local CWnd::MessageFrame* CWnd::t_messages = nullptr;

CWnd::CWnd() = default;

CWnd::~CWnd() {
    for (MessageFrame* frame = t_messages; frame != nullptr; frame = frame->outer) {
        if (frame->wnd == this) {
            frame->wnd = nullptr;
        }
    }
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
    if (m_hWnd == nullptr || !m_hWnd->isVisible() || OwnMessage() != nullptr) {
        return;
    }
    CommitSurface();
    m_hWnd->repaint();
}

// The window's pixels follow from its display list alone, so the rectangle needs no paint of
// its own: whatever the invalidation changes, the commit finds.
void CWnd::InvalidateRect(LPCRECT /*lpRect*/, BOOL bErase) {
    if (bErase) {
        m_surface.clear();
    }
    if (MessageFrame* frame = OwnMessage()) {
        frame->commitDue = true;  // committed by ReleaseDC or when the message ends
    } else {
        ScheduleCommit();
    }
}

void CWnd::GetClientRect(LPRECT lpRect) const {
    *lpRect = {0, 0, 0, 0};
    if (m_hWnd != nullptr) {
        lpRect->right = m_hWnd->width();
        lpRect->bottom = m_hWnd->height();
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
    m_pDC = std::make_unique<CDC>(&m_surface, m_hWnd != nullptr ? m_hWnd->font() : QFont());
    return m_pDC.get();
}

int CWnd::ReleaseDC(CDC* pDC) {
    if (pDC == nullptr || pDC != m_pDC.get()) {
        return 0;
    }
    m_pDC.reset();
    CommitSurface();
    return 1;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const MSG saved = t_currentMessage;
    MessageFrame frame{this, t_messages};
    t_messages = &frame;
    t_currentMessage = {message, wParam, lParam};
    const LRESULT result = WindowProc(message, wParam, lParam);
    t_currentMessage = saved;
    t_messages = frame.outer;
    if (frame.wnd != nullptr && frame.commitDue) {
        frame.wnd->CommitSurface();
    }
    return result;
}

CWnd::MessageFrame* CWnd::OwnMessage() const {
    for (MessageFrame* frame = t_messages; frame != nullptr; frame = frame->outer) {
        if (frame->wnd == this) {
            return frame;
        }
    }
    return nullptr;
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
            (this->*glue::HandlerAs<void (CWnd::*)(UINT_PTR)>(entry->pfn))(wParam);
            return 0;
        case AfxSig_is:
            return (this->*glue::HandlerAs<int (CWnd::*)(LPCREATESTRUCT)>(entry->pfn))(
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

std::vector<DrawnItem> CWnd::ClientItems() {
    std::vector<DrawnItem> items;
    CDC clientDC(&items, m_hWnd != nullptr ? m_hWnd->font() : QFont());
    OnPaintClient(&clientDC);
    return items;
}

bool CWnd::IsShown(const std::vector<DrawnItem>& clientItems) const {
    return m_surface.size() + clientItems.size() == m_shown.size() &&
           std::equal(m_surface.begin(), m_surface.end(), m_shown.begin()) &&
           std::equal(clientItems.begin(), clientItems.end(), m_shown.begin() + m_surface.size());
}

void CWnd::ScheduleCommit() {
    if (m_hWnd == nullptr || m_bCommitDue) {
        return;
    }
    if (m_pCommitContext == nullptr) {
        m_pCommitContext = std::make_unique<QObject>();
    }
    m_bCommitDue = true;
    QMetaObject::invokeMethod(
        m_pCommitContext.get(), [this] { CommitSurface(); }, Qt::QueuedConnection);
}

// Runs once a timer tick and once a paint. Changes need bench/.
void CWnd::CommitSurface() {
    m_bCommitDue = false;
    for (MessageFrame* frame = t_messages; frame != nullptr; frame = frame->outer) {
        if (frame->wnd == this) {
            frame->commitDue = false;
        }
    }
    if (m_hWnd == nullptr) {
        return;
    }
    std::vector<DrawnItem> clientItems = ClientItems();
    if (IsShown(clientItems)) {
        return;
    }
    std::vector<DrawnItem> items = m_surface;
    items.insert(items.end(), clientItems.begin(), clientItems.end());
    // Items compare in drawing order: a pass that draws the same rows again differs only where
    // a text or a shape changed.
    const QFontMetrics metrics = m_hWnd->fontMetrics();
    const int width = m_hWnd->width();
    std::vector<QRect> changed;
    for (std::size_t i = 0; i < std::max(items.size(), m_shown.size()); ++i) {
        if (i < items.size() && i < m_shown.size() && items[i] == m_shown[i]) {
            continue;
        }
        if (i < m_shown.size()) {
            changed.push_back(glue::ItemBounds(m_shown[i], width, metrics));
        }
        if (i < items.size()) {
            changed.push_back(glue::ItemBounds(items[i], width, metrics));
        }
    }
    m_shown = std::move(items);
    m_hWnd->update(Bands(std::move(changed)));
}

void CWnd::PaintWidget(QPainter& painter, const QRegion& area) {
    const QFontMetrics metrics(painter.font());
    const QColor background =
        m_hWnd != nullptr ? m_hWnd->palette().color(QPalette::Base) : Qt::white;
    const QRect outline = area.boundingRect();
    const int width = m_hWnd != nullptr ? m_hWnd->width() : outline.right() + 1;
    // The bands of a tick lie apart: what lies between them is left alone.
    auto replay = [&](const std::vector<DrawnItem>& items) {
        for (const DrawnItem& item : items) {
            const QRect bounds = glue::ItemBounds(item, width, metrics);
            if (bounds.intersects(outline) && area.intersects(bounds)) {
                glue::PaintItem(painter, metrics, item, background);
            }
        }
    };
    replay(m_surface);
    const std::vector<DrawnItem> clientItems = ClientItems();
    replay(clientItems);
    // A paint that comes before the commit (a nested event loop inside a handler that erased)
    // shows a list the screen does not hold elsewhere: have the rest brought up to date too.
    if (!IsShown(clientItems)) {
        ScheduleCommit();
    }
}
