#include "app/singleinstance.h"

#include "util/ownedhandle_win.h"
#include "util/widestring_win.h"

#include <windows.h>

// "Local\" scopes the name to the logon session, as the lock file is scoped
// to the X display on Linux. The system drops the mutex with the last handle,
// so a crashed run leaves nothing behind.
static constexpr const wchar_t *kMutexName = L"Local\\Tunelark.SingleInstance";

struct SingleInstance::Hold
{
    OwnedHandle mutex;
};

SingleInstance::SingleInstance() : m_hold(std::make_unique<Hold>()) {}

SingleInstance::~SingleInstance() = default;

Result<bool> SingleInstance::acquire()
{
    OwnedHandle mutex(CreateMutexW(nullptr, FALSE, kMutexName));
    if (!mutex)
        return Error{toUtf8(kMutexName) + ": 作成できませんでした。", toUtf8(kMutexName) + ": " + systemMessage(GetLastError())};
    // Opening one that exists means another instance made it.
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return false;
    m_hold->mutex = std::move(mutex);
    return true;
}
