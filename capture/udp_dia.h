// The port dialog of "UniCast Received" (template IDD_UDP_PORT).
// Shown modally by CVandrelView::OnUnicastReceived; m_nPort has a value only after OK.
#pragma once

#include "dialog.h"
#include "edit.h"

class CUDPDia : public CDialog {
    DECLARE_DYNAMIC(CUDPDia)
public:
    explicit CUDPDia(CWnd* pParent = nullptr);

    CEdit m_editPort;
    int m_nPort = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnBnClickedOk();

    DECLARE_MESSAGE_MAP()
};
