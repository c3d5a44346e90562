// A device context that records text output into a window's retained surface.
// Used by views for GDI-style drawing; the window replays the surface whenever Qt paints.
#pragma once

#include <vector>

#include "cstring.h"

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

struct DrawnText {
    int x = 0;
    int y = 0;  // top of the text, as TA_TOP|TA_LEFT
    CString text;
    bool opaque = true;  // filled with the background colour behind the text

    friend bool operator==(const DrawnText&, const DrawnText&) = default;
};

class CDC {
public:
    explicit CDC(std::vector<DrawnText>* surface) : m_surface(surface) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Returns the previous mode.
    int SetBkMode(int nBkMode);
    BOOL TextOut(int x, int y, const CString& str);

private:
    std::vector<DrawnText>* m_surface;
    int m_nBkMode = OPAQUE;
};
