#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string fileBytes(const std::string &path)
{
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

// Each stand-in client run's line in the journal (HOOT_STANDIN_JOURNAL): the
// strings of its `key`, an array or one string. The client escapes quotation
// marks and backslashes with a backslash and control characters as \u00XX.
inline std::vector<std::vector<std::string>> readJournal(const std::string &path, const std::string &key = "args")
{
    std::vector<std::vector<std::string>> runs;
    std::ifstream file(path, std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        std::vector<std::string> &strings = runs.emplace_back();
        std::size_t at = line.find('"' + key + "\":") + key.size() + 3;
        const bool array = line.at(at) == '[';
        for (at += array; line.at(at) == '"'; at += line.at(at + 1) == ',' ? 2 : 1) {
            std::string &text = strings.emplace_back();
            for (++at; line.at(at) != '"'; ++at) {
                if (line[at] == '\\' && line.at(++at) == 'u')
                    text += static_cast<char>(std::stoi(line.substr(at + 1, 4), nullptr, 16)), at += 4;
                else
                    text += line[at];
            }
            if (!array)
                break;
        }
    }
    return runs;
}
