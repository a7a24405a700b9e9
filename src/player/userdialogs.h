#pragma once

#include <string>

// The message boxes of start-up and shut-down, all titled "Tunelark". The
// window provides them; tests answer them.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    // Exclamation icon, OK button only.
    virtual void showExclamation(const std::string &text) = 0;
    // Question icon, Yes and No buttons; true for Yes.
    virtual bool askYesNo(const std::string &text) = 0;
    // From now on nobody is there to answer: no message box waits, every
    // question is answered No (an end signal, the end of the session).
    virtual void stopAsking() {}
};
