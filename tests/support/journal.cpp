#include "journal.h"

#include <fstream>
#include <stdexcept>

static void appendUtf8(std::string &out, unsigned long codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// A JSON string starting at the quotation mark at pos; pos ends after it.
static std::string readString(const std::string &line, std::size_t &pos)
{
    std::string out;
    for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
        if (line[pos] != '\\') {
            out += line[pos];
            continue;
        }
        const char escaped = line.at(++pos);
        switch (escaped) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
            unsigned long codePoint = std::stoul(line.substr(pos + 1, 4), nullptr, 16);
            pos += 4;
            if (codePoint >= 0xD800 && codePoint < 0xDC00 && line.compare(pos + 1, 2, "\\u") == 0) {
                const unsigned long low = std::stoul(line.substr(pos + 3, 4), nullptr, 16);
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
                pos += 6;
            }
            appendUtf8(out, codePoint);
            break;
        }
        default: out += escaped; break;
        }
    }
    if (pos >= line.size())
        throw std::runtime_error("journal: unterminated string in " + line);
    ++pos;
    return out;
}

std::vector<std::vector<std::string>> readJournal(const std::string &path)
{
    std::vector<std::vector<std::string>> runs;
    std::ifstream file(path, std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        std::size_t pos = line.find("\"args\":[");
        if (pos == std::string::npos)
            throw std::runtime_error("journal: no arguments in " + line);
        pos += 8;
        std::vector<std::string> arguments;
        while (pos < line.size() && line[pos] != ']') {
            if (line[pos] == '"')
                arguments.push_back(readString(line, pos));
            else
                ++pos; // the comma between two strings
        }
        runs.push_back(std::move(arguments));
    }
    return runs;
}
