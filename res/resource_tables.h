// The program's resource tables, one file each, gathered by AfxGetResources().
#pragma once

#include <span>

#include "resources.h"

extern const std::span<const AFX_STRING_RESOURCE> g_stringTable;
extern const std::span<const AFX_DLGTEMPLATE> g_dialogTemplates;
extern const std::span<const AFX_IMAGE_RESOURCE> g_iconResources;
extern const std::span<const AFX_MENU> g_menus;
extern const std::span<const AFX_ACCELTABLE> g_accelerators;
extern const std::span<const AFX_TOOLBAR> g_toolBars;
extern const std::span<const AFX_IMAGE_RESOURCE> g_bitmapResources;
extern const std::span<const AFX_VERSIONINFO> g_versionInfo;
