#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// A fresh directory, removed again even when an assertion fails. Plain C++,
// so the Windows build of these tests has it too.
struct TempDir
{
    std::string path = (std::filesystem::temp_directory_path() / "tunelark_XXXXXX").string();

    TempDir()
    {
        if (!mkdtemp(path.data()))
            path.clear();
    }
    TempDir(const TempDir &) = delete;
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    void write(const std::string &name, const std::string &bytes) const
    {
        const std::filesystem::path file = std::filesystem::path(path) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }
};
