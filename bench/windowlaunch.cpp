#include "windowlaunch.h"

#include "median.h"
#include "samplelist.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

extern char **environ;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kShowLimit = 60s;
constexpr int kCloseLimitMs = 10000;

// The title of a window that has come and gone before its events are read
// cannot be asked for; that is no fault here.
int ignoreXError(Display *, XErrorEvent *)
{
    return 0;
}

bool viewableWithTitle(Display *display, Window window, const std::string &title)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return false;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    const bool titled = XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 64,
                                           False, AnyPropertyType, &type, &format, &count, &after, &data)
                            == Success
                        && data && std::string(reinterpret_cast<const char *>(data), count) == title;
    if (data)
        XFree(data);
    return titled;
}

// Asks a top-level window to close, as its close button does: WM_DELETE_WINDOW
// sent straight to the window, so no keyboard focus is needed.
bool requestWindowClose(Display *display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
    XFlush(display);
    return sent;
}

double milliseconds(const timeval &time)
{
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
}

// One start of a program up to its viewable window, then a close as the close
// button does it; the peak memory is read when the process is reaped.
std::optional<Launch> launch(Display *display, const StartedProgram &program, const std::string &folder)
{
    const auto began = Clock::now();
    const pid_t pid = spawnIn(folder, program.arguments, folder + "/output.log");
    if (pid <= 0)
        return std::nullopt;
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    const std::optional<Window> window = waitForViewable(display, program.title, pidfd, began + kShowLimit);
    const double startMs = std::chrono::duration<double, std::milli>(Clock::now() - began).count();
    pollfd ended{pidfd, POLLIN, 0};
    if (!window || !requestWindowClose(display, *window) || poll(&ended, 1, kCloseLimitMs) <= 0)
        kill(pid, SIGKILL);
    close(pidfd);
    rusage usage{};
    wait4(pid, nullptr, 0, &usage);
    if (!window)
        return std::nullopt;
    return Launch{startMs, static_cast<double>(usage.ru_maxrss) / 1024.0,
                  milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime)};
}

std::vector<double> figures(const std::vector<Launch> &launches, double Launch::*figure)
{
    std::vector<double> values;
    for (const Launch &one : launches)
        values.push_back(one.*figure);
    return values;
}

std::string readFile(const std::string &path)
{
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

} // namespace

Display *openWatchingDisplay()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    XSetErrorHandler(ignoreXError);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    return display;
}

// Reads the root's substructure events (the display selected them): a new
// top-level window is watched for title changes too, so the title may come
// before or after the map.
std::optional<Window> waitForViewable(Display *display, const std::string &title, int pidfd,
                                      Clock::time_point deadline)
{
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            Window window = 0;
            if (event.type == CreateNotify)
                XSelectInput(display, event.xcreatewindow.window, PropertyChangeMask);
            else if (event.type == MapNotify)
                window = event.xmap.window;
            else if (event.type == PropertyNotify && event.xproperty.atom == netWmName)
                window = event.xproperty.window;
            if (window != 0 && viewableWithTitle(display, window, title))
                return window;
        }
        pollfd entries[] = {{ConnectionNumber(display), POLLIN, 0}, {pidfd, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || poll(entries, 2, static_cast<int>(left)) <= 0 || entries[1].revents)
            return std::nullopt;
    }
}

pid_t spawnIn(const std::string &folder, const std::vector<std::string> &arguments, const std::string &log)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : 0;
}

// A spawned child runs in its spawner's memory until exec, and exec keeps that
// memory's high-water mark as the child's peak: the large list is therefore
// made in a process of its own.
void writeSampleFolderApart(const std::string &folder, int trackCount)
{
    const pid_t pid = fork();
    if (pid == 0) {
        writeSampleFolder(folder, trackCount);
        _exit(0);
    }
    waitpid(pid, nullptr, 0);
}

bool compareStartups(Display *display, const std::string &folder, int runs, const StartedProgram &player,
                     const StartedProgram &bare)
{
    std::printf("medians of %d starts of each program, taken in turns\n", runs);
    for (const auto &[tracks, label] : {std::pair{1000, "1,000"}, std::pair{100000, "100,000"}}) {
        writeSampleFolderApart(folder, tracks);
        std::vector<Launch> playerLaunches;
        std::vector<Launch> bareLaunches;
        // The first pair warms the caches and is not counted.
        for (int run = -1; run < runs; ++run) {
            const std::optional<Launch> one = launch(display, player, folder);
            const std::optional<Launch> other = launch(display, bare, folder);
            if (!one || !other) {
                std::fprintf(stderr, "a window did not show; output:\n%s", readFile(folder + "/output.log").c_str());
                return false;
            }
            if (run >= 0) {
                playerLaunches.push_back(*one);
                bareLaunches.push_back(*other);
            }
        }
        const double startMs = median(figures(playerLaunches, &Launch::startMs));
        const double bareMs = median(figures(bareLaunches, &Launch::startMs));
        const double peakMb = median(figures(playerLaunches, &Launch::peakMb));
        const double barePeakMb = median(figures(bareLaunches, &Launch::peakMb));
        const double processorMs = median(figures(playerLaunches, &Launch::processorMs));
        const double bareProcessorMs = median(figures(bareLaunches, &Launch::processorMs));
        const char *other = bare.label.c_str();
        std::printf("%s tracks: %.0f ms (%s %.0f ms, ratio %.2f); peak memory %.1f MB (%s %.1f MB, ratio %.2f); "
                    "processor time to exit %.0f ms (%s %.0f ms)\n",
                    label, startMs, other, bareMs, startMs / bareMs, peakMb, other, barePeakMb, peakMb / barePeakMb,
                    processorMs, other, bareProcessorMs);
        std::fflush(stdout);
    }
    return true;
}
