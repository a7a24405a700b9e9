#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a command line into arguments by the Windows rules (those of
// CommandLineToArgvW and the C runtime), so a child sees what it would see on
// Windows: quotation marks group and are removed, 2n backslashes before a
// quotation mark give n backslashes, 2n+1 give n and a literal mark, other
// backslashes are literal. The first argument (the program) takes no
// backslash rules: it runs to the next blank, or between quotation marks.
std::vector<std::string> splitWindowsCommandLine(std::string_view commandLine);

// The inverse for arguments: quotes each argument that needs it so that
// splitWindowsCommandLine gives the same arguments back.
std::string joinWindowsCommandLine(const std::vector<std::string> &arguments);
