// The port a capture dialog's edit holds, read as both dialogs read it: its leading digits,
// 0 when it starts with none, which the capture then refuses with its message.
#pragma once

#include <cstdlib>

#include "cstring.h"
#include "edit.h"

inline int PortTyped(const CEdit& edit) {
    CString strPort;
    edit.GetWindowText(strPort);
    return std::atoi(strPort);
}
