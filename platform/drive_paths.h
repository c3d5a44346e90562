// Windows drive-letter paths ("d:\ReceivedUDP.ts") as files in the prefix folder.
// Used by the file stand-ins; no state of its own beyond the environment.
// Drive X: is <prefix>/drives/x, created on first use.
#pragma once

#include <string>

#include "win_types.h"

// $VANDREL_PREFIX, else ${XDG_DATA_HOME:-$HOME/.local/share}/vandrel; without HOME, the
// home folder the password database gives the user.
std::string GetPrefixFolder();

// Whether the prefix folder exists and belongs to another user: such a folder is refused.
bool IsPrefixFolderForeign();

// Maps lpPath to the host path of the same file, matching each component that already
// exists case-insensitively. Returns ERROR_SUCCESS, ERROR_PATH_NOT_FOUND for a path
// without a drive letter, ERROR_ACCESS_DENIED when the prefix folder belongs to another
// user, or the code of the failure to create the drive's folder; hostPath is set only on
// success.
[[nodiscard]] DWORD MapDrivePath(LPCSTR lpPath, std::string& hostPath);
