#pragma once

#include <coroutine>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

// A sequence of steps that waits for events of the main loop without blocking
// it: a coroutine that starts when it is awaited (or started), and hands its
// value to whoever awaited it, or to the callback given to start(). Owning the
// Task owns the coroutine; destroying it while suspended abandons the steps
// left, and the awaiters it is suspended in cancel their own waits.
template <typename T>
class [[nodiscard]] Task
{
public:
    struct promise_type
    {
        std::optional<T> value;
        std::coroutine_handle<> continuation;
        std::function<void(T)> done;

        Task get_return_object() { return Task(std::coroutine_handle<promise_type>::from_promise(*this)); }
        std::suspend_always initial_suspend() noexcept { return {}; }
        auto final_suspend() noexcept
        {
            struct Finish
            {
                bool await_ready() noexcept { return false; }
                std::coroutine_handle<> await_suspend(std::coroutine_handle<promise_type> self) noexcept
                {
                    promise_type &promise = self.promise();
                    if (promise.continuation)
                        return promise.continuation;
                    if (promise.done) {
                        // The callback may destroy this coroutine (by replacing its
                        // Task), so nothing of the frame is touched after it.
                        auto done = std::move(promise.done);
                        T value = std::move(*promise.value);
                        done(std::move(value));
                    }
                    return std::noop_coroutine();
                }
                void await_resume() noexcept {}
            };
            return Finish{};
        }
        void return_value(T result) { value = std::move(result); }
        // Nothing in the player throws on purpose; a throw is a fault to see at once.
        void unhandled_exception() noexcept { std::terminate(); }
    };

    Task() = default;
    Task(Task &&other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Task &operator=(Task &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    Task(const Task &) = delete;
    Task &operator=(const Task &) = delete;
    ~Task() { reset(); }

    // Runs the steps up to their first wait; `done` gets the value at the end,
    // which may come before start() returns.
    void start(std::function<void(T)> done)
    {
        m_handle.promise().done = std::move(done);
        m_handle.resume();
    }

    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept
    {
        m_handle.promise().continuation = awaiting;
        return m_handle;
    }
    T await_resume() { return std::move(*m_handle.promise().value); }

private:
    explicit Task(std::coroutine_handle<promise_type> handle) : m_handle(handle) {}
    void reset()
    {
        if (m_handle)
            std::exchange(m_handle, {}).destroy();
    }

    std::coroutine_handle<promise_type> m_handle;
};
