#include "udp_dia.h"

#include "port_edit.h"
#include "resource.h"

IMPLEMENT_DYNAMIC(CUDPDia, CDialog)

CUDPDia::CUDPDia(CWnd* pParent) : CDialog(IDD_UDP_PORT, pParent) {}

void CUDPDia::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_UDP_PORT, m_editPort);
}

BEGIN_MESSAGE_MAP(CUDPDia, CDialog)
ON_BN_CLICKED(IDOK, CUDPDia::OnBnClickedOk)
END_MESSAGE_MAP()

BOOL CUDPDia::OnInitDialog() {
    CDialog::OnInitDialog();
    m_editPort.SetWindowText("1002");
    return TRUE;
}

void CUDPDia::OnBnClickedOk() {
    UpdateData(TRUE);
    if (!ReadPortTyped(m_editPort, m_nPort)) {
        return;
    }
    CDialog::OnOK();
}
