// Any bytes as tl.ini: lookups ignore letter case and stay within a line and
// 255 bytes, a number read from a value reads the same once written out
// again, and reading the settings gives either all three or an error message.
#include "fuzzcheck.h"
#include "app/config.h"
#include "app/inifile.h"
#include "util/text.h"

#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// readSettings reads tl.ini itself: the input goes to a private folder, in
// memory where there is one, removed again at exit.
struct ScratchFolder
{
    std::string path = access("/dev/shm", W_OK) == 0 ? "/dev/shm/fuzz_inifile_XXXXXX" : "/tmp/fuzz_inifile_XXXXXX";
    ScratchFolder()
    {
        if (!mkdtemp(path.data()))
            std::abort();
    }
    ~ScratchFolder()
    {
        std::remove((path + "/tl.ini").c_str());
        rmdir(path.c_str());
    }
};

} // unnamed

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    checkNumber(bytes);
    const IniFile file = IniFile::fromBytes(bytes);
    for (const char *key : {"DefaultPlayTime", "HootInitWaitTime", "DriverInitWaitTime"}) {
        const std::optional<IniFile::Value> found = file.value("config", key);
        const std::optional<IniFile::Value> upper = file.value("CONFIG", std::string(key) + " ");
        fuzzCheck(found.has_value() == upper.has_value() && (!found || found->text == upper->text),
                  "lookup depends on letter case or blanks");
        if (found) {
            fuzzCheck(found->text.size() <= 255 && found->text.find_first_of("\r\n") == std::string::npos,
                      "value longer than 255 bytes or over a line end");
            checkNumber(found->text);
        }
    }
    static const ScratchFolder folder;
    std::FILE *stream = std::fopen((folder.path + "/tl.ini").c_str(), "wb");
    if (!stream)
        std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fclose(stream);
    const Result<Settings> settings = readSettings(folder.path);
    fuzzCheck(settings || (!settings.error().message.empty() && !settings.error().dialogText.empty()),
              "error without a message");
    return 0;
}
