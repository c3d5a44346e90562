#include "resource.h"
#include "resource_tables.h"

namespace {

// Each icon file holds a 32x32 and a 16x16 image in 16 colours.
constexpr glue::ImageResource kIcons[] = {
    {IDR_MAINFRAME, ":/res/vandrel.ico"},
    {IDR_VANDRELTYPE, ":/res/vandrel_doc.ico"},
};

// Eleven 16x15 button images side by side, 16 colours.
constexpr glue::ImageResource kBitmaps[] = {
    {IDR_MAINFRAME, ":/res/toolbar.bmp"},
};

}  // namespace

const std::span<const glue::ImageResource> g_iconResources = kIcons;
const std::span<const glue::ImageResource> g_bitmapResources = kBitmaps;
