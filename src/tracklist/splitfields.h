#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Splits a list line at commas outside double quotation marks into fields 0 to
// lastIndex. The quotation marks stay in the fields; everything from the comma
// that would start field lastIndex + 1 on is ignored; fields the line does not
// reach are empty. Nothing is trimmed.
void splitFields(std::string_view line, std::int16_t lastIndex, std::vector<std::string> &fields);
