// The last minute of an interface as a picture: beside its three lines, the outgoing rate as a
// line over the incoming rate as a filled area, on one scale whose top value is written.
// Used by the traffic view, made afresh each pass; the pens live as long as the object.
#pragma once

#include <array>

#include "dc.h"
#include "rate_history.h"

// The view's three lines of an interface lie this far apart: its name above the outgoing
// line's row, the incoming line below it.
inline constexpr int kLineSpacing = 20;

class CRateGraph {
public:
    // Lays the graphs out for a client area nClientWidth pixels wide, right of the longest
    // lines that pDC's font may draw, in colours that read on the window's background.
    CRateGraph(CDC* pDC, int nClientWidth);
    CRateGraph(const CRateGraph&) = delete;
    CRateGraph& operator=(const CRateGraph&) = delete;

    // Draws one interface's minute in the block whose outgoing line is at row y; nothing when
    // the window is too narrow for a graph beside the lines.
    void Draw(CDC* pDC, int y, const CRateHistory::Minute& minute);

private:
    // A minute's rates, oldest first.
    using Seconds = std::array<CRateHistory::Rates, CRateHistory::kSeconds>;

    // The scale's top in KB/sec: 1, 2 or 5 times a power of ten, at least 1.
    static double ScaleTop(const Seconds& seconds);
    void DrawFrame(CDC* pDC, const RECT& plot, int nLabelY, double scaleTop);
    void DrawKey(CDC* pDC, int nPlotLeft, int y);
    void DrawRuns(CDC* pDC, const RECT& plot, const Seconds& seconds,
                  float CRateHistory::Rates::*rate, double scaleTop);

    int m_nRight = 0;
    int m_nStep = 0;  // pixels per second; 0 when no graph fits
    int m_nTextHeight = 0;
    CPen m_framePen;
    CPen m_outPen;
    CPen m_inPen;
    CBrush m_inBrush;
};
