#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

// Sets (or, with nullopt, removes) an environment variable for the life of the
// object, and puts the old value back even when an assertion fails.
class ScopedEnv
{
public:
    ScopedEnv(std::string name, const std::optional<std::string> &value) : m_name(std::move(name))
    {
        if (const char *previous = std::getenv(m_name.c_str()))
            m_previous = previous;
        set(value);
    }
    ~ScopedEnv() { set(m_previous); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    void set(const std::optional<std::string> &value)
    {
#ifdef _WIN32
        _putenv_s(m_name.c_str(), value ? value->c_str() : ""); // empty removes it
#else
        value ? setenv(m_name.c_str(), value->c_str(), 1) : unsetenv(m_name.c_str());
#endif
    }

    std::string m_name;
    std::optional<std::string> m_previous;
};

// A fresh folder under the temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir()
    {
        if (!mkdtemp(m_path.data()))
            throw std::runtime_error("cannot make a temporary folder");
    }
    ~TempDir() { std::error_code ignored; std::filesystem::remove_all(m_path, ignored); }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return m_path; }
    std::string file(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path = (std::filesystem::temp_directory_path() / "tunelark-test-XXXXXX").string();
};
