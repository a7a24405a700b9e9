#pragma once

#include <ostream>
#include <string_view>

// Writes "tunelark: message" and a line end to `err` (standard error unless a
// test hands another stream), flushed, so it is seen even if the run ends next.
void printMessage(std::string_view message);
void printMessage(std::ostream &err, std::string_view message);
