// Dialog units to pixels, from the base units of the dialog's own font, as Windows converts.
// Used by CDialog when it lays out a template.
#pragma once

#include <QFont>
#include <QRect>

#include "dialog_template.h"

namespace glue {

struct DialogBaseUnits {
    int x = 0;  // average character width, halved with rounding
    int y = 0;  // character cell height
};

// The installed font nearest to a template's face: a sans face for "MS Shell Dlg", a CJK
// serif face for "宋体", at the template's point size on a 96-dpi screen.
QFont DialogFont(const DialogTemplate& dialogTemplate);
DialogBaseUnits BaseUnitsOf(const QFont& font);
QRect DluToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy);

}  // namespace glue

// a * b / c rounded to the nearest integer, as MulDiv.
int MulDiv(int a, int b, int c);
