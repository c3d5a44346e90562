#include <gtest/gtest.h>

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QTest>

#include "widget_host.h"
#include "wnd.h"

namespace {

// Draws its rows in each timer message as the traffic view does: erase, update, then draw;
// records the regions its widget paints.
class RowsWindow : public CWnd, public QObject {
public:
    RowsWindow() { Attach(new glue::WidgetHost(this, nullptr)); }

    std::vector<CString> m_rows;
    std::vector<QRegion> m_painted;

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
            m_painted.push_back(static_cast<QPaintEvent*>(event)->region());
        }
        return false;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RowsWindow, CWnd)
ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(WndPaintTest, APassRepaintsOnlyTheRowsWhoseTextChanged) {
    RowsWindow window;
    QWidget* widget = window.GetSafeHwnd();
    widget->resize(300, 200);
    widget->installEventFilter(&window);
    window.ShowWindow(SW_SHOW);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    QTest::qWait(20);
    const auto tick = [&] {
        window.m_painted.clear();
        window.SendMessage(WM_TIMER, 2);
        QTest::qWait(20);
        return window.m_painted;
    };
    window.m_rows = {"eth0", "outRate=0.0 KB/sec", "InRate=0.0 KB/sec"};
    EXPECT_EQ(tick().size(), 1u);
    EXPECT_TRUE(tick().empty()) << "the same texts again paint nothing";
    window.m_rows[1] = "outRate=2.5 KB/sec";
    const auto regions = tick();
    ASSERT_EQ(regions.size(), 1u);
    const int height = QFontMetrics(widget->font()).height();
    EXPECT_TRUE(regions[0].contains(QRect(10, 30, 100, height)));
    EXPECT_FALSE(regions[0].intersects(QRect(0, 0, 300, 10 + height / 2))) << "the name's row";
    window.m_rows.pop_back();
    EXPECT_EQ(tick().size(), 1u) << "a row no longer drawn is erased";
    EXPECT_EQ(window.GetRetainedSurface().size(), 2u);
}

}  // namespace
