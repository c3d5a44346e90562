#include "vandrel_app.h"

#include "doc_template.h"
#include "main_frame.h"
#include "resource.h"
#include "vandrel_doc.h"
#include "vandrel_view.h"

BEGIN_MESSAGE_MAP(CVandrelApp, CWinApp)
END_MESSAGE_MAP()

CVandrelApp::CVandrelApp() = default;

// Defined together, in this order, so that they are constructed in this order.
CVandrelApp theApp;
CString g_strGroupIP;

BOOL CVandrelApp::InitInstance() {
    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CVandrelDoc),
                                          RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CVandrelView)));
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!ProcessShellCommand(cmdInfo)) {
        return FALSE;
    }
    m_pMainWnd->ShowWindow(SW_SHOW);
    m_pMainWnd->UpdateWindow();
    return TRUE;
}
