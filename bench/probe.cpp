// Watches a program from outside through the X server, as a user would see
// it, and prints how long things took in milliseconds. The program under test
// needs no hooks of its own.
//
//   probe start SECONDS PROGRAM [ARGS...]
//       starts PROGRAM and waits until its tray icon is embedded in the tray
//       and none of its windows is on screen; prints "PID MS", then stays
//       until PROGRAM ends. With PROBE_STALLS=FILE set, it first pings the
//       tray icon back to back until the program has been quiet for a second
//       and writes "LONGEST_MS PINGS" to FILE: the longest the event loop kept
//       a ping waiting, that is the longest it was blocked after the icon.
//   probe activate PID SECONDS
//       clicks the tray icon of PID and waits until its window is on screen
//       and the program answers again (after it filled the window); prints MS.
//   probe close PID SECONDS
//       asks the window manager to close the window of PID, as its close
//       button does, and waits until the window is off screen; prints MS.
//   probe click PID X Y
//       clicks at X,Y inside the window of PID and waits until it answers.
//   probe settle PID
//       waits until the window of PID answers (has handled what came before).
//   probe tray
//       exits 0 when the display has a system tray.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

Display* dpy = nullptr;
Atom atomPid, atomXembedInfo, atomCloseWindow, atomProtocols, atomPing;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

int ignoreErrors(Display*, XErrorEvent*)
{
    return 0; // windows come and go while we look at them
}

std::optional<long> cardinal(Window w, Atom property)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, w, property, 0, 1, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) != Success ||
        !data)
        return std::nullopt;
    std::optional<long> value;
    if (count > 0 && format == 32)
        value = *reinterpret_cast<long*>(data);
    XFree(data);
    return value;
}

bool hasProperty(Window w, Atom property)
{
    Atom type = None;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(dpy, w, property, 0, 1, False, AnyPropertyType, &type, &format, &count, &after, &data);
    if (data)
        XFree(data);
    return type != None;
}

struct Found
{
    Window window;
    Window parent;
    bool viewable;
    bool trayIcon; // Qt marks every window for XEmbed; the tray icon is the embedded popup
    bool popup;    // tray icon, tool tips and menus
    int width, height;
};

void collect(Window w, Window parent, long pid, std::vector<Found>& out)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, w, &a))
        return;
    if (auto p = cardinal(w, atomPid); p && *p == pid)
        out.push_back({w, parent, a.map_state == IsViewable, hasProperty(w, atomXembedInfo),
                       a.override_redirect != 0, a.width, a.height});
    Window root, up, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(dpy, w, &root, &up, &children, &n))
        return;
    for (unsigned int i = 0; i < n; ++i)
        collect(children[i], w, pid, out);
    if (children)
        XFree(children);
}

std::vector<Found> windowsOf(long pid)
{
    std::vector<Found> out;
    collect(DefaultRootWindow(dpy), None, pid, out);
    return out;
}

std::optional<Found> trayIcon(long pid)
{
    for (const Found& f : windowsOf(pid))
        if (f.trayIcon && f.popup && f.viewable && f.parent != DefaultRootWindow(dpy))
            return f;
    return std::nullopt;
}

// The program's own window on screen (not its tray icon).
std::optional<Found> shownWindow(long pid)
{
    for (const Found& f : windowsOf(pid))
        if (!f.popup && f.viewable && f.width > 40 && f.height > 40)
            return f;
    return std::nullopt;
}

// Waits until the X server sends something or ms pass. The probe sleeps
// between looks so that it takes no CPU from the program it measures, which
// shares two cores with it and the X server.
void waitForX(int ms)
{
    if (XPending(dpy))
        return;
    pollfd p{ConnectionNumber(dpy), POLLIN, 0};
    ::poll(&p, 1, ms);
}

// Takes every queued event; returns true as soon as `wanted` accepts one.
// Windows created meanwhile are watched too, so that their properties and
// mapping wake the probe.
template <typename Wanted> bool drain(Wanted wanted)
{
    while (XPending(dpy)) {
        XEvent r;
        XNextEvent(dpy, &r);
        if (r.type == CreateNotify)
            XSelectInput(dpy, r.xcreatewindow.window, StructureNotifyMask | PropertyChangeMask);
        if (wanted(r))
            return true;
    }
    return false;
}

// Wakes the probe on anything that happens to the program's windows.
void watch(long pid)
{
    XSelectInput(dpy, DefaultRootWindow(dpy), StructureNotifyMask | SubstructureNotifyMask);
    for (const Found& f : windowsOf(pid))
        XSelectInput(dpy, f.window, StructureNotifyMask | PropertyChangeMask);
    XFlush(dpy);
}

// Sends _NET_WM_PING and waits for the answer, which the program gives from
// its event loop once it has handled everything queued before it.
bool ping(Window w, double seconds)
{
    static long serial = 1000;
    const long stamp = ++serial;
    // Qt sends the answer to the root window for StructureNotify listeners.
    XSelectInput(dpy, DefaultRootWindow(dpy), StructureNotifyMask | SubstructureNotifyMask);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = atomProtocols;
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(atomPing);
    e.xclient.data.l[1] = stamp;
    e.xclient.data.l[2] = long(w);
    XSendEvent(dpy, w, False, NoEventMask, &e);
    XFlush(dpy);
    const auto t0 = Clock::now();
    while (msSince(t0) < seconds * 1000) {
        if (drain([stamp](const XEvent& r) {
                return r.type == ClientMessage && r.xclient.message_type == atomProtocols &&
                       Atom(r.xclient.data.l[0]) == atomPing && r.xclient.data.l[1] == stamp;
            }))
            return true;
        waitForX(50);
    }
    return false;
}

void clickAt(Window w, int x, int y)
{
    XWarpPointer(dpy, None, w, 0, 0, 0, 0, x, y);
    XSync(dpy, False);
    XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
    XFlush(dpy);
}

// CPU time of the program's main thread (the one running its event loop), ns.
long long mainThreadCpuNs(pid_t pid)
{
    long long ns = 0;
    if (FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/schedstat").c_str(), "r")) {
        if (std::fscanf(f, "%lld", &ns) != 1)
            ns = 0;
        std::fclose(f);
    }
    return ns;
}

// Pings the window every 10 ms; each answer comes when the event loop gets to
// it, so the longest wait is the longest the loop was busy with something
// else (plus one round trip through the X server, well under a millisecond).
// Ends once the main thread used under 3 % of a core over the last second.
void watchStalls(pid_t pid, Window w, const char* path)
{
    const auto t0 = Clock::now();
    double longest = 0;
    int pings = 0;
    auto windowStart = Clock::now();
    long long cpuAtWindowStart = mainThreadCpuNs(pid);
    while (msSince(t0) < 300'000) {
        const auto sent = Clock::now();
        if (!ping(w, 120))
            break;
        longest = std::max(longest, msSince(sent));
        ++pings;
        if (msSince(windowStart) >= 1000) {
            const long long cpu = mainThreadCpuNs(pid);
            if (cpu - cpuAtWindowStart < 30'000'000)
                break;
            windowStart = Clock::now();
            cpuAtWindowStart = cpu;
        }
        ::usleep(10'000);
    }
    if (FILE* f = std::fopen(path, "w")) {
        std::fprintf(f, "%.1f %d\n", longest, pings);
        std::fclose(f);
    }
}

int start(double seconds, char** argv)
{
    XSelectInput(dpy, DefaultRootWindow(dpy), StructureNotifyMask | SubstructureNotifyMask);
    XSync(dpy, False);
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv);
        _exit(127);
    }
    while (msSince(t0) < seconds * 1000) {
        drain([](const XEvent&) { return false; });
        if (const auto icon = trayIcon(pid); icon && !shownWindow(pid)) {
            std::printf("%d %.1f\n", int(pid), msSince(t0));
            std::fflush(stdout);
            if (const char* stalls = std::getenv("PROBE_STALLS"))
                watchStalls(pid, icon->window, stalls);
            // Stay the program's parent until it ends, so that it is reaped.
            int status = 0;
            waitpid(pid, &status, 0);
            return 0;
        }
        watch(pid);
        waitForX(10);
    }
    std::printf("%d -1\n", int(pid));
    std::fflush(stdout);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return 1;
}

int activate(long pid, double seconds)
{
    const auto icon = trayIcon(pid);
    if (!icon) {
        std::fprintf(stderr, "no tray icon\n");
        return 1;
    }
    watch(pid);
    const auto t0 = Clock::now();
    clickAt(icon->window, icon->width / 2, icon->height / 2);
    std::optional<Found> shown;
    while (!(shown = shownWindow(pid))) {
        if (msSince(t0) > seconds * 1000)
            return 1;
        drain([](const XEvent&) { return false; });
        waitForX(10);
    }
    if (!ping(shown->window, seconds))
        return 1;
    std::printf("%.1f\n", msSince(t0));
    return 0;
}

int close(long pid, double seconds)
{
    const auto shown = shownWindow(pid);
    if (!shown) {
        std::fprintf(stderr, "no window on screen\n");
        return 1;
    }
    XSelectInput(dpy, shown->window, StructureNotifyMask);
    XSync(dpy, False);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = shown->window;
    e.xclient.message_type = atomCloseWindow;
    e.xclient.format = 32;
    e.xclient.data.l[0] = CurrentTime;
    e.xclient.data.l[1] = 2; // from a pager or tool, as wmctrl sends it
    const auto t0 = Clock::now();
    XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(dpy);
    const Window window = shown->window;
    while (msSince(t0) < seconds * 1000) {
        if (drain([window](const XEvent& r) { return r.type == UnmapNotify && r.xunmap.window == window; })) {
            std::printf("%.1f\n", msSince(t0));
            return 0;
        }
        waitForX(50);
    }
    return 1;
}

int click(long pid, int x, int y)
{
    const auto shown = shownWindow(pid);
    if (!shown)
        return 1;
    clickAt(shown->window, x, y);
    return ping(shown->window, 120) ? 0 : 1;
}

int settle(long pid)
{
    const auto shown = shownWindow(pid);
    return shown && ping(shown->window, 120) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: probe start|activate|close|click ...\n");
        return 2;
    }
    dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "cannot open display\n");
        return 2;
    }
    // The program started by `start` must not inherit our connection.
    fcntl(ConnectionNumber(dpy), F_SETFD, FD_CLOEXEC);
    XSetErrorHandler(ignoreErrors);
    atomPid = XInternAtom(dpy, "_NET_WM_PID", False);
    atomXembedInfo = XInternAtom(dpy, "_XEMBED_INFO", False);
    atomCloseWindow = XInternAtom(dpy, "_NET_CLOSE_WINDOW", False);
    atomProtocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
    atomPing = XInternAtom(dpy, "_NET_WM_PING", False);
    const std::string cmd = argv[1];
    if (cmd == "start" && argc >= 4)
        return start(std::atof(argv[2]), argv + 3);
    if (cmd == "activate")
        return activate(std::atol(argv[2]), argc > 3 ? std::atof(argv[3]) : 30);
    if (cmd == "close")
        return close(std::atol(argv[2]), argc > 3 ? std::atof(argv[3]) : 30);
    if (cmd == "list") {
        for (const Found& f : windowsOf(std::atol(argv[2])))
            std::printf("0x%lx parent 0x%lx viewable %d tray %d popup %d %dx%d\n", f.window, f.parent,
                        f.viewable, f.trayIcon, f.popup, f.width, f.height);
        return 0;
    }
    if (cmd == "tray") {
        const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(dpy));
        return XGetSelectionOwner(dpy, XInternAtom(dpy, name.c_str(), False)) != None ? 0 : 1;
    }
    if (cmd == "settle")
        return settle(std::atol(argv[2]));
    if (cmd == "click" && argc >= 5)
        return click(std::atol(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr, "unknown command\n");
    return 2;
}
