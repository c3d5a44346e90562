#include "multi_cast_d.h"

#include "port_edit.h"
#include "resource.h"

IMPLEMENT_DYNCREATE(CMultiCastD, CDialog)

CMultiCastD::CMultiCastD(CWnd* pParent) : CDialog(IDD_MULTICAST, pParent) {}

void CMultiCastD::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_GROUP_ADDRESS, m_editAddress);
    DDX_Control(pDX, IDC_GROUP_PORT, m_editPort);
}

BEGIN_MESSAGE_MAP(CMultiCastD, CDialog)
ON_BN_CLICKED(IDOK, CMultiCastD::OnBnClickedOk)
END_MESSAGE_MAP()

BOOL CMultiCastD::OnInitDialog() {
    CDialog::OnInitDialog();
    m_editAddress.SetWindowText("228.7.7.7");
    m_editPort.SetWindowText("8001");
    return TRUE;
}

void CMultiCastD::OnBnClickedOk() {
    UpdateData(TRUE);
    if (!ReadPortTyped(m_editPort, m_nPort)) {
        return;
    }
    m_editAddress.GetWindowText(m_strAddress);
    CDialog::OnOK();
}
