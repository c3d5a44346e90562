// A modal dialog built from a template of the program's resources, laid out in dialog units.
// The program's dialogs derive from it and live on the stack of the command that shows them.
#pragma once

#include <map>

#include "data_exchange.h"
#include "dialog_template.h"
#include "wnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs a nested event loop; returns IDOK, IDCANCEL or EndDialog's code, or -1 when
    // the template does not exist.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);
    // The control with id nID; null when none.
    QWidget* GetDlgItem(int nID) const;
    // TRUE: controls to members; FALSE: members to controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    // Escape, the close box and IDCANCEL come here.
    virtual void OnCancel();

protected:
    virtual void DoDataExchange(CDataExchange* /*pDX*/) {}
    virtual void OnOK();

    UINT m_nIDHelp;

    DECLARE_MESSAGE_MAP()

private:
    // Returns the first tab stop, if any.
    QWidget* CreateControls(const glue::DialogTemplate& dialogTemplate);

    CWnd* m_pParentWnd;
    std::map<int, QWidget*> m_controls;
};
