#include "threads.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "win_error.h"

namespace {

// Shared by the handle and the running thread, so either may go first.
struct ThreadObject {
    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
    std::mutex lock;
    std::condition_variable changed;
    DWORD id = 0;
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
};

std::mutex g_handlesLock;
std::unordered_map<HANDLE, std::shared_ptr<ThreadObject>> g_handles;

std::shared_ptr<ThreadObject> Find(HANDLE h) {
    const std::lock_guard<std::mutex> hold(g_handlesLock);
    const auto it = g_handles.find(h);
    return it != g_handles.end() ? it->second : nullptr;
}

void* Run(void* argument) {
    const std::unique_ptr<std::shared_ptr<ThreadObject>> owned(
        static_cast<std::shared_ptr<ThreadObject>*>(argument));
    ThreadObject& thread = **owned;
    {
        const std::lock_guard<std::mutex> hold(thread.lock);
        thread.id = static_cast<DWORD>(gettid());
    }
    thread.changed.notify_all();
    const DWORD code = thread.start(thread.parameter);
    {
        const std::lock_guard<std::mutex> hold(thread.lock);
        thread.ended = true;
        thread.exitCode = code;
    }
    thread.changed.notify_all();
    return nullptr;
}

}  // namespace

DWORD WinErrorFromThreadStart(int err) {
    return err == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : WinErrorFromErrno(err);
}

HANDLE CreateThread(LPVOID /*lpThreadAttributes*/, size_t dwStackSize,
                    LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (dwCreationFlags != 0 || lpStartAddress == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>();
    thread->start = lpStartAddress;
    thread->parameter = lpParameter;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (dwStackSize != 0) {
        pthread_attr_setstacksize(&attributes, std::max<size_t>(dwStackSize, PTHREAD_STACK_MIN));
    }
    auto* argument = new std::shared_ptr<ThreadObject>(thread);
    pthread_t id;
    const int error = pthread_create(&id, &attributes, Run, argument);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete argument;
        SetLastError(WinErrorFromThreadStart(error));
        return nullptr;
    }
    std::unique_lock<std::mutex> hold(thread->lock);
    thread->changed.wait(hold, [&] { return thread->id != 0; });
    if (lpThreadId != nullptr) {
        *lpThreadId = thread->id;
    }
    hold.unlock();
    const auto handle = static_cast<HANDLE>(thread.get());
    const std::lock_guard<std::mutex> registered(g_handlesLock);
    g_handles.emplace(handle, std::move(thread));
    return handle;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    const std::shared_ptr<ThreadObject> thread = Find(hHandle);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    std::unique_lock<std::mutex> hold(thread->lock);
    if (dwMilliseconds == INFINITE) {
        thread->changed.wait(hold, [&] { return thread->ended; });
        return WAIT_OBJECT_0;
    }
    return thread->changed.wait_for(hold, std::chrono::milliseconds(dwMilliseconds),
                                    [&] { return thread->ended; })
               ? WAIT_OBJECT_0
               : WAIT_TIMEOUT;
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    const std::shared_ptr<ThreadObject> thread = Find(hThread);
    if (!thread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const std::lock_guard<std::mutex> hold(thread->lock);
    *lpExitCode = thread->exitCode;
    return TRUE;
}

HANDLE GetCurrentThread() {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2));
}

BOOL SetThreadPriority(HANDLE hThread, int nPriority) {
    if (hThread != GetCurrentThread()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const bool realtime = nPriority == THREAD_PRIORITY_TIME_CRITICAL;
    const sched_param priority{realtime ? 1 : 0};
    const int error =
        pthread_setschedparam(pthread_self(), realtime ? SCHED_FIFO : SCHED_OTHER, &priority);
    if (error != 0) {
        SetLastError(WinErrorFromErrno(error));
        return FALSE;
    }
    return TRUE;
}

void ExitProcess(UINT uExitCode) {
    std::fflush(nullptr);
    _exit(static_cast<int>(uExitCode));
}

bool CloseThreadHandle(HANDLE hObject) {
    const std::lock_guard<std::mutex> hold(g_handlesLock);
    return g_handles.erase(hObject) != 0;
}
