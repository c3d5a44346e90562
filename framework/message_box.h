// Modal message boxes captioned with the application's name, callable from any thread.
// A worker's call is carried to the user-interface thread and waits there until dismissed.
#pragma once

#include "win_types.h"

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONWARNING = 0x30;

// Shows lpszText with an OK button; returns IDOK once dismissed, or 0 when no box could be
// shown (no application, or it is shutting down or ending on a signal or a lost display).
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The same with string nIDPrompt of the program's string table.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

namespace glue {

// While one lives, message boxes asked for by other threads are not shown: calls waiting for
// one return 0 at once, and so do new ones. Lets the user-interface thread wait for a worker
// that may be asking for a box without either waiting for the other.
class WorkerMessageBoxRelease {
public:
    WorkerMessageBoxRelease();
    ~WorkerMessageBoxRelease();
    WorkerMessageBoxRelease(const WorkerMessageBoxRelease&) = delete;
    WorkerMessageBoxRelease& operator=(const WorkerMessageBoxRelease&) = delete;
};

}  // namespace glue
