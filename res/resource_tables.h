// The program's resource tables, one file each, and all of them as the program registers them.
#pragma once

#include <span>

#include "resources.h"

extern const std::span<const glue::StringResource> g_stringTable;
extern const std::span<const glue::DialogTemplate> g_dialogTemplates;
extern const std::span<const glue::ImageResource> g_iconResources;
extern const std::span<const glue::Menu> g_menus;
extern const std::span<const glue::AccelTable> g_accelerators;
extern const std::span<const glue::ToolBarLayout> g_toolBars;
extern const std::span<const glue::ImageResource> g_bitmapResources;
extern const std::span<const glue::VersionInfo> g_versionInfo;

// Every table above, for glue::SetResources.
const glue::ResourceTables& VandrelResources();
