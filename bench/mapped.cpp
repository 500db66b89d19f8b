// Starts a program and times it until the X server maps its top-level window, and until the
// program first draws into it after that, then ends it.
//   velnor_bench_mapped [-t SECONDS] COMMAND [ARGS...]
// Prints "mapped_ms MS libraries N window 0xID drawn_ms MS": the milliseconds from just before
// the fork to the MapNotify, the shared objects the process has mapped at that moment, and the
// milliseconds to the first damage of the mapped window (XDamage). Exit 1 when the program ends
// or the time runs out before it maps a window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Distinct shared objects in the process's address space: libraries and Qt's plugins alike.
int CountSharedObjects(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> objects;
    for (std::string line; std::getline(maps, line);) {
        const auto slash = line.find('/');
        if (slash == std::string::npos) {
            continue;
        }
        const std::string path = line.substr(slash);
        const std::string name = path.substr(path.rfind('/') + 1);
        const auto so = name.find(".so");
        if (so != std::string::npos && (so + 3 == name.size() || name[so + 3] == '.')) {
            objects.insert(path);
        }
    }
    return static_cast<int>(objects.size());
}

// The _NET_WM_PID a client set on its window, or 0 when it set none.
long WindowPid(Display* display, Window window) {
    const Atom property = XInternAtom(display, "_NET_WM_PID", True);
    if (property == None) {
        return 0;
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
        if (format == 32 && count == 1) {
            pid = *reinterpret_cast<long*>(data);
        }
        XFree(data);
    }
    return pid;
}

// TERM, and KILL when it has not gone after a second; reaped either way.
void EndChild(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char* argv[]) {
    int first = 1;
    double timeoutSeconds = 30;
    if (argc > 2 && std::strcmp(argv[1], "-t") == 0) {
        timeoutSeconds = std::atof(argv[2]);
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: velnor_bench_mapped [-t SECONDS] COMMAND [ARGS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "velnor_bench_mapped: cannot open the display\n");
        return 2;
    }
    // The program must not inherit our connection.
    fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "velnor_bench_mapped: the X server has no DAMAGE extension\n");
        return 2;
    }
    XSync(display, False);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 2;
    }
    if (child == 0) {
        execvp(argv[first], argv + first);
        std::perror(argv[first]);
        _exit(127);
    }

    const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(timeoutSeconds));
    // Watched from its creation, so that no drawing is missed; what counts is the first after
    // the window is mapped.
    std::set<Window> watched;
    Window window = None;
    std::optional<Clock::time_point> mapped;
    int objects = 0;
    while (Clock::now() < deadline) {
        if (XPending(display) == 0) {
            if (waitpid(child, nullptr, WNOHANG) == child) {
                std::fprintf(stderr, "velnor_bench_mapped: %s ended before drawing a window\n",
                             argv[first]);
                return 1;
            }
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 10);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == CreateNotify && !event.xcreatewindow.override_redirect) {
            XDamageCreate(display, event.xcreatewindow.window, XDamageReportNonEmpty);
            watched.insert(event.xcreatewindow.window);
            continue;
        }
        // Menus and tooltips are not the window; nor is another client's window.
        if (!mapped && event.type == MapNotify && !event.xmap.override_redirect &&
            watched.count(event.xmap.window) > 0) {
            const long owner = WindowPid(display, event.xmap.window);
            if (owner != 0 && owner != child) {
                continue;
            }
            mapped = Clock::now();
            window = event.xmap.window;
            objects = CountSharedObjects(child);
            continue;
        }
        if (mapped && event.type == damageEvent + XDamageNotify &&
            reinterpret_cast<XDamageNotifyEvent*>(&event)->drawable == window) {
            const std::chrono::duration<double, std::milli> toMap = *mapped - start;
            const std::chrono::duration<double, std::milli> toDraw = Clock::now() - start;
            std::printf("mapped_ms %.1f libraries %d window 0x%lx drawn_ms %.1f\n", toMap.count(),
                        objects, window, toDraw.count());
            std::fflush(stdout);
            EndChild(child);
            XCloseDisplay(display);
            return 0;
        }
    }
    std::fprintf(stderr, "velnor_bench_mapped: no window within %.0f s\n", timeoutSeconds);
    EndChild(child);
    return 1;
}
