#pragma once

#include "util/ownedfd_posix.h"

#include <QObject>

#include <initializer_list>
#include <vector>

class QSocketNotifier;

// Turns the signals that ask the program to end (a kill, Ctrl+C, a logout)
// into a Qt signal delivered by the event loop, where an orderly close can be
// carried out. The handler only writes the signal's number into a pipe, which
// is safe at any moment. The waits of start-up and of track changes run the
// event loop, so a signal is noticed there too.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(std::initializer_list<int> signalNumbers);
    ~SignalWatcher() override;
    SignalWatcher(const SignalWatcher &) = delete;
    SignalWatcher &operator=(const SignalWatcher &) = delete;

    // The first of the signals that came, 0 while none has.
    int received() const { return m_received; }

signals:
    // Once, for the first signal; later ones find the end already under way.
    void endRequested();

private:
    void drainPipe();

    std::vector<int> m_signalNumbers;
    OwnedFd m_readEnd, m_writeEnd; // the pipe; the handler reaches them through a global copy
    QSocketNotifier *m_notifier = nullptr;
    int m_received = 0;
};
