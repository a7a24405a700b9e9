#pragma once

#include <optional>
#include <string>
#include <string_view>

// The platform's converter for code page 932, NEC and IBM extensions included,
// mapping every byte and character as Windows does. nullopt when the input
// holds something the other side has no form for.
std::optional<std::string> shiftJisToUtf8(std::string_view bytes);
std::optional<std::string> utf8ToShiftJis(std::string_view utf8);

// Shift-JIS (or, when `shiftJis` is false, UTF-8) bytes that do not convert,
// read as far as they go for showing them: a byte the converter cannot read
// becomes U+FFFD and the bytes after it are read on.
std::string toUtf8Replacing(std::string_view bytes, bool shiftJis);
