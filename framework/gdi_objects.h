// Colours, pens and brushes, as the framework's GDI objects, and the system colours.
// Used by views that draw lines and shapes through a CDC; user-interface thread only.
#pragma once

#include "win_types.h"

// 0x00BBGGRR, as Windows keeps a colour.
using COLORREF = DWORD;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 |
           static_cast<COLORREF>(b) << 16;
}
constexpr BYTE GetRValue(COLORREF rgb) {
    return static_cast<BYTE>(rgb);
}
constexpr BYTE GetGValue(COLORREF rgb) {
    return static_cast<BYTE>(rgb >> 8);
}
constexpr BYTE GetBValue(COLORREF rgb) {
    return static_cast<BYTE>(rgb >> 16);
}

inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;

// The desktop's colour for a window's background or its text, from the application's palette
// (a dark desktop theme gives dark windows). Black for any other index.
COLORREF GetSysColor(int nIndex);

inline constexpr int PS_SOLID = 0;

class CPen {
public:
    // Only solid pens are drawn; nWidth is in pixels, at least 1.
    CPen([[maybe_unused]] int nPenStyle, int nWidth, COLORREF crColor)
        : m_nWidth(nWidth < 1 ? 1 : nWidth), m_crColor(crColor) {}

    int m_nWidth;
    COLORREF m_crColor;
};

class CBrush {
public:
    explicit CBrush(COLORREF crColor) : m_crColor(crColor) {}

    COLORREF m_crColor;
};
