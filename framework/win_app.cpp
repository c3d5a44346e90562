#include "win_app.h"

#include <QApplication>
#include <QFileDialog>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QSettings>
#include <array>
#include <cctype>
#include <string>
#include <string_view>

#include "action_cmd_ui.h"
#include "doc_template.h"
#include "document.h"
#include "recent_file_list.h"
#include "resources.h"
#include "standard_ids.h"
#include "wnd.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_APP_EXIT, CWinApp::OnAppExit)
ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, CWinApp::OnUpdateRecentFileMenu)
ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, CWinApp::OnOpenRecentFile)
END_MESSAGE_MAP()

namespace {

CWinApp* g_pApp = nullptr;

constexpr UINT kMaxRecentFiles = 16;

// A flag of the standard parser, lower-cased without its "/" or "-"; empty for anything else.
std::string FlagOf(std::string_view argument) {
    if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) {
        return {};
    }
    std::string flag(argument.substr(1));
    for (char& c : flag) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    constexpr std::array<std::string_view, 9> kFlags = {"p",          "pt",         "dde",
                                                        "automation", "embedding",  "regserver",
                                                        "register",   "unregister", "unregserver"};
    for (std::string_view known : kFlags) {
        if (flag == known) {
            return flag;
        }
    }
    return {};
}

}  // namespace

CWinApp* AfxGetApp() {
    return g_pApp;
}

void AfxEnableControlContainer() {}

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
    auto take = [&rCmdInfo](const CString& fileName) {
        if (rCmdInfo.m_strFileName.IsEmpty()) {
            rCmdInfo.m_strFileName = fileName;
            rCmdInfo.m_nShellCommand = CCommandLineInfo::FileOpen;
        }
    };
    for (size_t i = 0; i < m_arguments.size(); ++i) {
        const std::string flag = FlagOf(m_arguments[i].str());
        if (flag == "pt") {
            // "/pt file printer driver port": the file opens, the printer means nothing here.
            if (i + 1 < m_arguments.size()) {
                take(m_arguments[i + 1]);
            }
            i += 4;
        } else if (flag.empty()) {
            take(m_arguments[i]);
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
            return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
        case CCommandLineInfo::FileNothing:
            return TRUE;
    }
    return FALSE;
}

CDocument* CWinApp::OpenDocumentFile(LPCSTR lpszFileName) {
    CDocTemplate* docTemplate = GetFirstDocTemplate();
    return docTemplate != nullptr ? docTemplate->OpenDocumentFile(lpszFileName) : nullptr;
}

void CWinApp::SetRegistryKey(LPCSTR lpszRegistryKey) {
    m_strRegistryKey = lpszRegistryKey;
    m_pszRegistryKey = m_strRegistryKey;
}

std::unique_ptr<QSettings> CWinApp::OpenProfile() const {
    return std::make_unique<QSettings>(QString::fromUtf8(m_strRegistryKey.str()),
                                       QString::fromUtf8(m_strAppName.str()));
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
    if (nMaxMRU == 0) {
        return;
    }
    m_pRecentFileList =
        std::make_unique<CRecentFileList>(ID_FILE_MRU_FILE1, "Recent File List", "File%d",
                                          static_cast<int>(std::min(nMaxMRU, kMaxRecentFiles)));
    m_pRecentFileList->ReadList(*OpenProfile());
}

void CWinApp::AddToRecentFileList(LPCSTR lpszPathName) {
    if (m_pRecentFileList != nullptr) {
        m_pRecentFileList->Add(lpszPathName);
        SaveRecentFileList();
    }
}

// Saved at each change, so that a list survives however the program ends.
void CWinApp::SaveRecentFileList() {
    m_pRecentFileList->WriteList(*OpenProfile());
}

BOOL CWinApp::DoPromptFileName(CString& fileName, BOOL bOpenFileDialog) {
    QWidget* parent = m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr;
    QFileDialog dialog(parent);
    dialog.setAcceptMode(bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(bOpenFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!fileName.IsEmpty()) {
        dialog.selectFile(QString::fromUtf8(fileName.str()));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return FALSE;
    }
    fileName = dialog.selectedFiles().constFirst().toStdString();
    return TRUE;
}

QPrinter& CWinApp::GetPrinter() {
    if (m_pPrinter == nullptr) {
        m_pPrinter = std::make_unique<QPrinter>();
    }
    return *m_pPrinter;
}

void CWinApp::OnFileNew() {
    if (CDocTemplate* docTemplate = GetFirstDocTemplate()) {
        docTemplate->OpenDocumentFile(nullptr);
    }
}

void CWinApp::OnFileOpen() {
    CString fileName;
    if (DoPromptFileName(fileName, TRUE)) {
        OpenDocumentFile(fileName);
    }
}

void CWinApp::OnFilePrintSetup() {
    QPageSetupDialog dialog(&GetPrinter(),
                            m_pMainWnd != nullptr ? m_pMainWnd->GetSafeHwnd() : nullptr);
    dialog.exec();
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd != nullptr) {
        m_pMainWnd->SendMessage(WM_CLOSE);
    }
}

BOOL CWinApp::OnOpenRecentFile(UINT nID) {
    const int index = static_cast<int>(nID - ID_FILE_MRU_FILE1);
    if (m_pRecentFileList == nullptr || index >= m_pRecentFileList->GetCount()) {
        return FALSE;
    }
    const CString path = (*m_pRecentFileList)[index];
    if (OpenDocumentFile(path) == nullptr) {
        m_pRecentFileList->Remove(index);
        SaveRecentFileList();
    }
    return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
    if (m_pRecentFileList == nullptr) {
        pCmdUI->Enable(FALSE);
        return;
    }
    m_pRecentFileList->UpdateMenu(pCmdUI);
}
