// The process-wide set-up that the framework's entry makes once QApplication exists: numbers
// in the program's own format, and an orderly end when the system asks for one (SIGTERM,
// SIGINT, SIGHUP) or the display goes away. User-interface thread only.
#pragma once

// Keeps LC_NUMERIC at "C" (Qt takes the user's locale, which may write 1,0), ignores the
// signals that would kill a write, and ends the program on a termination signal, or on an
// exit() from inside the event loop (Qt's when the display connection breaks), through
// the main window's close, so that views and what they own are destroyed as usual.
void AfxWinInit();

namespace glue {

// Whether the program is ending that way; message boxes are no longer shown then.
bool IsEnding();

}  // namespace glue
