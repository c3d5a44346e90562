#include "resource.h"
#include "resource_tables.h"
#include "standard_ids.h"

namespace {

constexpr UINT kMainToolBar[] = {
    ID_FILE_NEW,   ID_FILE_OPEN, ID_FILE_SAVE,   ID_SEPARATOR, ID_EDIT_CUT,     ID_EDIT_COPY,
    ID_EDIT_PASTE, ID_SEPARATOR, ID_FILE_PRINT,  ID_SEPARATOR, ID_APP_ABOUT,    ID_SEPARATOR,
    ID_GET_ALL_IP, ID_SEPARATOR, ID_GET_NETINFO, ID_SEPARATOR, ID_TEST_CREGKEY,
};

constexpr glue::ToolBarLayout kToolBars[] = {
    {IDR_MAINFRAME, 16, 15, kMainToolBar},
};

}  // namespace

const std::span<const glue::ToolBarLayout> g_toolBars = kToolBars;
