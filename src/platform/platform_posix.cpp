#include "platform/platform_posix.h"

#include "platform/commandline.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

extern char **environ;

using std::chrono::milliseconds;


struct XLookup
{
    ::Display *display = nullptr;
    Atom clientList = None;
    Atom netWmName = None;
    Atom utf8String = None;
    Atom netWmPid = None;
};

struct PosixPlatform::X11Connection
{
    XLookup lookup;
    // The window found last and its title: looked at first next time, over a
    // connection of its own that can ask for its title and owner at once.
    Window lastFound = None;
    std::string lastTitle;
    xcb_connection_t *quick = xcb_connect(nullptr, nullptr);

    ~X11Connection()
    {
        xcb_disconnect(quick);
        XCloseDisplay(lookup.display);
    }
};

// A window may vanish between being listed and being looked at (BadWindow);
// Xlib's default handler would end the program for that.
static int ignoreXError(::Display *, XErrorEvent *)
{
    return 0;
}

class XErrorTrap
{
public:
    XErrorTrap() : m_previous(XSetErrorHandler(ignoreXError)) {}
    // Every request made under the trap waits for its reply, and the server
    // answers in order: no error is still on its way when the trap ends.
    ~XErrorTrap() { XSetErrorHandler(m_previous); }
    XErrorTrap(const XErrorTrap &) = delete;
    XErrorTrap &operator=(const XErrorTrap &) = delete;

private:
    XErrorHandler m_previous;
};

static bool netWmNameIs(const XLookup &x, Window window, std::string_view title)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(x.display, window, x.netWmName, 0, LONG_MAX / 4, False, x.utf8String, &type, &format,
                           &count, &after, &data) != Success)
        return false;
    const bool match = data && type == x.utf8String && format == 8
                       && std::string_view(reinterpret_cast<const char *>(data), count) == title;
    if (data)
        XFree(data);
    return match;
}

static bool wmNameIs(const XLookup &x, Window window, std::string_view title)
{
    XTextProperty property{};
    if (!XGetWMName(x.display, window, &property))
        return false;
    bool match = false;
    char **list = nullptr;
    int count = 0;
    if (property.value && Xutf8TextPropertyToTextList(x.display, &property, &list, &count) >= Success) {
        match = count > 0 && list[0] == title;
        XFreeStringList(list);
    }
    if (property.value)
        XFree(property.value);
    return match;
}

// The window's _NET_WM_PID, 0 without one.
static std::int64_t ownerOf(const XLookup &x, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    std::int64_t owner = 0;
    if (XGetWindowProperty(x.display, window, x.netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success
        && data && type == XA_CARDINAL && format == 32 && count == 1)
        owner = static_cast<std::int64_t>(*reinterpret_cast<const unsigned long *>(data));
    if (data)
        XFree(data);
    return owner;
}

static bool titleIs(const XLookup &x, Window window, std::string_view title)
{
    return netWmNameIs(x, window, title) || wmNameIs(x, window, title);
}

static std::vector<Window> managedClients(const XLookup &x, Window root)
{
    std::vector<Window> clients;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(x.display, root, x.clientList, 0, LONG_MAX / 4, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success
        && data && type == XA_WINDOW && format == 32) {
        // Format 32 comes as an array of long, whatever the size of long.
        const auto *windows = reinterpret_cast<const unsigned long *>(data);
        clients.assign(windows, windows + count);
    }
    if (data)
        XFree(data);
    return clients;
}

// Window managers reparent clients into frames, so every level is looked at.
// Returns the window with the title, or None.
static Window windowInTree(const XLookup &x, Window root, std::string_view title)
{
    std::vector<Window> pending{root};
    while (!pending.empty()) {
        const Window parent = pending.back();
        pending.pop_back();
        Window rootReturn = None;
        Window parentReturn = None;
        Window *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(x.display, parent, &rootReturn, &parentReturn, &children, &count))
            continue;
        Window found = None;
        for (unsigned int i = 0; i < count && found == None; ++i) {
            if (titleIs(x, children[i], title))
                found = children[i];
            pending.push_back(children[i]);
        }
        if (children)
            XFree(children);
        if (found != None)
            return found;
    }
    return None;
}

// The window's owner when it still has the title, asked in one round trip;
// nothing when it has another title or is gone.
static std::optional<std::int64_t> ownerIfTitled(xcb_connection_t *c, const XLookup &x, Window window,
                                                 std::string_view title)
{
    const auto length = static_cast<std::uint32_t>((title.size() + 4) / 4); // in 32-bit units, one byte more
    const xcb_get_property_cookie_t titleAsked
        = xcb_get_property(c, 0, static_cast<xcb_window_t>(window), x.netWmName, x.utf8String, 0, length);
    const xcb_get_property_cookie_t ownerAsked
        = xcb_get_property(c, 0, static_cast<xcb_window_t>(window), x.netWmPid, XCB_ATOM_CARDINAL, 0, 1);
    xcb_generic_error_t *titleError = nullptr;
    xcb_generic_error_t *ownerError = nullptr;
    xcb_get_property_reply_t *titleReply = xcb_get_property_reply(c, titleAsked, &titleError);
    xcb_get_property_reply_t *ownerReply = xcb_get_property_reply(c, ownerAsked, &ownerError);
    std::optional<std::int64_t> owner;
    if (titleReply && titleReply->format == 8 && titleReply->type == x.utf8String
        && std::string_view(static_cast<const char *>(xcb_get_property_value(titleReply)),
                            static_cast<std::size_t>(xcb_get_property_value_length(titleReply)))
            == title) {
        owner = 0;
        if (ownerReply && ownerReply->format == 32 && xcb_get_property_value_length(ownerReply) == 4)
            owner = *static_cast<const std::uint32_t *>(xcb_get_property_value(ownerReply));
    }
    std::free(titleReply);
    std::free(ownerReply);
    std::free(titleError);
    std::free(ownerError);
    return owner;
}

PosixPlatform::PosixPlatform() = default;
PosixPlatform::~PosixPlatform() = default;

WindowLookup PosixPlatform::findWindow(std::string_view titleUtf8)
{
    if (!m_x11) {
        ::Display *display = XOpenDisplay(nullptr);
        if (!display)
            return {WindowSearch::NoDisplay};
        m_x11 = std::make_unique<X11Connection>();
        m_x11->lookup = {display, XInternAtom(display, "_NET_CLIENT_LIST", False),
                         XInternAtom(display, "_NET_WM_NAME", False), XInternAtom(display, "UTF8_STRING", False),
                         XInternAtom(display, "_NET_WM_PID", False)};
    }
    const XLookup &x = m_x11->lookup;
    // A search costs a round trip to the X server for every window, on every
    // track change; the window found last costs one while it keeps its title.
    // X11 may give a closed window's id to a new one: its owner tells them apart.
    Window &last = m_x11->lastFound;
    if (last != None && m_x11->lastTitle == titleUtf8 && !xcb_connection_has_error(m_x11->quick)) {
        if (const std::optional<std::int64_t> owner = ownerIfTitled(m_x11->quick, x, last, titleUtf8))
            return {WindowSearch::Found, last, *owner};
    }
    XErrorTrap trap;
    const Window root = DefaultRootWindow(x.display);
    last = None;
    for (const Window window : managedClients(x, root)) {
        if (titleIs(x, window, titleUtf8)) {
            last = window;
            break;
        }
    }
    if (last == None)
        last = windowInTree(x, root, titleUtf8);
    m_x11->lastTitle = titleUtf8;
    return last != None ? WindowLookup{WindowSearch::Found, last, ownerOf(x, last)} : WindowLookup{};
}

// The show style is a Windows notion: X11 has no say in how a new program
// shows its window, so it is ignored here.
Result<ProcessId> PosixPlatform::startProgram(std::string_view commandLine, ShowStyle)
{
    std::vector<std::string> arguments = splitWindowsCommandLine(commandLine);
    if (arguments.empty() || arguments.front().empty())
        return noProgramError();
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Our descriptors (the X connection, sockets, the list file) stay ours.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return startError(arguments.front(), std::generic_category().default_error_condition(error),
                          std::strerror(error));
    // The system may hand out the pid of a child reaped long ago again.
    m_exitCodes.erase(pid);
    return ProcessId{pid};
}

// The kernel refuses an argument of 32 pages or more, and all arguments with
// the environment past ARG_MAX (execve's E2BIG).
bool PosixPlatform::commandLineFits(std::string_view commandLine) const
{
    constexpr std::size_t kLongestArgument = 32 * 4096 - 1;
    std::size_t total = 0;
    for (const std::string &argument : splitWindowsCommandLine(commandLine)) {
        if (argument.size() > kLongestArgument)
            return false;
        total += argument.size() + 1 + sizeof(char *);
    }
    for (char **variable = environ; *variable; ++variable)
        total += std::strlen(*variable) + 1 + sizeof(char *);
    return total < static_cast<std::size_t>(sysconf(_SC_ARG_MAX));
}

std::optional<int> PosixPlatform::reap(ProcessId pid)
{
    if (pid <= 0)
        return 0; // waitpid and kill would take these for whole process groups
    if (const auto known = m_exitCodes.find(pid); known != m_exitCodes.end())
        return known->second;
    int status = 0;
    pid_t result = 0;
    do {
        result = waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    } while (result == -1 && errno == EINTR);
    if (result == 0)
        return std::nullopt;
    if (result == -1) {
        // Not our child: it has ended once its pid is gone; no code to tell.
        if (errno == ECHILD && kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH)
            return 0;
        return std::nullopt;
    }
    const int code = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    m_exitCodes[pid] = code;
    m_pidfds.erase(pid);
    return code;
}

WaitResult PosixPlatform::waitForExit(ProcessId pid, milliseconds limit)
{
    const WaitResult result = waitUntilEnded(pid, limit);
    // Nobody asks about a waited-for client again: forgetting it keeps a long
    // session from collecting one entry per order.
    if (result.outcome == WaitResult::Outcome::Exited)
        m_exitCodes.erase(pid);
    return result;
}

std::intptr_t PosixPlatform::endSignal(ProcessId pid)
{
    if (pid <= 0)
        return -1;
    if (const auto known = m_pidfds.find(pid); known != m_pidfds.end())
        return known->second.get();
    // Readable once the process has ended; a zombie's is readable at once.
    OwnedFd pidfd(static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0)));
    if (!pidfd)
        return -1;
    return m_pidfds.insert_or_assign(pid, std::move(pidfd)).first->second.get();
}

WaitResult PosixPlatform::waitUntilEnded(ProcessId pid, milliseconds limit)
{
    const milliseconds deadline = now() + limit;
    for (;;) {
        if (const std::optional<int> code = reap(pid))
            return {WaitResult::Outcome::Exited, *code};
        const milliseconds remaining = deadline - now();
        if (remaining <= milliseconds::zero())
            return {WaitResult::Outcome::TimedOut, 0};
        const std::intptr_t pidfd = endSignal(pid);
        if (pidfd >= 0) {
            pollfd entry{static_cast<int>(pidfd), POLLIN, 0};
            poll(&entry, 1, static_cast<int>(std::min<long long>(remaining.count(), INT_MAX)));
        } else {
            std::this_thread::sleep_for(std::min(remaining, milliseconds(10)));
        }
    }
}

bool PosixPlatform::hasExited(ProcessId pid)
{
    return reap(pid).has_value();
}

void PosixPlatform::terminate(ProcessId pid)
{
    if (pid <= 0 || hasExited(pid))
        return;
    kill(static_cast<pid_t>(pid), SIGTERM);
    // Its code stays known, so a later question about it never reaches a
    // process that has since been given the same pid.
    if (waitUntilEnded(pid, milliseconds(2000)).outcome == WaitResult::Outcome::Exited)
        return;
    kill(static_cast<pid_t>(pid), SIGKILL);
    waitUntilEnded(pid, milliseconds(5000));
}

milliseconds PosixPlatform::now()
{
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}
