// The process's signals: those that ask it to end are turned into data on a descriptor for
// the event loop, and those that would kill it in the middle of a write are ignored.
// Used by the framework's entry once, before any thread starts.
#pragma once

// SIGXFSZ and SIGPIPE: a write beyond the file-size limit or into a closed pipe then fails
// with its error code instead of ending the process.
void IgnoreWriteSignals();

// From now on SIGTERM, SIGINT and SIGHUP (unless ignored when the process started) each
// make the returned descriptor readable once; a second of the same signal ends the process
// as it would have. Returns -1 with GetLastError set when the descriptor cannot be made.
[[nodiscard]] int WatchTerminationSignals();

// The signal that made the descriptor readable, or 0 when none is waiting.
int TakeTerminationSignal();
