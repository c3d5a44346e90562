// The port a capture dialog's edit holds, read as both dialogs read it. Called by their OK
// handlers on the user-interface thread.
#pragma once

#include "cstring.h"
#include "edit.h"

// A whole number from 0 to 65535, spaces around ignored: TRUE with it in nPort. Anything else
// would bind a port the user did not type: it is said, nPort is left as it was, and FALSE
// tells the dialog to stay open for a correction.
BOOL ReadPortTyped(const CEdit& edit, int& nPort);
