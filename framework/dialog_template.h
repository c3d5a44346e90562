// Dialog templates as the program's resources hold them: styles, font and controls in
// dialog units. Used by CDialog, which builds its widgets from them.
#pragma once

#include <span>

#include "win_types.h"

inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD DS_SETFONT = 0x40;
inline constexpr DWORD DS_MODALFRAME = 0x80;
inline constexpr DWORD DS_FIXEDSYS = 0x08;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x01;
inline constexpr DWORD ES_AUTOHSCROLL = 0x80;
inline constexpr DWORD ES_NUMBER = 0x2000;
inline constexpr DWORD SS_ICON = 0x03;
inline constexpr DWORD SS_NOPREFIX = 0x80;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATIC = -1;

namespace glue {

enum class DialogControlKind { PushButton, Edit, StaticText, StaticIcon };

struct DialogItem {
    int nID;
    DialogControlKind kind;
    const char* lpszText;  // for an icon, null: nIconID names it
    DWORD style;           // beyond WS_CHILD | WS_VISIBLE
    short x, y, cx, cy;    // dialog units
    UINT nIconID = 0;
};

struct DialogTemplate {
    UINT nID;
    DWORD style;
    short x, y, cx, cy;  // dialog units; cx, cy are the client area
    const char* lpszCaption;
    const char* lpszFontFace;
    WORD wPointSize;
    WORD wWeight;
    bool bItalic;
    std::span<const DialogItem> items;
};

}  // namespace glue
