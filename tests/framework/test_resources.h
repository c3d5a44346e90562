// The resource tables these tests give the framework in place of a program's.
// Used by the frame tests; the toolbar bitmap's file is made at run time.
#pragma once

#include <string>

#include "resources.h"

inline constexpr UINT IDR_TEST = 200;
inline constexpr UINT IDR_NARROW = 201;  // a bitmap one image short
inline constexpr UINT ID_HANDLED = 40001;
inline constexpr UINT ID_UNHANDLED = 40002;
inline constexpr UINT ID_NO_STRING = 40003;
inline constexpr UINT IDD_TEST = 300;
inline constexpr int IDC_LEFT_LABELLED = 1001;   // labelled on its row, the label listed after it
inline constexpr int IDC_ABOVE_LABELLED = 1002;  // labelled from above only
inline constexpr int IDC_UNLABELLED = 1003;

// Names the file that bitmap nID (IDR_TEST or IDR_NARROW) is read from.
void SetTestBitmapPath(UINT nID, const std::string& path);

// The tables above, registered with the framework before main.
const glue::ResourceTables& TestResources();
