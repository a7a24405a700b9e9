#pragma once

#include "util/task.h"
#include "win32/mainloop_win.h"

#include <optional>
#include <utility>

// Runs the main loop until the task has ended and gives its value.
template <typename T>
T finishTask(WinMainLoop &loop, Task<T> task)
{
    std::optional<T> value;
    task.start([&value](T result) {
        value = std::move(result);
        PostQuitMessage(0);
    });
    loop.run([] { return HWND{}; });
    return std::move(*value);
}
