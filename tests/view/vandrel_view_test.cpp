#include "vandrel_view.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QWidget>
#include <clocale>
#include <string>

#include "drawn_blocks.h"
#include "perf_source_fixture.h"
#include "win_init.h"

// Defined beside theApp in the program.
CString g_strGroupIP;

namespace {

using Items = std::vector<std::tuple<int, int, std::string>>;

// The texts drawn at the lines' left edge: each interface's three lines.
Items Surface(const CWnd& wnd) {
    Items items;
    for (const DrawnItem& item : wnd.GetRetainedSurface()) {
        const auto* drawn = std::get_if<DrawnText>(&item);
        if (drawn != nullptr && drawn->x == 10) {
            items.emplace_back(drawn->x, drawn->y, drawn->text.str());
        }
    }
    return items;
}

// Each interface's name, outgoing and incoming rate, 100 pixels below the one before.
Items Expected(const std::vector<std::array<std::string, 3>>& rows) {
    Items items;
    for (int y = 30; const auto& [name, out, in] : rows) {
        items.emplace_back(10, y - 20, name);
        items.emplace_back(10, y, "outRate=" + out + " KB/sec");
        items.emplace_back(10, y + 20, "InRate=" + in + " KB/sec");
        y += 100;
    }
    return items;
}

// Whether the rows [top, top + height) hold anything but the top-right corner's colour.
bool HasInk(const QImage& image, int top, int height) {
    const QImage band = image.copy(0, top, image.width(), std::min(height, image.height() - top));
    QImage background(band.size(), band.format());
    background.fill(image.pixel(image.width() - 1, 0));
    return band != background;
}

// The view lists the interfaces when it is made, so `samples` must be set first.
using VandrelViewTest = PerfSourceTest;

// Under a locale with a decimal comma, set up as the program's entry does, rates keep the point.
TEST_F(VandrelViewTest,
       ATimerMessageWithAnyIdDrawsEveryInterfaceWithItsRatesWithAPointAndPaintingKeepsIt) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    AfxWinInit();  // what the program's entry does once Qt has taken the user's locale
    const auto none = MakeStillView();
    none->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*none), Items{}) << "no interface, nothing drawn";
    samples = {{"eth0"}, {"wlan0"}, {"lo"}};
    const auto view = MakeStillView(300, 400);
    QWidget* widget = view->GetSafeHwnd();
    view->ShowWindow(SW_SHOW);
    const QImage blank = widget->grab().toImage();
    view->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*view),
              Expected({{"eth0", "0.0", "0.0"}, {"wlan0", "0.0", "0.0"}, {"lo", "0.0", "0.0"}}));
    samples = {{"eth0", 2048, 1024}, {"wlan0", 0, 51}, {"lo", 1536, 1024 * 1000 + 52}};
    view->SendMessage(WM_TIMER, 77);  // not the view's own timer
    std::setlocale(LC_ALL, saved.c_str());
    const Items drawn =
        Expected({{"eth0", "1.0", "2.0"}, {"wlan0", "0.0", "0.0"}, {"lo", "1000.1", "1.5"}});
    EXPECT_EQ(Surface(*view), drawn);
    widget->repaint();
    const QImage painted = widget->grab().toImage();
    EXPECT_EQ(Surface(*view), drawn) << "painting keeps what the tick drew";
    const int textHeight = QFontMetrics(widget->font()).height();
    for (const auto& [x, top, text] : drawn) {
        EXPECT_FALSE(HasInk(blank, top, textHeight)) << text;
        EXPECT_TRUE(HasInk(painted, top, textHeight)) << text;
    }
    EXPECT_FALSE(HasInk(painted, 300, 100)) << "nothing below the last interface's block";
    if (!comma) {
        GTEST_SKIP() << "drawn under no decimal-comma locale: no de_DE.UTF-8 here "
                        "(scripts/install-deps.sh makes it as root)";
    }
}

TEST_F(VandrelViewTest, ARateAbove4GiBASecondIsDrawnWholeAndACountThatGoesBackDrawsZero) {
    samples = {{"eth0", 5, 7'000'000'000}};
    const auto view = MakeStillView();
    view->SendMessage(WM_TIMER, 2);
    samples[0].txBytes += 6ull << 30;
    view->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*view), Expected({{"eth0", "6291456.0", "0.0"}}));
    samples[0].txBytes = 1000;  // the interface made anew
    view->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*view), Expected({{"eth0", "0.0", "0.0"}}));
}

}  // namespace
