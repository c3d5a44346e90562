#include "resource_language.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

bool glue::UseResourceLanguage() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    // CJK fonts also cover Japanese and Korean; without a hint the first installed one wins.
    QFont font = QApplication::font();
    font.setFamilies({font.family(), QStringLiteral("Noto Sans CJK SC")});
    QApplication::setFont(font);
    static QTranslator translator;
    if (!translator.load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    QApplication::installTranslator(&translator);
    return true;
}
