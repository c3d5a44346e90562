#include "resource_tables.h"

namespace {

constexpr AFX_VERSION_STRING kStrings[] = {
    {"FileDescription", "Vandrel Microsoft 基础类应用程序"},
    {"FileVersion", "1, 0, 0, 2"},
    {"InternalName", "Vandrel"},
    {"LegalCopyright", "版权所有 (C) 2026"},
    {"OriginalFilename", "Vandrel.EXE"},
    {"ProductName", "Vandrel 应用程序"},
    {"ProductVersion", "1, 0, 0, 1"},
};

constexpr AFX_VERSIONINFO kVersions[] = {
    {1, {1, 0, 0, 2}, {1, 0, 0, 1}, 0x0804, 1200, kStrings},
};

}  // namespace

const std::span<const AFX_VERSIONINFO> g_versionInfo = kVersions;
