// The program's resource tables, as the framework reads them, and string loading.
// The program defines AfxGetResources() (in its res/ folder); the framework only reads it.
#pragma once

#include <span>

#include <QIcon>
#include <QPixmap>

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

inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_SEPARATOR = 0x0800;

// A menu item; a separator has MF_SEPARATOR, id 0 and no text.
struct AFX_MENUITEM {
    UINT nFlags;
    UINT nID;
    const char* lpszText;  // "&" marks the mnemonic, "\t" leads the shortcut text
};

struct AFX_POPUP {
    const char* lpszText;
    std::span<const AFX_MENUITEM> items;
};

struct AFX_MENU {
    UINT nID;
    std::span<const AFX_POPUP> popups;
};

inline constexpr BYTE FVIRTKEY = 0x01;
inline constexpr BYTE FSHIFT = 0x04;
inline constexpr BYTE FCONTROL = 0x08;
inline constexpr BYTE FALT = 0x10;

inline constexpr WORD VK_BACK = 0x08;
inline constexpr WORD VK_DELETE = 0x2E;
inline constexpr WORD VK_INSERT = 0x2D;
inline constexpr WORD VK_F1 = 0x70;
inline constexpr WORD VK_F6 = 0x75;
inline constexpr WORD VK_NUMLOCK = 0x90;
inline constexpr WORD VK_SCROLL = 0x91;
inline constexpr WORD VK_CAPITAL = 0x14;

struct ACCEL {
    BYTE fVirt;
    WORD key;  // a virtual-key code: 'A'..'Z', '0'..'9' or a VK_ name
    WORD cmd;
};

struct AFX_ACCELTABLE {
    UINT nID;
    std::span<const ACCEL> entries;
};

// Button command ids in order, ID_SEPARATOR (0) for a gap; the n-th button shows the n-th
// image of the bitmap of the same id.
struct AFX_TOOLBAR {
    UINT nID;
    int nButtonWidth;
    int nButtonHeight;
    std::span<const UINT> items;
};

struct AFX_VERSION_STRING {
    const char* lpszKey;  // "FileDescription", "FileVersion", ...
    const char* lpszValue;
};

// A version block: fixed file and product versions and the strings of one language.
struct AFX_VERSIONINFO {
    UINT nID;
    WORD wFileVersion[4];
    WORD wProductVersion[4];
    WORD wLanguage;  // 0x0804: Chinese (PRC)
    WORD wCodePage;  // 1200: UTF-16
    std::span<const AFX_VERSION_STRING> strings;
};

struct AFX_RESOURCES {
    std::span<const AFX_STRING_RESOURCE> strings;
    std::span<const AFX_DLGTEMPLATE> dialogs;
    std::span<const AFX_IMAGE_RESOURCE> icons;
    std::span<const AFX_MENU> menus;
    std::span<const AFX_ACCELTABLE> accelerators;
    std::span<const AFX_TOOLBAR> toolbars;
    std::span<const AFX_IMAGE_RESOURCE> bitmaps;
    std::span<const AFX_VERSIONINFO> versions;
};

// Defined by the program: its resource tables.
const AFX_RESOURCES& AfxGetResources();

inline constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
inline constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;
inline constexpr UINT AFX_IDS_UNTITLED = 0xF000;
inline constexpr UINT AFX_IDP_FAILED_TO_OPEN_DOC = 0xF101;
inline constexpr UINT AFX_IDP_FAILED_TO_SAVE_DOC = 0xF102;
inline constexpr UINT AFX_IDS_ALLFILTER = 0xF011;

// The string nID from the program's table, else from the framework's own (Chinese) strings.
// Returns false, leaving `out` untouched, when neither has it.
bool AfxLoadString(UINT nID, CString& out);
// The dialog template nID; null when the program has none.
const AFX_DLGTEMPLATE* AfxFindDialogTemplate(UINT nID);
// Icon nID with every size its resource holds; a null icon when none.
QIcon AfxLoadIcon(UINT nID);
// Bitmap nID; a null pixmap when none.
QPixmap AfxLoadBitmap(UINT nID);
// The menu, accelerator table or toolbar nID; null when the program has none.
const AFX_MENU* AfxFindMenu(UINT nID);
const AFX_ACCELTABLE* AfxFindAccelerators(UINT nID);
const AFX_TOOLBAR* AfxFindToolBar(UINT nID);
// The version block nID; null when the program has none.
const AFX_VERSIONINFO* AfxFindVersionInfo(UINT nID);
// The nField'th "\n"-separated field of string nID; empty when absent.
CString AfxLoadStringField(UINT nID, int nField);
