#include "win_app.h"

#include <QApplication>

#include "doc_template.h"
#include "document.h"
#include "resources.h"
#include "wnd.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

CWinApp::CWinApp(LPCSTR lpszAppName) {
    if (lpszAppName != nullptr) {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
    }
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

void CWinApp::SetCommandLine(int argc, char** argv) {
    m_arguments.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (m_pszAppName == nullptr) {
        AfxLoadString(AFX_IDS_APP_TITLE, m_strAppName);
        m_pszAppName = m_strAppName;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

int CWinApp::Run() {
    QApplication::exec();
    return ExitInstance();
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
    if (pTemplate != nullptr) {
        m_templates.emplace_back(pTemplate);
    }
}

CDocTemplate* CWinApp::GetFirstDocTemplate() const {
    return m_templates.empty() ? nullptr : m_templates.front().get();
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    for (const CString& argument : m_arguments) {
        const char first = argument.IsEmpty() ? '\0' : argument.str()[0];
        if (first == '-' || first == '/') {
            continue;  // flags of the standard parser mean nothing here
        }
        if (rCmdInfo.m_strFileName.IsEmpty()) {
            rCmdInfo.m_strFileName = argument;
            rCmdInfo.m_nShellCommand = CCommandLineInfo::FileOpen;
        }
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
    CDocTemplate* docTemplate = GetFirstDocTemplate();
    if (docTemplate == nullptr) {
        return FALSE;
    }
    switch (rCmdInfo.m_nShellCommand) {
        case CCommandLineInfo::FileNew:
            return docTemplate->OpenDocumentFile(nullptr) != nullptr;
        case CCommandLineInfo::FileOpen:
            return docTemplate->OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
        case CCommandLineInfo::FileNothing:
            return TRUE;
    }
    return FALSE;
}

void CWinApp::OnFileNew() {
    if (CDocTemplate* docTemplate = GetFirstDocTemplate()) {
        docTemplate->OpenDocumentFile(nullptr);
    }
}
