// The framework's entry: the program supplies the application object, not main().
#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include "win_app.h"

namespace {

// The resources are Chinese (PRC); the framework's own dialogs and buttons follow them,
// whatever the user's locale, and Chinese text takes the simplified-Chinese glyphs.
void UseResourceLanguage(QTranslator& translator) {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    if (translator.load(QStringLiteral("qtbase_zh_CN"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&translator);
    }
    QFont font = QApplication::font();
    font.setFamilies({font.family(), QStringLiteral("Noto Sans CJK SC")});
    QApplication::setFont(font);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QTranslator translator;
    UseResourceLanguage(translator);
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
