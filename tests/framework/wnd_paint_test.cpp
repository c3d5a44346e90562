#include <gtest/gtest.h>

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QTest>
#include <numeric>

#include "widget_host.h"
#include "wnd.h"

namespace {

// Draws its rows in each timer message as the traffic view does: erase, update, then draw;
// records the regions its widget paints.
class RowsWindow : public CWnd, public QObject {
public:
    RowsWindow() { Attach(new glue::WidgetHost(this, nullptr)); }

    std::vector<CString> m_rows;
    int m_nPeak = 0;  // a filled peak under a line, right of the rows, when not 0
    std::vector<QRegion> m_painted;

protected:
    void OnTimer(UINT_PTR /*nIDEvent*/) {
        InvalidateRect(nullptr, TRUE);
        UpdateWindow();
        CDC* pDC = GetDC();
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            pDC->TextOut(10, 10 + 20 * static_cast<int>(i), m_rows[i]);
        }
        if (m_nPeak != 0) {
            CPen pen(PS_SOLID, 2, RGB(0, 0, 255));
            CBrush brush(RGB(0, 255, 0));
            CPen* pOldPen = pDC->SelectObject(&pen);
            CBrush* pOldBrush = pDC->SelectObject(&brush);
            const POINT peak[] = {{200, 100}, {240, 100 - m_nPeak}, {280, 100}};
            EXPECT_FALSE(pDC->Polyline(peak, 1)) << "one point is no line";
            pDC->Polygon(peak, 3);
            pDC->Polyline(peak, 3);
            EXPECT_EQ(pDC->SelectObject(pOldPen), &pen);
            EXPECT_EQ(pDC->SelectObject(pOldBrush), &brush);
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

TEST(WndPaintTest, AShapeIsPaintedInItsPenAndBrushAndRepaintedOnlyWithinItsBounds) {
    RowsWindow window;
    QWidget* widget = window.GetSafeHwnd();
    widget->resize(300, 200);
    widget->installEventFilter(&window);
    window.ShowWindow(SW_SHOW);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget));
    window.m_rows = {"eth0"};
    window.m_nPeak = 40;
    window.SendMessage(WM_TIMER, 2);
    QTest::qWait(20);
    const QImage image = widget->grab().toImage();
    EXPECT_EQ(image.pixelColor(240, 80), QColor(0, 255, 0)) << "inside, the brush";
    EXPECT_EQ(image.pixelColor(240, 60), QColor(0, 0, 255)) << "at the top, the pen";
    EXPECT_EQ(image.pixelColor(240, 50), image.pixelColor(299, 0)) << "above, the background";
    window.m_painted.clear();
    window.m_nPeak = 50;
    window.SendMessage(WM_TIMER, 2);
    QTest::qWait(20);
    ASSERT_FALSE(window.m_painted.empty());
    const QRegion painted =
        std::accumulate(window.m_painted.begin(), window.m_painted.end(), QRegion());
    EXPECT_TRUE(painted.contains(QRect(200, 50, 81, 51)));
    EXPECT_FALSE(painted.intersects(QRect(0, 0, 300, 30))) << "the unchanged row";
}

}  // namespace
