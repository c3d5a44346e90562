#include "vandrel_view.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <clocale>
#include <string>

#include "drawn_blocks.h"
#include "perf_source_fixture.h"
#include "win_init.h"

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

// The view lists the interfaces when it is made, so `samples` must be set first.
using VandrelViewTest = PerfSourceTest;

TEST_F(VandrelViewTest, ATimerMessageWithAnyIdDrawsEveryInterfaceWithItsRatesAndPaintingKeepsIt) {
    samples = {{"eth0"}, {"wlan0"}, {"lo"}};
    const auto view = MakeStillView(300, 400);
    view->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*view),
              Expected({{"eth0", "0.0", "0.0"}, {"wlan0", "0.0", "0.0"}, {"lo", "0.0", "0.0"}}));
    samples = {{"eth0", 2048, 1024}, {"wlan0", 0, 51}, {"lo", 1536, 1024 * 1000 + 52}};
    view->SendMessage(WM_TIMER, 77);  // not the view's own timer
    const Items drawn =
        Expected({{"eth0", "1.0", "2.0"}, {"wlan0", "0.0", "0.0"}, {"lo", "1000.1", "1.5"}});
    EXPECT_EQ(Surface(*view), drawn);
    view->ShowWindow(SW_SHOW);
    view->GetSafeHwnd()->repaint();
    EXPECT_EQ(Surface(*view), drawn) << "painting keeps what the tick drew";
}

// Set up as the program's entry does, once Qt has taken the user's locale.
TEST_F(VandrelViewTest, UnderALocaleWithADecimalCommaRatesKeepThePoint) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no de_DE.UTF-8 locale here (scripts/install-deps.sh makes it as root)";
    }
    AfxWinInit();
    samples = {{"eth0", 0, 0}};
    const auto view = MakeStillView();
    view->SendMessage(WM_TIMER, 2);
    samples[0].txBytes = 1536;
    view->SendMessage(WM_TIMER, 2);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(Surface(*view), Expected({{"eth0", "1.5", "0.0"}}));
}

}  // namespace
