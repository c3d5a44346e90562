#include "process_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

#include "win_error.h"

namespace {

int g_pipe[2] = {-1, -1};

void OnTerminationSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = write(g_pipe[1], &number, 1);
    errno = saved;
}

}  // namespace

void IgnoreWriteSignals() {
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

int WatchTerminationSignals() {
    if (g_pipe[0] >= 0) {
        return g_pipe[0];
    }
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        SetLastError(WinErrorFromErrno(errno));
        return -1;
    }
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction current {};
        // nohup and the like ignore SIGHUP for us on purpose.
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        // The second time the default action ends a shut-down that does not end.
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        sigaction(signal, &action, nullptr);
    }
    return g_pipe[0];
}

int TakeTerminationSignal() {
    unsigned char number = 0;
    return g_pipe[0] >= 0 && read(g_pipe[0], &number, 1) == 1 ? number : 0;
}
