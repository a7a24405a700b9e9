#pragma once

#include <ostream>
#include <string>
#include <vector>

// The command line of tunelark: --check [FILE], --help and --version. args are
// the arguments after the program's name; relative paths are taken from
// currentDirectory. Returns the exit code: 0 when all is well (warnings
// allowed), 1 when the list or tl.ini has a problem, 2 for a usage error or a
// list file that cannot be read.
int runCommandLine(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
                   const std::string &currentDirectory);
