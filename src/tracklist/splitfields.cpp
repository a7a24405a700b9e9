#include "tracklist/splitfields.h"

#include <cstddef>

void splitFields(std::string_view line, std::int16_t lastIndex, std::vector<std::string> &fields)
{
    // Cleared rather than replaced, so that a caller that hands the same
    // vector from line to line keeps the strings' memory.
    fields.resize(lastIndex < 0 ? 0 : static_cast<std::size_t>(lastIndex) + 1);
    for (std::string &field : fields)
        field.clear();
    if (fields.empty())
        return;

    std::size_t field = 0;
    std::size_t fieldStart = 0;
    bool quoting = false;
    // Bytes are enough: a quotation mark or a comma never occurs inside a
    // multi-byte UTF-8 character.
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            quoting = !quoting;
        } else if (c == ',' && !quoting) {
            fields[field].assign(line.substr(fieldStart, pos - fieldStart));
            if (++field == fields.size())
                return;
            fieldStart = pos + 1;
        }
    }
    fields[field].assign(line.substr(fieldStart));
}
