// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program and reports how long it took until its first window was mapped on screen.
//
//   bench_launch [--timeout-ms N] PROGRAM [ARGS...]
//
// Prints one line "pid=PID window=0xWID ms=MILLISECONDS start=CLOCK_MONOTONIC_MS cpu=CPU_MS" and
// exits, leaving the program running. The clock starts just before fork(); the window counts as
// mapped when a top-level window (with a window manager: the frame around it) that holds a window
// of the program (_NET_WM_PID) is mapped, as seen through a MapNotify on the root window. CPU_MS
// is the processor time the program had used by then.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

namespace {

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

long windowPid(Display* dpy, Window w, Atom pidAtom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(dpy, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && count == 1)
            pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
        XFree(data);
    }
    return pid;
}

// The window of `pid` at or below `w`, or None.
Window findPidWindow(Display* dpy, Window w, Atom pidAtom, long pid, int depth = 0) {
    if (windowPid(dpy, w, pidAtom) == pid)
        return w;
    if (depth > 3)
        return None;
    Window root = None, parent = None, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(dpy, w, &root, &parent, &children, &n))
        return None;
    Window found = None;
    for (unsigned int i = 0; i < n && found == None; ++i)
        found = findPidWindow(dpy, children[i], pidAtom, pid, depth + 1);
    if (children)
        XFree(children);
    return found;
}

// CPU time that all threads of `pid` have used so far, in ms (-1 when unknown): the part of the
// start-up that does not depend on how busy the machine is.
double cpuMs(pid_t pid) {
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d)
        return -1;
    double ns = 0;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        std::ifstream in(dir + "/" + e->d_name + "/schedstat");
        double run = 0;
        if (in >> run)
            ns += run;
    }
    closedir(d);
    return ns / 1e6;
}

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;  // windows may vanish while we look at them
}

}  // namespace

int main(int argc, char* argv[]) {
    int first = 1;
    double timeoutMs = 20000;
    if (argc > 2 && std::strcmp(argv[1], "--timeout-ms") == 0) {
        timeoutMs = std::atof(argv[2]);
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: bench_launch [--timeout-ms N] PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "bench_launch: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(dpy);
    const Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const double start = nowMs();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return 2;
    }
    if (pid == 0) {
        close(ConnectionNumber(dpy));
        // Our standard output is the caller's report channel: the program writes to stderr.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[first], argv + first);
        std::perror("exec");
        _exit(127);
    }

    const int fd = ConnectionNumber(dpy);
    while (true) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type != MapNotify || ev.xmap.override_redirect)
                continue;
            const double mapped = nowMs();
            const Window w = findPidWindow(dpy, ev.xmap.window, pidAtom, pid);
            if (w != None) {
                std::printf("pid=%d window=0x%lx ms=%.1f start=%.1f cpu=%.1f\n",
                            static_cast<int>(pid), w, mapped - start, start, cpuMs(pid));
                std::fflush(stdout);
                return 0;
            }
        }
        const double left = start + timeoutMs - nowMs();
        int status = 0;
        if (left <= 0 || waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "bench_launch: no window of %s was mapped\n", argv[first]);
            kill(pid, SIGTERM);
            return 1;
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, left < 50 ? static_cast<int>(left) + 1 : 50);
    }
}
