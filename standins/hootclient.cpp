// Stand-in for the emulator's command-line client: hands its arguments to the
// stand-in emulator and ends once the emulator has taken them. Plain C++
// without Qt, so that a run costs about what a real client run costs.
//
// Environment, for tests:
//   HOOT_STANDIN_JOURNAL  file to which each run appends one JSON line
//                         {"args":[...],"ms":<milliseconds since the epoch>}
//   HOOT_STANDIN_DELAY_MS sleep that long before handing over
//   HOOT_STANDIN_HANG=1   never end
//   HOOT_STANDIN_EXIT=N   end with code N without handing the order over:
//                         a client that fails and leaves the emulator as it was
//   HOOT_STANDIN_EXIT_AFTER=N  end with code N once the order is handed over
// Exit codes: 0 order handed over, 3 no emulator listening, 4 no answer.

#include "jsonstring.h"
#include "socketpath.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

static void appendToJournal(const char *path, int argc, char **argv)
{
    std::string line = "{\"args\":[";
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ',';
        line += jsonString(argv[i]);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    line += "],\"ms\":" + std::to_string(ms.count()) + "}\n";
    // One write with O_APPEND: lines of clients running side by side stay whole.
    const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0 || write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        std::fprintf(stderr, "hootclient: cannot write the journal %s: %s\n", path, std::strerror(errno));
    if (fd >= 0)
        close(fd);
}

static bool sendAll(int fd, const std::string &data)
{
    for (std::size_t sent = 0; sent < data.size();) {
        const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

static bool awaitAnswer(int fd)
{
    std::string answer;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (answer.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd entry{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char buffer[64];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    return answer.rfind("ok\n", 0) == 0;
}

int main(int argc, char **argv)
{
    if (const char *journal = std::getenv("HOOT_STANDIN_JOURNAL"); journal && *journal)
        appendToJournal(journal, argc, argv);
    if (const char *delay = std::getenv("HOOT_STANDIN_DELAY_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(delay)));
    if (const char *hang = std::getenv("HOOT_STANDIN_HANG"); hang && std::strcmp(hang, "1") == 0) {
        for (;;)
            pause(); // until a signal ends the process
    }
    if (const char *code = std::getenv("HOOT_STANDIN_EXIT"); code && *code)
        return std::atoi(code);

    const std::string path = standinSocketPath();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        std::fprintf(stderr, "hootclient: socket path too long: %s\n", path.c_str());
        return 3;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        std::fprintf(stderr, "hootclient: no emulator is running (%s: %s)\n", path.c_str(), std::strerror(errno));
        return 3;
    }
    std::string order = std::to_string(argc - 1) + "\n";
    for (int i = 1; i < argc; ++i) {
        order += argv[i];
        order += '\0';
    }
    if (!sendAll(fd, order) || !awaitAnswer(fd)) {
        std::fprintf(stderr, "hootclient: the emulator did not take the order\n");
        close(fd);
        return 4;
    }
    close(fd);
    const char *after = std::getenv("HOOT_STANDIN_EXIT_AFTER");
    return after ? std::atoi(after) : 0;
}
