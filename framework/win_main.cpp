// The framework's entry: the program supplies the application object, not main().
#include <QApplication>

#include "resource_language.h"
#include "resources.h"
#include "win_app.h"
#include "win_init.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    AfxWinInit();
    AfxUseResourceLanguage();
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    app->SetCommandLine(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(app->m_strAppName.str()));
    // The version block's file version, as Windows shows it in the file's properties.
    if (const AFX_VERSIONINFO* version = AfxFindVersionInfo(1)) {
        const WORD* v = version->wFileVersion;
        QApplication::setApplicationVersion(
            QStringLiteral("%1.%2.%3.%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]));
    }
    if (!app->InitInstance()) {
        app->ExitInstance();
        return 0;
    }
    return app->Run();
}
