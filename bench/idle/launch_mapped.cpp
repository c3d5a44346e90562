// Starts a program and waits until it maps a top-level window on the X display: prints the
// program's process id and the milliseconds from its start to the map, then leaves it running.
// Usage: launch_mapped SECONDS PROGRAM [ARGUMENTS...]; exit status 1 when no window came in time.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SECONDS PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    const int seconds = std::atoi(argv[1]);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "launch_mapped: no display\n");
        return 2;
    }
    // Without a window manager a top-level window is a child of the root: its map shows here.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        // Not our output: whoever reads it would wait for the program to end.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    const auto deadline = start + std::chrono::seconds(seconds);
    const int fd = ConnectionNumber(display);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect) {
                const auto elapsed = std::chrono::steady_clock::now() - start;
                std::printf("%d %.1f\n", static_cast<int>(pid),
                            std::chrono::duration<double, std::milli>(elapsed).count());
                return 0;
            }
        }
        pollfd wait{fd, POLLIN, 0};
        poll(&wait, 1, 100);
    }
    kill(pid, SIGTERM);
    std::fprintf(stderr, "launch_mapped: %s mapped no window in %d s\n", argv[2], seconds);
    return 1;
}
