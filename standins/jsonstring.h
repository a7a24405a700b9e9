#pragma once

#include <string>

// The text as a JSON string: quotation marks and backslashes escaped, control
// characters as \u00XX, everything else (UTF-8 included) as it is.
std::string jsonString(const std::string &text);
