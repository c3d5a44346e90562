// Data exchange between a dialog's controls and its members.
// Used by CDialog::UpdateData and the program's DoDataExchange overrides.
#pragma once

#include "win_types.h"

class CDialog;
class CWnd;

class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    CDialog* m_pDlgWnd;
};

// Binds control nIDC of the dialog to rControl, once; a missing control leaves it unbound.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
