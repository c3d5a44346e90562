// The application object: start-up in a fixed order, and the About command.
// The one object is theApp; the framework's entry calls its InitInstance once.
#pragma once

#include "win_app.h"

class CVandrelApp : public CWinApp {
public:
    CVandrelApp();

    BOOL InitInstance() override;

protected:
    void OnAppAbout();

    DECLARE_MESSAGE_MAP()
};

extern CVandrelApp theApp;
