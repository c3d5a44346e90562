// The graphs as the view draws them into its display list; tests/e2e/rate_graph_e2e.sh checks
// the pixels on a real display.
#include "rate_graph.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <algorithm>
#include <cstdlib>

#include "drawn_blocks.h"
#include "perf_source_fixture.h"

namespace {

class RateGraphTest : public PerfSourceTest {
protected:
    // One interface, eth0, in a view wide enough for a graph.
    void SetUp() override {
        PerfSourceTest::SetUp();
        samples = {{"eth0", 0, 0}};
        m_view = MakeStillView(600, 300);
    }
    // Seconds in which the counts grow by the rates given in bytes, each ending in a tick; what
    // the last one drew.
    DrawnBlock Tick(std::uint64_t out, std::uint64_t in, int seconds = 1) {
        for (int second = 0; second < seconds; ++second) {
            samples[0].txBytes += out;
            samples[0].rxBytes += in;
            m_view->SendMessage(WM_TIMER, 2);
        }
        const auto blocks = DrawnBlocks(*m_view);
        EXPECT_EQ(blocks.size(), 1u);
        return blocks.empty() ? DrawnBlock{} : blocks[0];
    }

    std::unique_ptr<CVandrelView> m_view;
};

// Whether every point of the run lies within slack of y.
bool AllAt(const std::vector<POINT>& run, LONG y, LONG slack = 0) {
    return std::ranges::all_of(run, [&](const POINT& p) { return std::abs(p.y - y) <= slack; });
}

TEST_F(RateGraphTest, EachSecondFromTheSecondSampleIsDrawnOnOneScaleWithItsTopWritten) {
    const DrawnBlock first = Tick(0, 0);
    EXPECT_EQ(first.scale, "1 KB/sec");
    EXPECT_TRUE(first.outgoing.empty() && first.incoming.empty()) << "no false zero at first";
    EXPECT_GT(first.plot.left, 200) << "right of the lines";
    const DrawnBlock block = Tick(2048, 1024, 3);
    EXPECT_EQ(block.scale, "2 KB/sec");
    ASSERT_EQ(block.outgoing.size(), 1u);
    ASSERT_EQ(block.incoming.size(), 1u);
    const auto& run = block.outgoing[0];
    ASSERT_EQ(run.size(), 3u);
    EXPECT_TRUE(AllAt(run, block.plot.top)) << "2 of 2 KB/sec";
    const LONG middle = (block.plot.top + block.plot.bottom) / 2;
    EXPECT_TRUE(AllAt(block.incoming[0], middle, 1)) << "1 of 2 KB/sec";
    EXPECT_EQ(run.back().x, block.plot.right) << "the newest second at the right";
    EXPECT_GT(run[1].x - run[0].x, 0);
    EXPECT_EQ(run[2].x - run[1].x, run[1].x - run[0].x);
}

TEST_F(RateGraphTest, AMinuteFillsTheGraphAndOlderSecondsLeaveIt) {
    const DrawnBlock block = Tick(1024, 1024, 75);
    ASSERT_EQ(block.outgoing.size(), 1u);
    EXPECT_EQ(block.SecondsDrawn(), 60);
    EXPECT_EQ(block.outgoing[0].front().x, block.plot.left);
}

TEST_F(RateGraphTest, ASecondWithoutAFigureIsAGapNotAZero) {
    Tick(0, 0);
    Tick(5120, 5120, 3);
    samples[0] = {"eth0", 10, 10};  // the counts started again
    Tick(0, 0);
    const DrawnBlock block = Tick(5120, 5120);
    ASSERT_EQ(block.outgoing.size(), 2u);
    EXPECT_TRUE(block.outgoing[0].size() == 3 && AllAt(block.outgoing[0], block.plot.top));
    EXPECT_TRUE(block.outgoing[1].size() == 2 && AllAt(block.outgoing[1], block.plot.top))
        << "a lone second";
    EXPECT_EQ(block.outgoing[1][0].x - block.outgoing[0].back().x,
              2 * (block.outgoing[0][1].x - block.outgoing[0][0].x));
    EXPECT_EQ(block.incoming.size(), 2u);
}

TEST_F(RateGraphTest, TheScaleIsTheNextOneTwoOrFiveAboveTheMinutesHighest) {
    Tick(0, 0);
    const std::pair<std::uint64_t, const char*> rates[] = {{1024, "1 KB/sec"},
                                                           {1536, "2 KB/sec"},
                                                           {3 * 1024, "5 KB/sec"},
                                                           {7 * 1024, "10 KB/sec"},
                                                           {30000 << 10, "50000 KB/sec"},
                                                           {6ull << 30, "10000000 KB/sec"}};
    for (const auto& [rate, scale] : rates) {
        EXPECT_EQ(Tick(0, rate).scale, scale) << rate;
    }
    EXPECT_EQ(Tick(0, 0, 60).scale, "1 KB/sec") << "once the highest has left the minute";
}

TEST_F(RateGraphTest, AWindowTooNarrowForAGraphShowsTheLinesAlone) {
    m_view->GetSafeHwnd()->resize(160, 300);
    Tick(0, 0);
    const DrawnBlock block = Tick(1024, 1024);
    EXPECT_EQ(block.lines.size(), 3u);
    EXPECT_EQ(block.scale, "");
    for (const DrawnItem& item : m_view->GetRetainedSurface()) {
        EXPECT_TRUE(std::holds_alternative<DrawnText>(item));
    }
}

// A shape's pen and fill stand apart from the window's background by their luma (0 to 255).
TEST_F(RateGraphTest, EveryShapeReadsOnALightAndOnADarkWindow) {
    const auto luma = [](COLORREF c) {
        return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
    };
    const QPalette saved = QApplication::palette();
    for (const auto& [base, text] : {std::pair<QColor, QColor>(Qt::white, Qt::black),
                                     std::pair<QColor, QColor>(QColor(30, 30, 30), Qt::white)}) {
        QPalette palette = saved;
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, text);
        QApplication::setPalette(palette);
        Tick(0, 0);
        Tick(1024, 1024);
        const int background = luma(GetSysColor(COLOR_WINDOW));
        for (const DrawnItem& item : m_view->GetRetainedSurface()) {
            if (const auto* shape = std::get_if<DrawnShape>(&item)) {
                EXPECT_GE(std::abs(luma(shape->pen) - background), 50) << base.name().toStdString();
                if (shape->fill) {
                    EXPECT_GE(std::abs(luma(*shape->fill) - background), 30);
                }
            }
        }
    }
    QApplication::setPalette(saved);
}

}  // namespace
