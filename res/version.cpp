#include "resource_tables.h"
#include "version_config.h"

namespace {

constexpr glue::VersionString kStrings[] = {
    {"FileDescription", "Vandrel Microsoft 基础类应用程序"},
    {"FileVersion", VANDREL_VERSION_COMMAS},
    {"InternalName", "Vandrel"},
    {"LegalCopyright", "版权所有 (C) 2026"},
    {"OriginalFilename", "Vandrel.EXE"},
    {"ProductName", "Vandrel 应用程序"},
    {"ProductVersion", "1, 0, 0, 1"},
};

// The file carries the version the build sets, which the package and --version take too; the
// product keeps the version it was released as.
constexpr glue::VersionInfo kVersions[] = {
    {1, {VANDREL_VERSION_WORDS}, {1, 0, 0, 1}, 0x0804, 1200, kStrings},
};

}  // namespace

const std::span<const glue::VersionInfo> g_versionInfo = kVersions;
