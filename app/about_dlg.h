// The About box: the program's icon, version and copyright, from dialog template 100, and the
// GetRegValue probe of the DVB card's two values in the machine registry.
// Shown modally by the application's About command; lives on that command's stack.
#pragma once

#include "dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnGetRegValue();

    DECLARE_MESSAGE_MAP()
};
