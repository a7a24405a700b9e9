#pragma once

#include <string_view>

// Output of the command line (--check, --help, --version) from a GUI
// program: to the handle the parent gave (a pipe or a file), else to the
// console of the program that started it (cmd.exe), attached on first use.
enum class StandardStream { Output, Error };
void writeToStandardStream(StandardStream stream, std::string_view utf8);
