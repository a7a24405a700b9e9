#pragma once

#include <memory>

// Keeps a second copy of the program from running for the same user in the
// same session. The hold dies with the process that has it, so a crashed run
// does not block the next start. One implementation per platform: a lock file
// (singleinstance_qt.cpp), a named mutex (singleinstance_win.cpp).
class SingleInstance
{
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // False when another running instance holds the lock.
    bool acquire();

private:
    struct Hold;
    std::unique_ptr<Hold> m_hold;
};
