#pragma once

#include "util/error.h"

#include <ostream>
#include <string_view>

// Writes "tunelark: message" and a line end to `err` (standard error unless a
// test hands another stream), flushed, so it is seen even if the run ends next.
void printMessage(std::string_view message);
void printMessage(std::ostream &err, std::string_view message);

// Writes what went wrong the same way: `context` (English, may be empty)
// before the error's detail, or before its text where it has no detail.
void printMessage(const Error &error, std::string_view context = {});
void printMessage(std::ostream &err, const Error &error, std::string_view context = {});
// Beside a message box that shows the error's text: its detail, where it has one.
void printDetail(const Error &error);
