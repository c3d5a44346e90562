#include "vandrel_view.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QWidget>
#include <clocale>
#include <string>

#include "perf_source_fixture.h"
#include "win_init.h"

// Defined beside theApp in the program.
CString g_strGroupIP;

namespace {

using Items = std::vector<std::tuple<int, int, std::string>>;

Items Surface(const CWnd& wnd) {
    Items items;
    for (const DrawnText& drawn : wnd.GetRetainedSurface()) {
        items.emplace_back(drawn.x, drawn.y, drawn.text.str());
    }
    return items;
}

// Each interface's name, outgoing and incoming rate, 100 pixels below the one before.
Items Expected(const std::vector<std::array<std::string, 3>>& rows) {
    Items items;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const int y = 30 + 100 * i;
        items.emplace_back(10, y - 20, rows[i][0]);
        items.emplace_back(10, y, "outRate=" + rows[i][1] + " KB/sec");
        items.emplace_back(10, y + 20, "InRate=" + rows[i][2] + " KB/sec");
    }
    return items;
}

class VandrelViewTest : public PerfSourceTest {
protected:
    // The view lists the interfaces when it is made, so `samples` must be set first.
    std::unique_ptr<CVandrelView> MakeView() {
        std::unique_ptr<CVandrelView> view(
            dynamic_cast<CVandrelView*>(RUNTIME_CLASS(CVandrelView)->CreateObject()));
        EXPECT_TRUE(view->Create(nullptr, nullptr));
        view->OnInitialUpdate();
        EXPECT_TRUE(view->KillTimer(2)) << "ticks come from the test alone";
        return view;
    }
};

TEST_F(VandrelViewTest, EachTickDrawsEveryInterfaceWithItsRates) {
    samples = {{"eth0"}, {"wlan0"}, {"lo"}};
    const auto view = MakeView();
    EXPECT_EQ(view->GetSafeHwnd()->geometry(), QRect(100, 100, 300, 300));
    view->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*view),
              Expected({{"eth0", "0.0", "0.0"}, {"wlan0", "0.0", "0.0"}, {"lo", "0.0", "0.0"}}));

    samples[0].txBytes += 1024;
    samples[0].rxBytes += 2048;
    samples[1].txBytes += 51;
    samples[2].txBytes += 1024 * 1000 + 52;
    samples[2].rxBytes += 1536;
    view->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*view),
              Expected({{"eth0", "1.0", "2.0"}, {"wlan0", "0.0", "0.0"}, {"lo", "1000.1", "1.5"}}));
}

TEST_F(VandrelViewTest, RatesKeepThePointUnderALocaleWithADecimalComma) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "no de_DE.UTF-8 locale here (scripts/install-deps.sh makes it as root)";
    }
    AfxWinInit();  // what the program's entry does once Qt has taken the user's locale
    samples = {{"eth0"}};
    const auto view = MakeView();
    view->SendMessage(WM_TIMER, 2);
    samples[0].txBytes += 1024;
    samples[0].rxBytes += 2560;
    view->SendMessage(WM_TIMER, 2);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(Surface(*view), Expected({{"eth0", "1.0", "2.5"}}));
}

TEST_F(VandrelViewTest, OneInterfaceOrNoneAreDrawnAsListed) {
    samples = {{"eth0"}};
    const auto one = MakeView();
    one->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*one), Expected({{"eth0", "0.0", "0.0"}}));
    samples.clear();
    const auto none = MakeView();
    none->SendMessage(WM_TIMER, 2);
    EXPECT_EQ(Surface(*none), Items{});
}

// Whether any pixel of the rows [top, top + height) differs from the top-right corner's.
bool HasInk(const QImage& image, int top, int height) {
    const QRgb background = image.pixel(image.width() - 1, 0);
    for (int y = top; y < std::min(top + height, image.height()); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) {
                return true;
            }
        }
    }
    return false;
}

TEST_F(VandrelViewTest, RepaintsBetweenTicksShowTheDrawnText) {
    samples = {{"eth0"}, {"wlan0"}};
    const auto view = MakeView();
    QWidget* widget = view->GetSafeHwnd();
    const int textHeight = QFontMetrics(widget->font()).height();
    const int rows[] = {10, 30, 50, 110, 130, 150};
    view->ShowWindow(SW_SHOW);
    const QImage blank = widget->grab().toImage();

    view->SendMessage(WM_TIMER, 2);
    const Items drawn = Surface(*view);
    widget->repaint();
    const QImage painted = widget->grab().toImage();
    EXPECT_EQ(Surface(*view), drawn) << "painting keeps what the tick drew";
    for (const int top : rows) {
        EXPECT_FALSE(HasInk(blank, top, textHeight)) << top;
        EXPECT_TRUE(HasInk(painted, top, textHeight)) << top;
    }
    EXPECT_FALSE(HasInk(painted, 210, 90)) << "nothing below the last interface";
}

}  // namespace
