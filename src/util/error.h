#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

// What went wrong, in words for whoever has to act on it. `message` is the
// text for a terminal or a log; `dialogText` the Japanese text of a message
// box where that differs (empty when `message` serves both).
struct Error
{
    explicit Error(std::string text, std::string japanese = {}) : message(std::move(text)), dialogText(std::move(japanese)) {}

    std::string message;
    std::string dialogText;

    const std::string &forDialog() const { return dialogText.empty() ? message : dialogText; }
};

// A value or the Error that kept it from being made; true when it holds the value.
template <typename T>
class [[nodiscard]] Result
{
public:
    Result(T value) : m_outcome(std::move(value)) {}
    Result(Error error) : m_outcome(std::move(error)) {}

    explicit operator bool() const { return m_outcome.index() == 0; }
    T &value() { return std::get<T>(m_outcome); }
    const T &value() const { return std::get<T>(m_outcome); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    const Error &error() const { return std::get<Error>(m_outcome); }

private:
    std::variant<T, Error> m_outcome;
};

// For operations that give nothing back: success, or the Error.
template <>
class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    explicit operator bool() const { return !m_error.has_value(); }
    const Error &error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};
