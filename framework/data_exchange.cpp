#include "data_exchange.h"

#include "dialog.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.GetSafeHwnd() != nullptr) {
        return;
    }
    if (QWidget* control = pDX->m_pDlgWnd->GetDlgItem(nIDC)) {
        rControl.SubclassWidget(control);
    }
}
