// The program's resource tables, as the framework reads them, and string loading.
// The program registers its tables with glue::SetResources before anything loads a resource.
#pragma once

#include <span>

#include <QIcon>
#include <QPixmap>

#include "cstring.h"
#include "dialog_template.h"

inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_SEPARATOR = 0x0800;

inline constexpr BYTE FVIRTKEY = 0x01;
inline constexpr BYTE FSHIFT = 0x04;
inline constexpr BYTE FCONTROL = 0x08;
inline constexpr BYTE FALT = 0x10;

struct ACCEL {
    BYTE fVirt;
    WORD key;  // a virtual-key code: 'A'..'Z', '0'..'9' or a VK_ name
    WORD cmd;
};

namespace glue {

struct StringResource {
    UINT nID;
    const char* lpszText;
};

// An image resource: a file compiled into the program's Qt resources.
struct ImageResource {
    UINT nID;
    const char* lpszPath;  // a ":/..." Qt resource path
};

// A menu item; a separator has MF_SEPARATOR, id 0 and no text.
struct MenuItem {
    UINT nFlags;
    UINT nID;
    const char* lpszText;  // "&" marks the mnemonic, "\t" leads the shortcut text
};

struct Popup {
    const char* lpszText;
    std::span<const MenuItem> items;
};

struct Menu {
    UINT nID;
    std::span<const Popup> popups;
};

struct AccelTable {
    UINT nID;
    std::span<const ACCEL> entries;
};

// Button command ids in order, ID_SEPARATOR (0) for a gap; the n-th button shows the n-th
// image of the bitmap of the same id.
struct ToolBarLayout {
    UINT nID;
    int nButtonWidth;
    int nButtonHeight;
    std::span<const UINT> items;
};

struct VersionString {
    const char* lpszKey;  // "FileDescription", "FileVersion", ...
    const char* lpszValue;
};

// A version block: fixed file and product versions and the strings of one language.
struct VersionInfo {
    UINT nID;
    WORD wFileVersion[4];
    WORD wProductVersion[4];
    WORD wLanguage;  // 0x0804: Chinese (PRC)
    WORD wCodePage;  // 1200: UTF-16
    std::span<const VersionString> strings;
};

struct ResourceTables {
    std::span<const StringResource> strings;
    std::span<const DialogTemplate> dialogs;
    std::span<const ImageResource> icons;
    std::span<const Menu> menus;
    std::span<const AccelTable> accelerators;
    std::span<const ToolBarLayout> toolbars;
    std::span<const ImageResource> bitmaps;
    std::span<const VersionInfo> versions;
};

}  // namespace glue

// The string nID from the registered string table (the framework's own texts are there too,
// under the AFX_IDS_ and AFX_IDP_ ids). Returns false, leaving `out` untouched, when it has none.
bool AfxLoadString(UINT nID, CString& out);

namespace glue {

// Makes `tables` the resources that every look-up reads; they must outlive every window.
// A look-up before any registration ends the program with a message saying so.
void SetResources(const ResourceTables& tables);

// The dialog template nID; null when the program has none.
const DialogTemplate* FindDialogTemplate(UINT nID);
// Icon nID with every size its resource holds; a null icon when none.
QIcon LoadIcon(UINT nID);
// Bitmap nID; a null pixmap when none.
QPixmap LoadBitmap(UINT nID);
// The menu, accelerator table or toolbar nID; null when the program has none.
const Menu* FindMenu(UINT nID);
const AccelTable* FindAccelerators(UINT nID);
const ToolBarLayout* FindToolBar(UINT nID);
// The version block nID; null when the program has none.
const VersionInfo* FindVersionInfo(UINT nID);
// The nField'th "\n"-separated field of string nID; empty when absent.
CString LoadStringField(UINT nID, int nField);

}  // namespace glue
