#include "resource.h"
#include "resource_tables.h"

namespace {

constexpr AFX_DLGITEM kUdpPortItems[] = {
    {IDOK, DlgControlKind::PushButton, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 33, 55, 50, 14},
    {IDC_UDP_PORT, DlgControlKind::Edit, "", WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL,
     53, 22, 40, 14},
    {IDC_STATIC, DlgControlKind::StaticText, "UDP Port", WS_GROUP, 15, 23, 32, 16},
};

constexpr AFX_DLGTEMPLATE kDialogTemplates[] = {
    {IDD_UDP_PORT, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS, 0,
     0, 120, 86, "Dialog", "MS Shell Dlg", 8, 400, false, kUdpPortItems},
};

}  // namespace

const std::span<const AFX_DLGTEMPLATE> g_dialogTemplates = kDialogTemplates;
