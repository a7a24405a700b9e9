// Any bytes as tl.ini: lookups ignore letter case and blanks around names,
// values stay within a line and 255 bytes, and a number read from a value
// reads the same once written out again.
#include "fuzzcheck.h"
#include "settings/inifile.h"
#include "util/text.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

void checkNumber(std::string_view text)
{
    const Decimal number = parseDecimal(text, 0, INT_MIN, INT_MAX);
    if (number.reading == DecimalReading::Number) {
        const Decimal again = parseDecimal(std::to_string(number.scaled), 0, INT_MIN, INT_MAX);
        fuzzCheck(again.reading == DecimalReading::Number && again.scaled == number.scaled,
                  "a number written out reads differently");
    }
}

} // unnamed

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    checkNumber(bytes);
    const IniFile file = IniFile::fromBytes(bytes);
    for (const char *key : {"DefaultPlayTime", "HootInitWaitTime", "DriverInitWaitTime"}) {
        const std::optional<IniFile::Value> found = file.value("config", key);
        const std::optional<IniFile::Value> upper = file.value(" CONFIG", std::string(key) + " ");
        fuzzCheck(found.has_value() == upper.has_value() && (!found || found->text == upper->text),
                  "lookup depends on letter case or blanks");
        if (found) {
            fuzzCheck(found->text.size() <= 255 && found->text.find_first_of("\r\n") == std::string::npos,
                      "value longer than 255 bytes or over a line end");
            checkNumber(found->text);
        }
    }
    return 0;
}
