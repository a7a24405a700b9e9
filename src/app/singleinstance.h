#pragma once

#include "util/error.h"

#include <memory>

// Keeps a second copy of the program from running for the same user in the
// same session. The hold dies with the process that has it, so a crashed run
// does not block the next start. One implementation per platform: a locked
// file in the user's own folder (singleinstance_posix.cpp), a named mutex
// (singleinstance_win.cpp).
class SingleInstance
{
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True once this run holds the lock, false when another running instance
    // holds it; the reason when the lock cannot be made at all.
    Result<bool> acquire();

private:
    struct Hold;
    std::unique_ptr<Hold> m_hold;
};
