// A device context that records text, lines and shapes into a window's display list.
// Used by views for GDI-style drawing; the window replays the list whenever Qt paints.
#pragma once

#include <QFont>
#include <optional>
#include <variant>
#include <vector>

#include "cstring.h"
#include "gdi_objects.h"
#include "window_types.h"

class QPainter;
class QFontMetrics;
class QRect;

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

struct DrawnText {
    int x = 0;
    int y = 0;  // top of the text, as TA_TOP|TA_LEFT
    CString text;
    bool opaque = true;  // filled with the background colour behind the text

    friend bool operator==(const DrawnText&, const DrawnText&) = default;
};

// A line through points with the pen it was drawn with; a polygon's is closed and filled.
struct DrawnShape {
    std::vector<POINT> points;
    COLORREF pen = RGB(0, 0, 0);
    int penWidth = 1;
    std::optional<COLORREF> fill;  // the brush's colour, for a polygon
    RECT bounds{};                 // the points' extremes, the pen left out

    friend bool operator==(const DrawnShape&, const DrawnShape&) = default;
};

using DrawnItem = std::variant<DrawnText, DrawnShape>;

class CDC {
public:
    // Text is measured in `font`, the one the list will be painted in.
    CDC(std::vector<DrawnItem>* surface, const QFont& font) : m_surface(surface), m_font(font) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Returns the previous mode.
    int SetBkMode(int nBkMode);
    BOOL TextOut(int x, int y, const CString& str);
    // The width and height of str in the context's font.
    CSize GetTextExtent(const CString& str) const;

    // Each returns the object selected before, null for the context's own black pen or white
    // brush; selecting null selects those again. The objects must outlive their selection.
    CPen* SelectObject(CPen* pPen);
    CBrush* SelectObject(CBrush* pBrush);
    // Lines through nCount points with the selected pen. FALSE, drawing nothing, for fewer
    // than two.
    BOOL Polyline(const POINT* lpPoints, int nCount);
    // The closed shape through nCount points, filled with the selected brush and outlined with
    // the selected pen. FALSE, drawing nothing, for fewer than two.
    BOOL Polygon(const POINT* lpPoints, int nCount);

private:
    BOOL AddShape(const POINT* lpPoints, int nCount, std::optional<COLORREF> fill);

    std::vector<DrawnItem>* m_surface;
    QFont m_font;
    int m_nBkMode = OPAQUE;
    CPen* m_pPen = nullptr;
    CBrush* m_pBrush = nullptr;
};

namespace glue {

// Paints one recorded item; an opaque text first gets `background` behind it.
void PaintItem(QPainter& painter, const QFontMetrics& metrics, const DrawnItem& item,
               const QColor& background);
// The part of a window `width` wide that an item may touch when painted.
QRect ItemBounds(const DrawnItem& item, int width, const QFontMetrics& metrics);

}  // namespace glue
