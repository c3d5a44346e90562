// Windows file calls on drive-letter paths (see drive_paths.h), over POSIX files.
// Used by the framework's CFile; handles may be used from one thread at a time.
// A handle opened without sharing holds an exclusive lock: a second open fails with 32.
#pragma once

#include <sys/uio.h>

#include "win_types.h"

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_BEGIN = 0;

// Returns the handle, or INVALID_HANDLE_VALUE with GetLastError set (2 no file, 3 no folder
// on the way, 4 out of descriptors, 5, 32, 50 neither a file nor a pipe, 87, 233 a pipe that
// nobody reads). Never waits: a pipe without a reader fails at once.
// CREATE_ALWAYS empties an existing file only once the lock is held; OPEN_ALWAYS keeps it.
HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPVOID lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Writes all nNumberOfBytesToWrite bytes at the handle's position, or fails with
// GetLastError set (112 for a full disk or the file-size limit, 232 for a pipe whose reader
// has gone, 1460 for one whose reader took nothing for 2 s); *lpWritten holds what was
// written either way.
[[nodiscard]] BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
                             LPDWORD lpNumberOfBytesWritten, LPVOID lpOverlapped);

// Writes the count buffers of vectors at the handle's position in one call (more only after
// a short write); vectors may be changed. On failure returns FALSE with GetLastError set (112
// for a full disk or the file-size limit, 232 and 1460 as WriteFile) and a file cut back to
// where the write started, so that it holds whole records only; a pipe cannot be cut back.
[[nodiscard]] BOOL WriteFileVectors(HANDLE hFile, iovec* vectors, unsigned count);

// Moves the handle's position to lDistanceToMove bytes from the start (FILE_BEGIN only);
// *lpNewFilePointer, when given, gets it. FALSE with GetLastError set on failure (132 for a
// pipe, which has no position).
[[nodiscard]] BOOL SetFilePointerEx(HANDLE hFile, LONGLONG lDistanceToMove,
                                    LONGLONG* lpNewFilePointer, DWORD dwMoveMethod);
// Ends the file at the handle's position, cutting off what lies beyond it.
[[nodiscard]] BOOL SetEndOfFile(HANDLE hFile);

// Closes a file handle, or a thread handle of threads.h. FALSE (6) only for a handle that is
// not open, a programmer's error: the descriptor is released whatever close() says.
BOOL CloseHandle(HANDLE hObject);

// Seam for tests: every write waits this long first, as a slow disk would; 0 ends it.
void SetWriteDelayForTesting(unsigned milliseconds);
