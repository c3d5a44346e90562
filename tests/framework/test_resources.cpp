#include "test_resources.h"

#include "standard_ids.h"
#include "virtual_keys.h"

namespace {

constexpr glue::StringResource kStrings[] = {
    {IDR_TEST, "Test\n\n\n\n\n\n"},   {ID_HANDLED, "Does it\nHandled"},
    {ID_UNHANDLED, "Nobody does it"}, {ID_INDICATOR_CAPS, "CAP"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},
};

constexpr ACCEL kKeys[] = {
    {FVIRTKEY | FCONTROL, 'A', ID_HANDLED},
    {FVIRTKEY | FCONTROL, 'B', ID_UNHANDLED},
    {FVIRTKEY | FSHIFT, VK_F6, ID_HANDLED},
};
constexpr glue::AccelTable kAccelerators[] = {{IDR_TEST, kKeys}};

constexpr UINT kButtons[] = {ID_HANDLED, ID_SEPARATOR, ID_UNHANDLED};
constexpr glue::ToolBarLayout kToolBars[] = {{IDR_TEST, 16, 15, kButtons}};

glue::ImageResource g_bitmaps[] = {{IDR_TEST, nullptr}};

}  // namespace

void SetTestBitmapPath(const std::string& path) {
    static std::string kept;
    kept = path;
    g_bitmaps[0].lpszPath = kept.c_str();
}

const glue::ResourceTables& TestResources() {
    static const glue::ResourceTables resources = {
        kStrings, {}, {}, {}, kAccelerators, kToolBars, g_bitmaps, {},
    };
    return resources;
}

namespace {
// Before main, so that nothing of the framework runs without its tables.
[[maybe_unused]] const bool registered = (glue::SetResources(TestResources()), true);
}  // namespace
