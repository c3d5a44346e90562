#include "resource.h"
#include "resource_tables.h"
#include "version_config.h"

namespace {

constexpr glue::DialogItem kAboutItems[] = {
    {IDC_STATIC, glue::DialogControlKind::StaticIcon, nullptr, SS_ICON, 11, 17, 20, 20,
     IDR_MAINFRAME},
    {IDC_STATIC, glue::DialogControlKind::StaticText, "Vandrel " VANDREL_VERSION_SHORT " 版",
     WS_GROUP | SS_NOPREFIX, 40, 10, 119, 8},
    {IDC_STATIC, glue::DialogControlKind::StaticText, "版权所有 (C) 2026", WS_GROUP, 40, 25, 119,
     8},
    {IDOK, glue::DialogControlKind::PushButton, "确定", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 7,
     7, 50, 14},
    {IDC_GET_REG_VALUE, glue::DialogControlKind::PushButton, "GetRegValue", WS_TABSTOP, 157, 34, 60,
     14},
};

constexpr glue::DialogItem kUdpPortItems[] = {
    {IDOK, glue::DialogControlKind::PushButton, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 33, 55, 50,
     14},
    {IDC_UDP_PORT, glue::DialogControlKind::Edit, "",
     WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, 53, 22, 40, 14},
    {IDC_STATIC, glue::DialogControlKind::StaticText, "UDP Port", WS_GROUP, 15, 23, 32, 16},
};

constexpr glue::DialogItem kMulticastItems[] = {
    {IDOK, glue::DialogControlKind::PushButton, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 237, 20, 50,
     14},
    {IDCANCEL, glue::DialogControlKind::PushButton, "Cancel", WS_TABSTOP, 237, 47, 50, 14},
    {IDC_SCOPE_LINK_LOCAL, glue::DialogControlKind::StaticText,
     "局部链接地址:224.0.0.0～224.0.0.255,用于局域网,路由器不转发属于此范围的IP包;", WS_GROUP, 18,
     18, 204, 22},
    {IDC_SCOPE_RESERVED, glue::DialogControlKind::StaticText,
     "预留组播地址：224.0.1.0～238.255.255.255,用于全球范围或网络协议;", WS_GROUP, 18, 46, 205, 23},
    {IDC_SCOPE_ADMIN, glue::DialogControlKind::StaticText,
     "管理权限地址：239.0.0.0～239.255.255.255,组织内部使用,用于限制组播范围;", WS_GROUP, 18, 73,
     215, 26},
    {IDC_GROUP_ADDRESS, glue::DialogControlKind::Edit, "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
     60, 100, 57, 14},
    {IDC_GROUP_PORT, glue::DialogControlKind::Edit, "",
     WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, 175, 100, 40, 14},
    {IDC_STATIC, glue::DialogControlKind::StaticText, "IP address", WS_GROUP, 18, 100, 35, 8},
    {IDC_STATIC, glue::DialogControlKind::StaticText, "IP Port", WS_GROUP, 145, 100, 26, 10},
};

constexpr glue::DialogTemplate kDialogTemplates[] = {
    {IDD_ABOUTBOX, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 0, 235, 55,
     "关于 Vandrel", "宋体", 9, 400, false, kAboutItems},
    {IDD_UDP_PORT, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS, 0,
     0, 120, 86, "Dialog", "MS Shell Dlg", 8, 400, false, kUdpPortItems},
    {IDD_MULTICAST, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
     0, 0, 300, 146, "Dialog", "MS Shell Dlg", 8, 0, false, kMulticastItems},
};

}  // namespace

const std::span<const glue::DialogTemplate> g_dialogTemplates = kDialogTemplates;
