// The application object: start-up in a fixed order, and the About command.
#pragma once

#include "win_app.h"

class CVandrelApp : public CWinApp {
public:
    CVandrelApp();

    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};

extern CVandrelApp theApp;
extern CString g_strGroupIP;
