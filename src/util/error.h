#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

// What went wrong, told twice: `text` for the user, in Japanese as the
// message boxes are, and `detail` for standard error, in English: the file
// and the system's own words for the reason. An empty detail means the text
// says it all.
struct Error
{
    std::string text;
    std::string detail = {};

    friend bool operator==(const Error &, const Error &) = default;
};

// A failure of the system on `file` (UTF-8, or empty when the caller names
// it): the text tells in Japanese what `meaning` comes to, the detail quotes
// `reason`, the system's own words.
Error systemError(const std::string &file, std::error_condition meaning, const std::string &reason);
// The same for an errno value, or a std::filesystem error.
Error systemError(const std::string &file, int errnoValue);
Error systemError(const std::string &file, const std::error_code &error);

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
