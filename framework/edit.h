// An edit control bound to a dialog's edit box.
// Used as a dialog member through DDX_Control; the dialog owns the widget.
#pragma once

#include "wnd.h"

class CEdit : public CWnd {
public:
    CEdit() = default;
};
