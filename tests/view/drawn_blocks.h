// Reads back what the traffic view drew, interface by interface, from its display list, and
// makes views that tick only when a test says so. Used by the view's tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vandrel_view.h"

// What the view drew for one interface.
struct DrawnBlock {
    int y = 0;                       // the row of its outgoing line
    std::vector<std::string> lines;  // at x 10: its name, outgoing and incoming lines
    std::string scale;               // the graph's top value; empty without a graph
    RECT plot{};                     // the graph's frame
    // Runs of seconds with a figure, oldest first: the outgoing line's points and the incoming
    // area's top edge.
    std::vector<std::vector<POINT>> outgoing;
    std::vector<std::vector<POINT>> incoming;

    const std::string& Name() const { return lines.at(0); }
    // The seconds with a figure in the outgoing line.
    int SecondsDrawn() const;
};

std::vector<DrawnBlock> DrawnBlocks(const CWnd& wnd);

// A view made as the document template makes it, width by height pixels, its timer stopped.
std::unique_ptr<CVandrelView> MakeStillView(int width = 300, int height = 300);
