// The Windows virtual-key codes that the framework knows: keys of accelerator tables and the
// lock keys of the status bar's panes. Letters and digits are their own upper-case characters.
#pragma once

#include "win_types.h"

inline constexpr WORD VK_BACK = 0x08;
inline constexpr WORD VK_DELETE = 0x2E;
inline constexpr WORD VK_INSERT = 0x2D;
inline constexpr WORD VK_F1 = 0x70;
inline constexpr WORD VK_F6 = 0x75;
inline constexpr WORD VK_NUMLOCK = 0x90;
inline constexpr WORD VK_SCROLL = 0x91;
inline constexpr WORD VK_CAPITAL = 0x14;
