#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A fresh directory, removed again even when an assertion fails. Plain C++,
// so the Windows build of these tests has it too.
class TempDir
{
public:
    TempDir() : m_path((std::filesystem::temp_directory_path() / "tunelark_XXXXXX").string())
    {
        if (!mkdtemp(m_path.data()))
            m_path.clear();
    }
    ~TempDir() { std::filesystem::remove_all(m_path, m_ignored); }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return m_path; }
    void write(const std::string &name, const std::string &bytes) const
    {
        const std::filesystem::path file = std::filesystem::path(m_path) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

private:
    std::string m_path;
    std::error_code m_ignored;
};
