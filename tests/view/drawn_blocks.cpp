#include "drawn_blocks.h"

#include <gtest/gtest.h>

#include <set>

int DrawnBlock::SecondsDrawn() const {
    std::set<LONG> seconds;  // a lone second is drawn as a dot: one point twice
    for (const auto& run : outgoing) {
        for (const POINT& point : run) {
            seconds.insert(point.x);
        }
    }
    return static_cast<int>(seconds.size());
}

// Each block starts with its name at x 10; the graph's frame is its first shape, its key lies
// left of the frame, and its runs within.
std::vector<DrawnBlock> DrawnBlocks(const CWnd& wnd) {
    std::vector<DrawnBlock> blocks;
    bool framed = false;
    for (const DrawnItem& item : wnd.GetRetainedSurface()) {
        if (const auto* text = std::get_if<DrawnText>(&item)) {
            if (text->x == 10 && (text->y - 10) % 100 == 0) {
                blocks.push_back({text->y + 20, {}, {}, {}, {}, {}});
                framed = false;
            }
            if (text->x == 10) {
                blocks.back().lines.push_back(text->text.str());
            } else if (framed && text->x == blocks.back().plot.left) {
                blocks.back().scale = text->text.str();
            }
            continue;
        }
        const auto& shape = std::get<DrawnShape>(item);
        DrawnBlock& block = blocks.back();
        if (!framed) {
            block.plot = {shape.points[0].x, shape.points[0].y, shape.points[1].x,
                          shape.points[2].y};
            framed = true;
        } else if (shape.points[0].x >= block.plot.left) {
            if (shape.fill) {
                block.incoming.emplace_back(shape.points.begin(), shape.points.end() - 2);
            } else {
                block.outgoing.push_back(shape.points);
            }
        }
    }
    return blocks;
}

std::unique_ptr<CVandrelView> MakeStillView(int width, int height) {
    std::unique_ptr<CVandrelView> view(
        dynamic_cast<CVandrelView*>(RUNTIME_CLASS(CVandrelView)->CreateObject()));
    EXPECT_TRUE(view->Create(nullptr, nullptr));
    view->OnInitialUpdate();
    EXPECT_TRUE(view->KillTimer(2)) << "ticks come from the test alone";
    view->GetSafeHwnd()->resize(width, height);
    return view;
}
