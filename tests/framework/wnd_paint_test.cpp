#include <gtest/gtest.h>

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QTest>

#include "wait.h"
#include "widget_host.h"
#include "wnd.h"

namespace {

// Draws its rows in each timer message as the traffic view does: erase, update, then draw;
// records the regions its widget paints.
class RowsWindow : public CWnd, public QObject {
public:
    RowsWindow() { Attach(new glue::WidgetHost(this, nullptr)); }

    std::vector<CString> m_rows;
    QRegion m_painted;

protected:
    void OnTimer(UINT_PTR /*nIDEvent*/) {
        InvalidateRect(nullptr, TRUE);
        UpdateWindow();
        CDC* pDC = GetDC();
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            pDC->TextOut(10, 10 + 20 * static_cast<int>(i), m_rows[i]);
        }
        ReleaseDC(pDC);
    }
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            m_painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RowsWindow, CWnd)
ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(WndPaint, APassRepaintsOnlyTheRowsWhoseTextChanged) {
    RowsWindow window;
    QWidget* widget = window.GetSafeHwnd();
    widget->resize(300, 200);
    widget->installEventFilter(&window);
    window.ShowWindow(SW_SHOW);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    // What the widget repaints for one pass. A corner pixel is marked too, so that a pass that
    // changes nothing still ends in a paint to wait for; it comes with the pass's own.
    const auto tick = [&] {
        const QRect corner(299, 199, 1, 1);
        window.m_painted = {};
        window.SendMessage(WM_TIMER, 2);
        widget->update(corner);
        EXPECT_TRUE(WaitUntil([&] { return window.m_painted.contains(corner); }));
        return window.m_painted - corner;
    };
    window.m_rows = {"eth0", "outRate=0.0 KB/sec", "InRate=0.0 KB/sec"};
    EXPECT_FALSE(tick().isEmpty());
    EXPECT_TRUE(tick().isEmpty()) << "the same texts again paint nothing";
    window.m_rows[1] = "outRate=2.5 KB/sec";
    const QRegion changed = tick();
    const int height = QFontMetrics(widget->font()).height();
    EXPECT_TRUE(changed.contains(QRect(10, 30, 100, height)));
    EXPECT_FALSE(changed.intersects(QRect(0, 0, 300, 10 + height / 2))) << "the name's row";
    window.m_rows.pop_back();
    EXPECT_TRUE(tick().intersects(QRect(10, 50, 100, height))) << "a row no longer drawn is erased";
    EXPECT_EQ(window.GetRetainedSurface().size(), 2u);
}

}  // namespace
