// Windows thread calls over POSIX threads: CreateThread, waiting for a thread's end, its exit
// code and priority, and ExitProcess. Thread handles are closed with CloseHandle (files.h).
// A handle may be waited for from any thread; closing it leaves the thread running.
#pragma once

#include <cstddef>

#include "win_types.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID lpThreadParameter);

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD STILL_ACTIVE = 259;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

// Starts lpStartAddress(lpParameter) at once (only dwCreationFlags 0 is provided) with
// dwStackSize bytes of stack, or the default for 0. Returns the handle and stores the id in
// *lpThreadId; returns null with GetLastError set (8 when out of resources, 87 for flags).
HANDLE CreateThread(LPVOID lpThreadAttributes, size_t dwStackSize,
                    LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId);

// The Windows code for a thread that could not start (errno err): out of resources is
// ERROR_NOT_ENOUGH_MEMORY, as CreateThread says. For threads started other ways too.
[[nodiscard]] DWORD WinErrorFromThreadStart(int err);

// Waits until the thread of hHandle has returned or dwMilliseconds pass: WAIT_OBJECT_0,
// WAIT_TIMEOUT, or WAIT_FAILED (GetLastError 6) for a handle that is no thread's.
[[nodiscard]] DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// The thread's return value, or STILL_ACTIVE while it runs; FALSE (6) for a bad handle.
[[nodiscard]] BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);

// The calling thread, as a pseudo-handle that SetThreadPriority understands.
HANDLE GetCurrentThread();
// THREAD_PRIORITY_TIME_CRITICAL: the lowest real-time class, where the user may have it
// (CAP_SYS_NICE or an rtprio limit); FALSE with GetLastError 5 otherwise.
[[nodiscard]] BOOL SetThreadPriority(HANDLE hThread, int nPriority);

// Ends the process with uExitCode at once, from any thread: standard output is flushed, but
// no exit handler or static destructor runs beside the threads still working.
[[noreturn]] void ExitProcess(UINT uExitCode);

// For CloseHandle: closes hObject and returns true when it is a thread handle.
[[nodiscard]] bool CloseThreadHandle(HANDLE hObject);
