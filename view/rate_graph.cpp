#include "rate_graph.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kSeconds = CRateHistory::kSeconds;
constexpr int kMargin = 10;    // from the right edge, as the lines keep from the left one
constexpr int kMaxStep = 8;    // pixels per second, however wide the window
constexpr int kKeyWidth = 10;  // the key left of the plot, on each rate's line
constexpr int kKeyGap = 4;
constexpr int kPlotBottom = 64;  // below the outgoing line's row; the next block starts at 70

// Lines up to seven digits of KB/sec (80 Gbit/s) keep clear of the graph.
constexpr const char* kWidestLine = "outRate=0000000.0 KB/sec";

COLORREF Mix(COLORREF from, COLORREF to, int percent) {
    const auto channel = [percent](BYTE a, BYTE b) {
        return static_cast<BYTE>((a * (100 - percent) + b * percent) / 100);
    };
    return RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
               channel(GetBValue(from), GetBValue(to)));
}

bool IsDark(COLORREF color) {
    return 299 * GetRValue(color) + 587 * GetGValue(color) + 114 * GetBValue(color) < 128'000;
}

}  // namespace

// A dark line over a light area stays apart in grey print, and blue beside green reads for
// those who tell red from green poorly; a dark desktop theme gets their light twins.
CRateGraph::CRateGraph(CDC* pDC, int nClientWidth)
    : m_framePen(PS_SOLID, 1, 0), m_outPen(PS_SOLID, 2, 0), m_inPen(PS_SOLID, 1, 0), m_inBrush(0) {
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    const bool dark = IsDark(background);
    const COLORREF inEdge = dark ? RGB(90, 200, 120) : RGB(0, 128, 64);
    m_framePen.m_crColor = Mix(background, GetSysColor(COLOR_WINDOWTEXT), 25);
    m_outPen.m_crColor = dark ? RGB(120, 170, 255) : RGB(0, 70, 180);
    m_inPen.m_crColor = inEdge;
    m_inBrush.m_crColor = Mix(background, inEdge, 40);

    const CSize widest = pDC->GetTextExtent(kWidestLine);
    m_nTextHeight = widest.cy;
    const int firstFree = kMargin + widest.cx + 2 * kKeyGap + kKeyWidth;
    m_nRight = nClientWidth - 1 - kMargin;
    m_nStep = std::clamp((m_nRight - firstFree) / (kSeconds - 1), 0, kMaxStep);
}

double CRateGraph::ScaleTop(const Seconds& seconds) {
    double highest = 0.0;
    for (const CRateHistory::Rates& rates : seconds) {
        highest = std::max({highest, std::isnan(rates.out) ? 0.0 : rates.out,
                            std::isnan(rates.in) ? 0.0 : rates.in});
    }
    for (double power = 1.0;; power *= 10.0) {
        for (const double multiple : {1.0, 2.0, 5.0}) {
            if (multiple * power >= highest) {
                return multiple * power;
            }
        }
    }
}

// Runs once a pass for every interface. Changes need bench/.
void CRateGraph::Draw(CDC* pDC, int y, const CRateHistory::Minute& minute) {
    const RECT plot = {m_nRight - (kSeconds - 1) * m_nStep, y - kLineSpacing + m_nTextHeight + 2,
                       m_nRight, y + kPlotBottom};
    if (m_nStep == 0 || plot.bottom - plot.top < 10) {
        return;
    }
    Seconds seconds;
    for (int age = 0; age < kSeconds; ++age) {
        seconds[kSeconds - 1 - age] = minute.At(age);
    }
    const double scaleTop = ScaleTop(seconds);
    CPen* pOldPen = pDC->SelectObject(&m_framePen);
    CBrush* pOldBrush = pDC->SelectObject(&m_inBrush);
    DrawFrame(pDC, plot, y - kLineSpacing, scaleTop);
    DrawKey(pDC, plot.left, y);
    pDC->SelectObject(&m_inPen);
    DrawRuns(pDC, plot, seconds, &CRateHistory::Rates::in, scaleTop);
    pDC->SelectObject(&m_outPen);
    DrawRuns(pDC, plot, seconds, &CRateHistory::Rates::out, scaleTop);
    pDC->SelectObject(pOldPen);
    pDC->SelectObject(pOldBrush);
}

void CRateGraph::DrawFrame(CDC* pDC, const RECT& plot, int nLabelY, double scaleTop) {
    pDC->SelectObject(&m_framePen);
    const POINT frame[] = {{plot.left, plot.top},
                           {plot.right, plot.top},
                           {plot.right, plot.bottom},
                           {plot.left, plot.bottom},
                           {plot.left, plot.top}};
    pDC->Polyline(frame, 5);
    CString strTop;
    strTop.Format("%.0f KB/sec", scaleTop);
    pDC->TextOut(plot.left, nLabelY, strTop);
}

// Each rate's mark on its own line's row, just left of the plot.
void CRateGraph::DrawKey(CDC* pDC, int nPlotLeft, int y) {
    const int left = nPlotLeft - kKeyGap - kKeyWidth;
    const int right = nPlotLeft - kKeyGap;
    const int outMiddle = y + m_nTextHeight / 2;
    const int inMiddle = y + kLineSpacing + m_nTextHeight / 2;
    pDC->SelectObject(&m_outPen);
    const POINT outKey[] = {{left, outMiddle}, {right, outMiddle}};
    pDC->Polyline(outKey, 2);
    pDC->SelectObject(&m_inPen);
    const POINT inKey[] = {
        {left, inMiddle - 3}, {right, inMiddle - 3}, {right, inMiddle + 3}, {left, inMiddle + 3}};
    pDC->Polygon(inKey, 4);
}

// Each run of seconds with a figure, oldest first, as a line, or for incoming as an area down
// to the plot's bottom. A second without one (an interface's first, a counter started again, a
// failed read) is a gap, not a false zero.
void CRateGraph::DrawRuns(CDC* pDC, const RECT& plot, const Seconds& seconds,
                          float CRateHistory::Rates::*rate, double scaleTop) {
    const bool area = rate == &CRateHistory::Rates::in;
    std::array<POINT, kSeconds + 2> points;
    int count = 0;
    const auto flush = [&] {
        if (count == 1) {
            points[count++] = points[0];  // a lone second shows as a dot
        }
        if (count > 0 && area) {
            points[count] = {points[count - 1].x, plot.bottom};
            points[count + 1] = {points[0].x, plot.bottom};
            pDC->Polygon(points.data(), count + 2);
        } else if (count > 0) {
            pDC->Polyline(points.data(), count);
        }
        count = 0;
    };
    for (int i = 0; i < kSeconds; ++i) {
        const float value = seconds[i].*rate;
        if (std::isnan(value)) {
            flush();
            continue;
        }
        const double height = std::min(value / scaleTop, 1.0) * (plot.bottom - plot.top);
        points[count++] = {plot.left + i * m_nStep, plot.bottom - static_cast<LONG>(height + 0.5)};
    }
    flush();
}
