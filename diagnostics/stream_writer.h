// The log stream writer behind "Test CregKey": ten bytes over C:\LOG\SendCommand.log every
// 400 ms, 65,536 times, on a thread of its own so that the window and the captures go on.
// CStreamWriterThread is owned by the main frame; call it on the user-interface thread only.
#pragma once

#include <chrono>
#include <memory>
#include <thread>

#include "win_types.h"

class CStreamWriterThread {
public:
    CStreamWriterThread() = default;
    CStreamWriterThread(const CStreamWriterThread&) = delete;
    CStreamWriterThread& operator=(const CStreamWriterThread&) = delete;
    // Stops a running loop.
    ~CStreamWriterThread();

    // TRUE from Start until the loop has ended and its end message has been dismissed.
    BOOL IsRunning() const;
    // Writes the ten bytes at lpData to hFile, which it now owns, on a new thread; the end
    // message is shown only when the loop ends by itself. Only when IsRunning() is FALSE.
    void Start(HANDLE hFile, const char* lpData);
    // Ends the loop between two writes and closes the file, without the end message.
    // Returns at once if the loop had already ended and its message is waiting.
    void Stop();

    // What the last run did, for tests.
    DWORD GetWriteCount() const;
    DWORD GetSleepCount() const;

    // The pause after each write; tests shorten it.
    static inline std::chrono::milliseconds s_sleep{400};

private:
    struct State;
    static void Run(std::shared_ptr<State> state, HANDLE hFile, std::chrono::milliseconds sleep);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

// Opens the log (never creating it) and starts writer on it; an open failure is reported as
// "Create file error = %ld". Does nothing while writer runs.
void Test_stream_writer(CStreamWriterThread& writer);
