#include "dialog_units.h"

#include <QFontMetrics>
#include <QStringList>
#include <cstdlib>
#include <cstring>

QFont glue::DialogFont(const glue::DialogTemplate& dialogTemplate) {
    QFont font;
    const char* face = dialogTemplate.lpszFontFace != nullptr ? dialogTemplate.lpszFontFace : "";
    if (std::strcmp(face, "宋体") == 0) {
        font.setFamilies(QStringList{QStringLiteral("Noto Serif CJK SC"), QStringLiteral("serif")});
    } else {
        font.setFamilies(QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    }
    constexpr int kWindowsDpi = 96;
    font.setPixelSize(MulDiv(dialogTemplate.wPointSize, kWindowsDpi, 72));
    font.setWeight(dialogTemplate.wWeight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(dialogTemplate.bItalic);
    return font;
}

glue::DialogBaseUnits glue::BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(width / 26 + 1) / 2, metrics.ascent() + metrics.descent()};
}

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(c) / 2;
    const long long rounded = (product >= 0) == (c > 0) ? (product + (c > 0 ? half : -half)) / c
                                                        : (product - (c > 0 ? half : -half)) / c;
    return static_cast<int>(rounded);
}

QRect glue::DluToPixels(const glue::DialogBaseUnits& units, int x, int y, int cx, int cy) {
    return {MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4),
            MulDiv(cy, units.y, 8)};
}
