// The framework's entry: the program supplies the application object, not main().
#include <QApplication>

#include "win_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    app->SetCommandLine(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(app->m_strAppName.str()));
    if (!app->InitInstance()) {
        app->ExitInstance();
        return 0;
    }
    return app->Run();
}
