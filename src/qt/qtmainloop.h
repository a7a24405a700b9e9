#pragma once

#include "emulator/mainloop.h"

#include <QObject>

#include <map>
#include <memory>

class QSocketNotifier;
class QTimer;

// The core's waits on Qt's one event loop: single-shot timers, and a
// notifier on each watched process's pidfd, so the loop sleeps until
// something happens.
class QtMainLoop : public QObject, public MainLoop
{
public:
    explicit QtMainLoop(Platform &platform);
    ~QtMainLoop() override;

    std::chrono::milliseconds now() const override;
    TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> expired) override;
    void cancelTimer(TimerId timer) override;
    void watchProcess(ProcessId pid, std::function<void()> ended) override;
    void stopWatching(ProcessId pid) override;

private:
    struct Watch
    {
        std::unique_ptr<QSocketNotifier> notifier;
        std::function<void()> ended;
        TimerId fallback = 0; // without a pidfd: a look every so often
    };
    void ended(ProcessId pid);
    void lookAgain(ProcessId pid);

    Platform &m_platform;
    TimerId m_nextTimer = 1;
    std::map<TimerId, QTimer *> m_timers;
    std::map<ProcessId, Watch> m_watches;
};
