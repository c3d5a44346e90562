#include "about_dlg.h"

#include "message_box.h"
#include "registry.h"
#include "resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
}

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
ON_BN_CLICKED(IDC_GET_REG_VALUE, CAboutDlg::OnGetRegValue)
END_MESSAGE_MAP()

// Probes the first DVB card's key; only failures are shown.
void CAboutDlg::OnGetRegValue() {
    HKEY hKey = nullptr;
    BYTE szValue[200];
    DWORD dwSize = 0;
    CString strMsg;
    LONG lResult = RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Ostrand\\Quellar\\DVB Card 1", &hKey);
    if (lResult != ERROR_SUCCESS) {
        strMsg.Format("RegOpenKeyA error,error code = %ld", static_cast<long>(lResult));
        AfxMessageBox(strMsg, MB_OK, 0);
        return;
    }
    dwSize = 100;
    lResult = RegQueryValueExA(hKey, "ChannelID", nullptr, nullptr, szValue, &dwSize);
    if (lResult != ERROR_SUCCESS) {
        strMsg.Format("RegQueryValueA error,error code = %ld", static_cast<long>(lResult));
        AfxMessageBox(strMsg, MB_OK, 0);
    }
    dwSize = 100;
    lResult = RegQueryValueExA(hKey, "Card State", nullptr, nullptr, szValue, &dwSize);
    if (lResult != ERROR_SUCCESS) {
        strMsg.Format("RegQueryValueA error,error code = %ld", static_cast<long>(lResult));
        AfxMessageBox(strMsg, MB_OK, 0);
    }
    RegCloseKey(hKey);
}
