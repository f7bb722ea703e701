// Start-up: the time from spawning a program to the X server mapping its first top-level window,
// for quorvel and for a bare Qt window program, taken in turns in the same run and watched from
// outside through the X server's own events. Needs an X display without a window manager, such
// as the one xvfb-run makes.

#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "startup_bench: %s\n", what);
    std::exit(1);
}

void drain(Display* display) {
    XSync(display, False);
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

// Milliseconds from the spawn of program to the map of its first window.
double startUp(Display* display, const char* program) {
    drain(display);
    char* argv[] = { const_cast<char*>(program), nullptr };
    const auto start = Clock::now();
    pid_t pid;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0)
        fail("cannot start the program");
    double elapsed = -1;
    while (elapsed < 0) {
        pollfd connection { ConnectionNumber(display), POLLIN, 0 };
        if (!XPending(display) && poll(&connection, 1, 10'000) <= 0)
            fail("no window within 10 s");
        while (elapsed < 0 && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify)
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return elapsed;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 21;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        fail("no X display (run it under xvfb-run -a)");
    unsetenv("QT_QPA_PLATFORM");
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    const char* programs[] = { QUORVEL_PROGRAM, BARE_PROGRAM };
    std::vector<double> times[2];
    for (int run = -2; run < runs; ++run) // two rounds to warm the caches, not counted
        for (int which : { 0, 1 }) {
            const double elapsed = startUp(display, programs[which]);
            if (run >= 0)
                times[which].push_back(elapsed);
        }
    const double quorvel = median(times[0]), bare = median(times[1]);
    std::printf("Process start to main window mapped, medians of %d runs\n", runs);
    std::printf("quorvel      %7.1f ms\nbare window  %7.1f ms\nratio        %7.2fx\n", quorvel,
        bare, quorvel / bare);
    XCloseDisplay(display);
}
