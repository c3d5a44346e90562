// A window: a QWidget driven through the framework's window calls and message map.
// Base of frames and views; user-interface thread only. The CWnd owns its widget.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "cmd_target.h"
#include "dc.h"
#include "window_types.h"

class QPainter;
class QRegion;
class QTimer;

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    QWidget* GetSafeHwnd() const { return m_hWnd; }
    // Binds this object to a widget that another window owns (a dialog's control).
    void SubclassWidget(QWidget* widget);

    // The text of an edit, label or button; the caption of a top-level window.
    void SetWindowText(LPCSTR lpszString);
    void GetWindowText(CString& rString) const;

    BOOL ShowWindow(int nCmdShow);
    // Paints the window now; inside one of its own messages, once the message has been handled
    // (see the note on painting below).
    void UpdateWindow();
    // A null rectangle means the whole client area; erasing clears what GetDC drew.
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    // The client area, from (0, 0); empty without a widget.
    void GetClientRect(LPRECT lpRect) const;

    // Timer nIDEvent sends WM_TIMER to this window every nElapse ms until the window dies.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void (*lpfnTimer)() = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // The returned context draws onto the window's retained surface until ReleaseDC.
    //
    // Painting: what the window shows is its retained surface, then what OnPaintClient draws.
    // Invalidating and drawing change that list; ReleaseDC (or the event loop, after an
    // InvalidateRect) compares it with the list on screen and repaints only the rows where a
    // text or a shape differs. An erase and the drawing that follows it in one message therefore
    // reach the screen together, once, as a compositing window manager shows them; items drawn
    // again as they were cost nothing.
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);
    // What GetDC contexts drew since the last erase, in drawing order.
    const std::vector<DrawnItem>& GetRetainedSurface() const { return m_surface; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // The message this thread is handling (the innermost SendMessage).
    static const MSG* GetCurrentMessage();
    virtual BOOL DestroyWindow();

    // Called by the widget host: paints the retained surface, then OnPaintClient, within area.
    void PaintWidget(QPainter& painter, const QRegion& area);

protected:
    // Takes ownership of the widget that stands for this window.
    void Attach(QWidget* widget);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default();
    virtual void OnPaintClient(CDC* /*pDC*/) {}

    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnTimer(UINT_PTR nIDEvent);

    QPointer<QWidget> m_hWnd;

    DECLARE_MESSAGE_MAP()

private:
    // The windows whose messages this thread is handling, innermost first.
    struct MessageFrame;
    static thread_local MessageFrame* t_messages;
    // The innermost of this window's own messages that this thread is handling; null if none.
    MessageFrame* OwnMessage() const;
    // What OnPaintClient draws now; it follows the retained surface in the display list.
    std::vector<DrawnItem> ClientItems();
    // Whether the display list of the surface and these client items is the one on screen.
    bool IsShown(const std::vector<DrawnItem>& clientItems) const;
    // Schedules the rows in which the display list differs from the one on screen.
    void CommitSurface();
    void ScheduleCommit();

    std::vector<DrawnItem> m_surface;
    std::vector<DrawnItem> m_shown;  // the display list once the scheduled repaints are done
    std::unique_ptr<QObject> m_pCommitContext;  // drops a scheduled commit with this window
    bool m_bCommitDue = false;
    std::map<UINT_PTR, QTimer*> m_timers;
    std::unique_ptr<CDC> m_pDC;
    bool m_bOwnsWidget = true;
};
