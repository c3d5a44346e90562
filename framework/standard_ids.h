// The framework's standard command, control-bar and string ids, with their Windows values.
// Used by the framework's own handlers and by the program's resource tables.
#pragma once

#include "win_types.h"

inline constexpr UINT ID_SEPARATOR = 0;

inline constexpr UINT ID_FILE_NEW = 0xE100;
inline constexpr UINT ID_FILE_OPEN = 0xE101;
inline constexpr UINT ID_FILE_CLOSE = 0xE102;
inline constexpr UINT ID_FILE_SAVE = 0xE103;
inline constexpr UINT ID_FILE_SAVE_AS = 0xE104;
inline constexpr UINT ID_FILE_PAGE_SETUP = 0xE105;
inline constexpr UINT ID_FILE_PRINT_SETUP = 0xE106;
inline constexpr UINT ID_FILE_PRINT = 0xE107;
inline constexpr UINT ID_FILE_PRINT_DIRECT = 0xE108;
inline constexpr UINT ID_FILE_PRINT_PREVIEW = 0xE109;
inline constexpr UINT ID_FILE_MRU_FILE1 = 0xE110;
inline constexpr UINT ID_FILE_MRU_FILE16 = 0xE11F;

inline constexpr UINT ID_EDIT_CLEAR = 0xE120;
inline constexpr UINT ID_EDIT_CLEAR_ALL = 0xE121;
inline constexpr UINT ID_EDIT_COPY = 0xE122;
inline constexpr UINT ID_EDIT_CUT = 0xE123;
inline constexpr UINT ID_EDIT_FIND = 0xE124;
inline constexpr UINT ID_EDIT_PASTE = 0xE125;
inline constexpr UINT ID_EDIT_REPEAT = 0xE128;
inline constexpr UINT ID_EDIT_REPLACE = 0xE129;
inline constexpr UINT ID_EDIT_SELECT_ALL = 0xE12A;
inline constexpr UINT ID_EDIT_UNDO = 0xE12B;
inline constexpr UINT ID_EDIT_REDO = 0xE12C;

inline constexpr UINT ID_WINDOW_SPLIT = 0xE135;
inline constexpr UINT ID_APP_ABOUT = 0xE140;
inline constexpr UINT ID_APP_EXIT = 0xE141;
inline constexpr UINT ID_NEXT_PANE = 0xE150;
inline constexpr UINT ID_PREV_PANE = 0xE151;

inline constexpr UINT ID_INDICATOR_EXT = 0xE700;
inline constexpr UINT ID_INDICATOR_CAPS = 0xE701;
inline constexpr UINT ID_INDICATOR_NUM = 0xE702;
inline constexpr UINT ID_INDICATOR_SCRL = 0xE703;
inline constexpr UINT ID_INDICATOR_OVR = 0xE704;
inline constexpr UINT ID_INDICATOR_REC = 0xE705;

// A control bar's id is also the View-menu command that shows or hides it.
inline constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
inline constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;
inline constexpr UINT ID_VIEW_TOOLBAR = AFX_IDW_TOOLBAR;
inline constexpr UINT ID_VIEW_STATUS_BAR = AFX_IDW_STATUS_BAR;

// The framework's own texts; the program's string table holds them.
inline constexpr UINT AFX_IDS_APP_TITLE = 0xE000;
inline constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;
inline constexpr UINT AFX_IDS_UNTITLED = 0xF000;
inline constexpr UINT AFX_IDP_FAILED_TO_OPEN_DOC = 0xF101;  // %1 the file, %2 why
inline constexpr UINT AFX_IDP_FAILED_TO_SAVE_DOC = 0xF102;  // %1 the file, %2 why
inline constexpr UINT AFX_IDP_FILE_NOT_FOUND = 0xF182;
inline constexpr UINT AFX_IDP_FILE_BAD_PATH = 0xF183;  // a folder where a file was meant
inline constexpr UINT AFX_IDP_FILE_ACCESS_DENIED = 0xF185;

inline constexpr UINT AFX_IDS_SCSIZE = 0xEF00;
inline constexpr UINT AFX_IDS_SCMOVE = 0xEF01;
inline constexpr UINT AFX_IDS_SCMINIMIZE = 0xEF02;
inline constexpr UINT AFX_IDS_SCMAXIMIZE = 0xEF03;
inline constexpr UINT AFX_IDS_SCNEXTWINDOW = 0xEF04;
inline constexpr UINT AFX_IDS_SCPREVWINDOW = 0xEF05;
inline constexpr UINT AFX_IDS_SCCLOSE = 0xEF06;
inline constexpr UINT AFX_IDS_SCRESTORE = 0xEF12;
inline constexpr UINT AFX_IDS_SCTASKLIST = 0xEF13;
inline constexpr UINT AFX_IDS_PREVIEW_CLOSE = 0xF005;
