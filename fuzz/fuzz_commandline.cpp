// Command lines: any bytes split without a crash, splitting is stable
// through a join, and splitting what joinWindowsCommandLine joins gives the
// arguments back, quotation marks and backslashes included.
#include "fuzzcheck.h"
#include "platform/commandline.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::vector<std::string> split = splitWindowsCommandLine(bytes);
    fuzzCheck(splitWindowsCommandLine(joinWindowsCommandLine(split)) == split,
              "split, join and split again changes the arguments");

    // The input as arguments separated by NUL bytes. The program name takes
    // no escapes on Windows, so it cannot hold a quotation mark.
    std::vector<std::string> arguments(1);
    for (const char c : bytes) {
        if (c == '\0')
            arguments.emplace_back();
        else if (arguments.size() > 1 || c != '"')
            arguments.back() += c;
    }
    fuzzCheck(splitWindowsCommandLine(joinWindowsCommandLine(arguments)) == arguments,
              "join then split changes the arguments");
    return 0;
}
