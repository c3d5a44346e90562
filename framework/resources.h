// The program's resource tables, as the framework reads them, and string loading.
// The program defines AfxGetResources() (in its res/ folder); the framework only reads it.
#pragma once

#include <span>

#include <QIcon>

#include "cstring.h"
#include "dialog_template.h"

struct AFX_STRING_RESOURCE {
    UINT nID;
    const char* lpszText;
};

// An image resource: a file compiled into the program's Qt resources.
struct AFX_IMAGE_RESOURCE {
    UINT nID;
    const char* lpszPath;  // a ":/..." Qt resource path
};

struct AFX_RESOURCES {
    std::span<const AFX_STRING_RESOURCE> strings;
    std::span<const AFX_DLGTEMPLATE> dialogs;
    std::span<const AFX_IMAGE_RESOURCE> icons;
};

// Defined by the program: its resource tables.
const AFX_RESOURCES& AfxGetResources();

inline constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
inline constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;
inline constexpr UINT AFX_IDS_UNTITLED = 0xF000;

// The string nID from the program's table, else from the framework's own (Chinese) strings.
// Returns false, leaving `out` untouched, when neither has it.
bool AfxLoadString(UINT nID, CString& out);
// The dialog template nID; null when the program has none.
const AFX_DLGTEMPLATE* AfxFindDialogTemplate(UINT nID);
// Icon nID with every size its resource holds; a null icon when none.
QIcon AfxLoadIcon(UINT nID);
// The nField'th "\n"-separated field of string nID; empty when absent.
CString AfxLoadStringField(UINT nID, int nField);
