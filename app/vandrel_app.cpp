#include "vandrel_app.h"

#include "about_dlg.h"
#include "doc_template.h"
#include "main_frame.h"
#include "message_box.h"
#include "named_mutex.h"
#include "resource.h"
#include "resource_tables.h"
#include "socket_init.h"
#include "standard_ids.h"
#include "vandrel_doc.h"
#include "vandrel_view.h"
#include "win_error.h"

BEGIN_MESSAGE_MAP(CVandrelApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, CVandrelApp::OnAppAbout)
ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
ON_COMMAND(ID_FILE_OPEN, CWinApp::OnFileOpen)
ON_COMMAND(ID_FILE_PRINT_SETUP, CWinApp::OnFilePrintSetup)
END_MESSAGE_MAP()

// Made before main(), so the tables are in place before anything, --help included, loads one.
CVandrelApp::CVandrelApp() {
    glue::SetResources(VandrelResources());
}

CVandrelApp theApp;

BOOL CVandrelApp::InitInstance() {
    CreateMutexA(nullptr, TRUE, m_pszAppName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        AfxMessageBox("The Program CVandrelApp Is Already Running!", MB_OK, 0);
        return FALSE;
    }
    if (!AfxSocketInit()) {
        AfxMessageBox(IDP_SOCKETS_INIT_FAILED, MB_OK, static_cast<UINT>(-1));
        return FALSE;
    }
    AfxEnableControlContainer();
    SetRegistryKey("Local AppWizard-Generated Applications");
    LoadStdProfileSettings(4);
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

void CVandrelApp::OnAppAbout() {
    CAboutDlg aboutDlg;
    aboutDlg.DoModal();
}
