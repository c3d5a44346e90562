// The Windows window-manager types: points, sizes, rectangles, creation parameters, message
// parameters and show commands. Used by CWnd and its derived classes and by their overrides in the
// program.
#pragma once

#include <cstdint>

#include "win_types.h"

struct POINT {
    LONG x;
    LONG y;

    friend bool operator==(const POINT&, const POINT&) = default;
};

// As the framework's CSize: a width and a height.
struct CSize {
    LONG cx = 0;
    LONG cy = 0;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;

    friend bool operator==(const RECT&, const RECT&) = default;
};
using LPCRECT = const RECT*;
using LPRECT = RECT*;

inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

struct CREATESTRUCT {
    void* lpCreateParams = nullptr;
    int cy = CW_USEDEFAULT;
    int cx = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int x = CW_USEDEFAULT;
    LONG style = 0;
    LPCSTR lpszName = nullptr;
    DWORD dwExStyle = 0;
};
using LPCREATESTRUCT = CREATESTRUCT*;

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct MSG {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
