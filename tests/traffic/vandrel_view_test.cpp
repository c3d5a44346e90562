#include "vandrel_view.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QWidget>

#include "perf_source_fixture.h"

namespace {

struct Item {
    int x;
    int y;
    std::string text;
    friend bool operator==(const Item&, const Item&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Item& item) {
        return out << "(" << item.x << "," << item.y << ") " << item.text;
    }
};

std::vector<Item> Surface(const CWnd& wnd) {
    std::vector<Item> items;
    for (const DrawnText& drawn : wnd.GetRetainedSurface()) {
        items.push_back({drawn.x, drawn.y, drawn.text.str()});
    }
    return items;
}

// Name, then outgoing and incoming rate, 100 pixels apart per interface.
std::vector<Item> Expected(const std::vector<std::array<std::string, 3>>& rows) {
    std::vector<Item> items;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const int y = 30 + 100 * i;
        items.push_back({10, y - 20, rows[i][0]});
        items.push_back({10, y, "outRate=" + rows[i][1] + " KB/sec"});
        items.push_back({10, y + 20, "InRate=" + rows[i][2] + " KB/sec"});
    }
    return items;
}

class VandrelViewTest : public PerfSourceTest {
protected:
    // The view lists the interfaces when it is made, so `samples` must be set first.
    std::unique_ptr<CVandrelView> MakeView() {
        std::unique_ptr<CVandrelView> view(
            dynamic_cast<CVandrelView*>(RUNTIME_CLASS(CVandrelView)->CreateObject()));
        EXPECT_TRUE(view);
        EXPECT_TRUE(view->Create(nullptr, nullptr));
        view->OnInitialUpdate();
        // Ticks come from the test alone.
        EXPECT_TRUE(view->KillTimer(2));
        return view;
    }
};

TEST_F(VandrelViewTest, EachTickDrawsEveryInterfaceWithItsRates) {
    samples = {{"eth0", 0, 0, 0}, {"wlan0", 0, 0, 0}, {"lo", 0, 0, 0}};
    const auto view = MakeView();
    EXPECT_EQ(view->GetSafeHwnd()->geometry(), QRect(100, 100, 300, 300));
    EXPECT_TRUE(view->GetRetainedSurface().empty());

    view->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*view),
              Expected({{"eth0", "0.0", "0.0"}, {"wlan0", "0.0", "0.0"}, {"lo", "0.0", "0.0"}}));
    for (const DrawnText& drawn : view->GetRetainedSurface()) {
        EXPECT_FALSE(drawn.opaque) << drawn.text.str();
    }

    samples[0].txBytes += 1024;
    samples[0].rxBytes += 2048;
    samples[1].txBytes += 51;
    samples[2].txBytes += 1024 * 1000 + 52;
    samples[2].rxBytes += 1024 * 3 / 2;
    view->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*view),
              Expected({{"eth0", "1.0", "2.0"}, {"wlan0", "0.0", "0.0"}, {"lo", "1000.1", "1.5"}}));
}

TEST_F(VandrelViewTest, ASingleInterfaceIsDrawn) {
    samples = {{"eth0", 0, 0, 0}};
    const auto view = MakeView();
    view->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*view), Expected({{"eth0", "0.0", "0.0"}}));
}

TEST_F(VandrelViewTest, NoInterfacesDrawNothing) {
    const auto view = MakeView();
    view->SendMessage(WM_TIMER, 2);
    EXPECT_TRUE(view->GetRetainedSurface().empty());
}

// Whether any pixel in `rows` differs from the background.
bool HasInk(const QImage& image, int top, int height) {
    const QRgb background = image.pixel(image.width() - 1, 0);
    for (int y = top; y < top + height && y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(VandrelViewTest, RepaintsBetweenTicksShowTheDrawnText) {
    samples = {{"eth0", 0, 0, 0}, {"wlan0", 0, 0, 0}};
    const auto view = MakeView();
    QWidget* widget = view->GetSafeHwnd();
    const int textHeight = QFontMetrics(widget->font()).height();
    const int rows[] = {10, 30, 50, 110, 130, 150};

    view->ShowWindow(SW_SHOW);
    const QImage blank = widget->grab().toImage();
    for (const int top : rows) {
        EXPECT_FALSE(HasInk(blank, top, textHeight)) << top;
    }

    view->SendMessage(WM_TIMER, 2);
    const auto drawn = Surface(*view);
    widget->repaint();
    const QImage painted = widget->grab().toImage();
    EXPECT_EQ(Surface(*view), drawn) << "painting keeps what the tick drew";
    for (const int top : rows) {
        EXPECT_TRUE(HasInk(painted, top, textHeight)) << top;
    }
    EXPECT_FALSE(HasInk(painted, 210, 90)) << "nothing below the last interface";
}

}  // namespace
