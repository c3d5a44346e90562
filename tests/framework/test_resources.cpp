#include "test_resources.h"

#include "standard_ids.h"
#include "virtual_keys.h"

namespace {

constexpr glue::StringResource kStrings[] = {
    {IDR_TEST, "Test\n\n\n\n\n\n"},
    {ID_HANDLED, "Does it\nHandled"},
    {ID_UNHANDLED, "Nobody does it"},
    {ID_INDICATOR_CAPS, "CAP"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {AFX_IDS_UNTITLED, "无标题"},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "无法打开文档“%1”：%2"},
    {AFX_IDP_FAILED_TO_SAVE_DOC, "无法保存文档“%1”：%2"},
    {AFX_IDP_FILE_NOT_FOUND, "文件不存在。"},
    {AFX_IDP_FILE_BAD_PATH, "这是一个文件夹。"},
    {AFX_IDP_FILE_ACCESS_DENIED, "没有访问权限。"},
};

constexpr glue::MenuItem kItems[] = {
    {0, ID_HANDLED, "&Handled\tCtrl+A"},
    {MF_SEPARATOR, 0, nullptr},
    {0, ID_UNHANDLED, "&Unhandled\tCtrl+B"},
    {MF_GRAYED, ID_NO_STRING, "Starts greyed"},
};

constexpr glue::Popup kPopups[] = {{"&Test", kItems}};
constexpr glue::Menu kMenus[] = {{IDR_TEST, kPopups}};

constexpr ACCEL kKeys[] = {
    {FVIRTKEY | FCONTROL, 'A', ID_HANDLED},
    {FVIRTKEY | FCONTROL, 'B', ID_UNHANDLED},
    {FVIRTKEY | FSHIFT, VK_F6, ID_HANDLED},
};
constexpr glue::AccelTable kAccelerators[] = {{IDR_TEST, kKeys}};

constexpr UINT kButtons[] = {ID_HANDLED, ID_SEPARATOR, ID_UNHANDLED};
constexpr glue::ToolBarLayout kToolBars[] = {{IDR_TEST, 16, 15, kButtons},
                                             {IDR_NARROW, 16, 15, kButtons}};

constexpr glue::DialogItem kTestDialogItems[] = {
    {IDOK, glue::DialogControlKind::PushButton, "&OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 150, 5, 40,
     14},
    {IDC_STATIC, glue::DialogControlKind::StaticIcon, nullptr, SS_ICON, 150, 40, 20, 20, IDR_TEST},
    {IDC_LEFT_LABELLED, glue::DialogControlKind::Edit, "", WS_BORDER | WS_TABSTOP, 60, 5, 40, 14},
    {IDC_STATIC, glue::DialogControlKind::StaticText, "Far left", 0, 2, 5, 20, 8},
    {IDC_STATIC, glue::DialogControlKind::StaticText, "&Group", 0, 25, 6, 30, 8},
    {IDC_STATIC, glue::DialogControlKind::StaticText, "Port above", 0, 5, 25, 60, 8},
    {IDC_ABOVE_LABELLED, glue::DialogControlKind::Edit, "", WS_BORDER | WS_TABSTOP, 5, 35, 40, 14},
    {IDC_UNLABELLED, glue::DialogControlKind::Edit, "", WS_BORDER | WS_TABSTOP, 100, 35, 40, 14},
    {IDC_STATIC, glue::DialogControlKind::StaticText, "A text longer than its control is wide", 0,
     5, 55, 60, 30},
};
constexpr glue::DialogTemplate kDialogs[] = {
    {IDD_TEST, WS_POPUP | WS_CAPTION | DS_SETFONT, 0, 0, 200, 90, "Test", "Sans", 8, 400, false,
     kTestDialogItems},
};

glue::ImageResource g_bitmaps[] = {{IDR_TEST, nullptr}, {IDR_NARROW, nullptr}};

}  // namespace

void SetTestBitmapPath(UINT nID, const std::string& path) {
    static std::string paths[2];
    const int index = nID == IDR_TEST ? 0 : 1;
    paths[index] = path;
    g_bitmaps[index].lpszPath = paths[index].c_str();
}

const glue::ResourceTables& TestResources() {
    static const glue::ResourceTables resources = {
        kStrings, kDialogs, {}, kMenus, kAccelerators, kToolBars, g_bitmaps, {},
    };
    return resources;
}

namespace {
// Before main, so that nothing of the framework runs without its tables.
[[maybe_unused]] const bool registered = (glue::SetResources(TestResources()), true);
}  // namespace
