#include "platform/commandline.h"

static bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The program name: quotation marks toggle and are dropped, backslashes are
// plain characters, and it ends at a blank outside quotation marks.
static std::size_t readProgramName(std::string_view line, std::size_t pos, std::string &name)
{
    bool inQuotes = false;
    for (; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"')
            inQuotes = !inQuotes;
        else if (isBlank(c) && !inQuotes)
            break;
        else
            name += c;
    }
    return pos;
}

static std::size_t readArgument(std::string_view line, std::size_t pos, std::string &argument)
{
    bool inQuotes = false;
    while (pos < line.size()) {
        std::size_t backslashes = 0;
        while (pos < line.size() && line[pos] == '\\') {
            ++backslashes;
            ++pos;
        }
        if (pos < line.size() && line[pos] == '"') {
            argument.append(backslashes / 2, '\\');
            if (backslashes % 2 == 1) {
                argument += '"';
                ++pos;
            } else if (inQuotes && pos + 1 < line.size() && line[pos + 1] == '"') {
                // The C runtime since 2008: "" inside quotation marks is one literal mark.
                argument += '"';
                pos += 2;
            } else {
                inQuotes = !inQuotes;
                ++pos;
            }
            continue;
        }
        argument.append(backslashes, '\\');
        if (pos >= line.size() || (isBlank(line[pos]) && !inQuotes))
            break;
        argument += line[pos++];
    }
    return pos;
}

static bool needsQuotes(const std::string &argument)
{
    return argument.empty() || argument.find_first_of(" \t\"") != std::string::npos;
}

static void appendQuoted(std::string &line, const std::string &argument)
{
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            line.append(backslashes * 2 + 1, '\\');
            line += '"';
        } else {
            line.append(backslashes, '\\');
            line += c;
        }
        backslashes = 0;
    }
    // Backslashes before the closing mark are doubled so that it still closes.
    line.append(backslashes * 2, '\\');
    line += '"';
}

std::vector<std::string> splitWindowsCommandLine(std::string_view commandLine)
{
    std::vector<std::string> arguments;
    std::size_t pos = 0;
    while (pos < commandLine.size() && isBlank(commandLine[pos]))
        ++pos;
    if (pos >= commandLine.size())
        return arguments;

    arguments.emplace_back();
    pos = readProgramName(commandLine, pos, arguments.back());
    for (;;) {
        while (pos < commandLine.size() && isBlank(commandLine[pos]))
            ++pos;
        if (pos >= commandLine.size())
            break;
        arguments.emplace_back();
        pos = readArgument(commandLine, pos, arguments.back());
    }
    return arguments;
}

std::string joinWindowsCommandLine(const std::vector<std::string> &arguments)
{
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0)
            line += ' ';
        const std::string &argument = arguments[i];
        if (i == 0) {
            // The program name takes no escapes (a file name holds no quotation mark).
            if (needsQuotes(argument))
                line += '"' + argument + '"';
            else
                line += argument;
        } else if (needsQuotes(argument)) {
            appendQuoted(line, argument);
        } else {
            line += argument;
        }
    }
    return line;
}
