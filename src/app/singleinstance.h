#pragma once

#include <QLockFile>

#include <memory>

// Keeps a second copy of the program from running for the same user in the
// same graphical session. The lock dies with the process that holds it, so a
// crashed run does not block the next start.
class SingleInstance
{
public:
    SingleInstance();
    ~SingleInstance();

    // False when another running instance holds the lock.
    bool acquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};
