// The resource tables these tests give the framework in place of a program's.
// Used by the frame tests; the toolbar bitmap's file is made at run time.
#pragma once

#include <string>

#include "resources.h"

inline constexpr UINT IDR_TEST = 200;
inline constexpr UINT ID_HANDLED = 40001;
inline constexpr UINT ID_UNHANDLED = 40002;
inline constexpr UINT ID_NO_STRING = 40003;

// Names the file that bitmap IDR_TEST is read from.
void SetTestBitmapPath(const std::string& path);

// The tables above, registered with the framework before main.
const glue::ResourceTables& TestResources();
