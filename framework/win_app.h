// The application: start-up through InitInstance, the profile and recent-file list, the
// document template, the message loop and the application-wide commands.
// The program defines exactly one object of a class derived from it; UI thread only.
#pragma once

#include <memory>
#include <vector>

#include "cmd_target.h"
#include "cstring.h"

class CDocTemplate;
class CDocument;
class CRecentFileList;
class CWnd;
class QPrinter;
class QSettings;

class CCommandLineInfo {
public:
    enum { FileNew, FileOpen, FileNothing = -1 } m_nShellCommand = FileNew;
    CString m_strFileName;
};

class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Runs the message loop until the main window closes; returns ExitInstance's result.
    virtual int Run();

    void AddDocTemplate(CDocTemplate* pTemplate);
    // The first file name opens that file; the standard flags (/p, /pt with its printer, driver
    // and port, /dde, /Automation, /Embedding, /RegServer, /Unregister, and their "-" forms)
    // mean nothing here and are skipped.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    CDocTemplate* GetFirstDocTemplate() const;
    // Opens lpszFileName as the document; null, after the framework's message, on failure.
    virtual CDocument* OpenDocumentFile(LPCSTR lpszFileName);

    // The profile: settings under the company key lpszRegistryKey and the application's name.
    void SetRegistryKey(LPCSTR lpszRegistryKey);
    // Reads the recent-file list (nMaxMRU entries at most) from the profile.
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    // Puts lpszPathName first in the recent-file list and saves the list at once.
    virtual void AddToRecentFileList(LPCSTR lpszPathName);
    CRecentFileList* GetRecentFileList() const { return m_pRecentFileList.get(); }

    // Asks for a file name with the file dialog; FALSE when cancelled.
    BOOL DoPromptFileName(CString& fileName, BOOL bOpenFileDialog);
    // The printer that print setup chose and printing uses.
    QPrinter& GetPrinter();

    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;  // from the constructor, else string AFX_IDS_APP_TITLE
    const char* m_pszAppName = nullptr;
    const char* m_pszRegistryKey = nullptr;

    // Called by the framework's entry before InitInstance.
    void SetCommandLine(int argc, char** argv);

    // For derived applications' maps.
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();

protected:
    void OnAppExit();
    BOOL OnOpenRecentFile(UINT nID);
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

    DECLARE_MESSAGE_MAP()

private:
    std::unique_ptr<QSettings> OpenProfile() const;
    void SaveRecentFileList();

    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::vector<CString> m_arguments;
    CString m_strRegistryKey;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    std::unique_ptr<QPrinter> m_pPrinter;
};

CWinApp* AfxGetApp();
// Lets dialogs hold controls of any kind; Qt widgets need nothing for that.
void AfxEnableControlContainer();
