// The group and port dialog of "Multicast Received" (template IDD_MULTICAST).
// Shown modally by CVandrelView::OnMulticastReceived; m_nPort has a value only after OK.
#pragma once

#include "cstring.h"
#include "dialog.h"
#include "edit.h"

class CMultiCastD : public CDialog {
    DECLARE_DYNCREATE(CMultiCastD)
public:
    explicit CMultiCastD(CWnd* pParent = nullptr);

    CEdit m_editAddress;
    CEdit m_editPort;
    int m_nPort = 0;
    CString m_strAddress;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnBnClickedOk();

    DECLARE_MESSAGE_MAP()
};
