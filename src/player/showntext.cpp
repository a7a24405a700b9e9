#include "player/showntext.h"

std::string_view shownPart(std::string_view utf8)
{
    // No more bytes than that, so no more characters: nearly every title.
    if (utf8.size() <= kShownCharacters)
        return utf8;
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < utf8.size(); ++end) {
        // Continuation bytes (10xxxxxx) belong to the character before them.
        const bool startsCharacter = (static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80;
        if (startsCharacter && characters++ == kShownCharacters)
            break;
    }
    return utf8.substr(0, end);
}

std::string shownText(std::string_view utf8)
{
    return std::string(shownPart(utf8));
}
