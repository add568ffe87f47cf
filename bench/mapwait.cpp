// mapwait TITLE PROGRAM [ARGS...]: starts the program, waits until a window
// with that title is mapped on the X display, prints the milliseconds from
// start to map, and ends the program.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {
pid_t child = 0;

// A window that never shows must not leave the timing script waiting.
void giveUp(int) {
    if (child > 0)
        kill(child, SIGKILL);
    _exit(1);
}

bool titled(Display* d, Window w, const char* title) {
    char* name = nullptr;
    const bool match = XFetchName(d, w, &name) && name && std::strcmp(name, title) == 0;
    XFree(name);
    if (match)
        return true;
    // Window managers and toolkits may map a frame or a child: look one level down.
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    bool found = false;
    if (XQueryTree(d, w, &root, &parent, &children, &count))
        for (unsigned i = 0; i < count && !found; ++i) {
            char* childName = nullptr;
            found = XFetchName(d, children[i], &childName) && childName && std::strcmp(childName, title) == 0;
            XFree(childName);
        }
    XFree(children);
    return found;
}
} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mapwait TITLE PROGRAM [ARGS...]\n");
        return 2;
    }
    // The X server may still be starting on a busy machine.
    Display* d = nullptr;
    for (int i = 0; i < 100 && !(d = XOpenDisplay(nullptr)); ++i)
        usleep(100000);
    if (!d) {
        std::fprintf(stderr, "mapwait: no X display\n");
        return 2;
    }
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    const auto start = std::chrono::steady_clock::now();
    child = fork();
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    std::signal(SIGALRM, giveUp);
    alarm(60);
    int rc = 1;
    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == MapNotify && titled(d, e.xmap.window, argv[1])) {
            const auto ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            std::printf("%.2f\n", ms);
            rc = 0;
            break;
        }
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    XCloseDisplay(d);
    return rc;
}
