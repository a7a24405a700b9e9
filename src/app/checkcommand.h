#pragma once

#include "util/error.h"

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

// The arguments that are not Qt's own options (such as -platform NAME).
std::vector<std::string> withoutQtOptions(const std::vector<std::string> &args);

// Makes the folder to play the current one: args (without Qt's options) are
// empty for the current folder, or one FOLDER or FILE (the folder holding it).
// An Error tells what stopped it (the run ends with exit code 2).
Result<void> enterPlayFolder(const std::vector<std::string> &args);
