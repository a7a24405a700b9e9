#include "qt/signalwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The handler can reach nothing but globals; one watcher lives per process.
// The watcher owns the pipe; these are copies of its ends.
int g_pipe[2] = {-1, -1};

extern "C" void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a signal for the event loop: dropping this one loses nothing.
    (void)!write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signalNumbers) : m_signalNumbers(signalNumbers)
{
    // Close-on-exec: the emulator and its client must not inherit the pipe.
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = OwnedFd(g_pipe[0]);
    m_writeEnd = OwnedFd(g_pipe[1]);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::drainPipe);
    struct sigaction action = {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a signal must not fail the waits' system calls
    for (const int signalNumber : m_signalNumbers)
        sigaction(signalNumber, &action, nullptr);
}

SignalWatcher::~SignalWatcher()
{
    for (const int signalNumber : m_signalNumbers)
        std::signal(signalNumber, SIG_DFL);
    delete m_notifier;
    g_pipe[0] = g_pipe[1] = -1; // the ends close after this
}

void SignalWatcher::drainPipe()
{
    unsigned char byte = 0;
    const bool first = m_received == 0;
    while (read(g_pipe[0], &byte, 1) == 1) {
        if (m_received == 0)
            m_received = byte;
    }
    // Emitted after the pipe is empty: the close it starts may run the event loop.
    if (first && m_received != 0)
        emit endRequested();
}
