// The application: start-up through InitInstance, the document template, the message loop.
// The program defines exactly one object of a class derived from it; UI thread only.
#pragma once

#include <memory>
#include <vector>

#include "cmd_target.h"
#include "cstring.h"

class CDocTemplate;
class CWnd;

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
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    CDocTemplate* GetFirstDocTemplate() const;

    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;  // from the constructor, else string AFX_IDS_APP_TITLE
    const char* m_pszAppName = nullptr;

    // Called by the framework's entry before InitInstance.
    void SetCommandLine(int argc, char** argv);

protected:
    void OnFileNew();

    DECLARE_MESSAGE_MAP()

private:
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::vector<CString> m_arguments;
};

CWinApp* AfxGetApp();
