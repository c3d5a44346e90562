#include "stream_writer.h"

#include <condition_variable>
#include <cstring>
#include <mutex>

#include "cstring.h"
#include "files.h"
#include "message_box.h"
#include "win_error.h"

namespace {
constexpr DWORD kWriteSize = 10;
constexpr DWORD kMaxWrites = 0x10000;
}  // namespace

struct CStreamWriterThread::State {
    std::mutex mutex;
    std::condition_variable wake;
    char data[kWriteSize] = {};
    bool bStop = false;       // set by Stop: the loop ends at its next wait
    bool bLooping = true;     // until the loop has ended and the file is closed
    bool bReporting = false;  // the loop ended by itself and its message is due
    bool bDone = false;       // nothing is left to do
    DWORD nWrites = 0;
    DWORD nSleeps = 0;
};

CStreamWriterThread::~CStreamWriterThread() {
    Stop();
}

BOOL CStreamWriterThread::IsRunning() const {
    if (m_state == nullptr) {
        return FALSE;
    }
    const std::lock_guard lock(m_state->mutex);
    return !m_state->bDone;
}

void CStreamWriterThread::Start(HANDLE hFile, const char* lpData) {
    if (m_thread.joinable()) {
        m_thread.join();  // the previous run has ended: IsRunning() was FALSE
    }
    m_state = std::make_shared<State>();
    std::memcpy(m_state->data, lpData, kWriteSize);
    m_thread = std::thread(&CStreamWriterThread::Run, m_state, hFile, s_sleep);
}

void CStreamWriterThread::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    std::unique_lock lock(m_state->mutex);
    m_state->bStop = true;
    m_state->wake.notify_all();
    m_state->wake.wait(lock, [this] { return !m_state->bLooping; });
    const bool reporting = m_state->bReporting;
    lock.unlock();
    // A thread showing its end message waits for this thread to show it: it cannot be
    // joined from here. It owns its state and touches nothing else once the box returns.
    if (reporting) {
        m_thread.detach();
    } else {
        m_thread.join();
    }
}

DWORD CStreamWriterThread::GetWriteCount() const {
    if (m_state == nullptr) {
        return 0;
    }
    const std::lock_guard lock(m_state->mutex);
    return m_state->nWrites;
}

DWORD CStreamWriterThread::GetSleepCount() const {
    if (m_state == nullptr) {
        return 0;
    }
    const std::lock_guard lock(m_state->mutex);
    return m_state->nSleeps;
}

void CStreamWriterThread::Run(std::shared_ptr<State> state, HANDLE hFile,
                              std::chrono::milliseconds sleep) {
    DWORD dwWritten = 0;
    std::unique_lock lock(state->mutex);
    for (DWORD nCount = 0; nCount < kMaxWrites && !state->bStop; ++nCount) {
        lock.unlock();
        const BOOL bWritten = WriteFile(hFile, state->data, kWriteSize, &dwWritten, nullptr);
        lock.lock();
        if (!bWritten) {
            break;
        }
        ++state->nWrites;
        // The 400 ms pause, cut short when the program closes. A zero pause (tests) skips
        // the timed wait, which costs a system call even then.
        const auto stopping = [&] { return state->bStop; };
        if (sleep.count() > 0 ? state->wake.wait_for(lock, sleep, stopping) : stopping()) {
            break;
        }
        ++state->nSleeps;
    }
    CloseHandle(hFile);
    state->bLooping = false;
    state->bReporting = !state->bStop;
    const bool report = state->bReporting;
    state->wake.notify_all();
    lock.unlock();
    if (report) {
        AfxMessageBox("Test_stream_writer exit!", MB_OK, 0);
    }
    lock.lock();
    state->bDone = true;
}

void Test_stream_writer(CStreamWriterThread& writer) {
    if (writer.IsRunning()) {
        return;  // one writer at a time
    }
    char szPath[MAX_PATH];
    std::strcpy(szPath, "C:\\LOG\\SendCommand.log");
    const HANDLE hFile = CreateFileA(szPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        CString strMsg;
        strMsg.Format("Create file error = %ld", static_cast<long>(GetLastError()));
        AfxMessageBox(strMsg, MB_OK, 0);
        return;
    }
    // The path's first ten characters, "C:\LOG\Sen", are what every write writes.
    writer.Start(hFile, szPath);
}
