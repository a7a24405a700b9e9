#include "scopedenv.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string> &value) : m_name(std::move(name))
{
    if (const char *previous = std::getenv(m_name.c_str()))
        m_previous = previous;
    if (value)
        setenv(m_name.c_str(), value->c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

ScopedEnv::~ScopedEnv()
{
    if (m_previous)
        setenv(m_name.c_str(), m_previous->c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tunelark-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}
