#pragma once

#include <string_view>

// Widths of texts as the window draws them in its own font, in twips. Texts
// are UTF-8.
class TextMeasure
{
public:
    virtual ~TextMeasure() = default;

    // The text's width.
    virtual float widthTwips(std::string_view text) = 0;
    // A cheap width never below widthTwips(text); infinity when the window
    // cannot tell without measuring.
    virtual float upperBoundTwips(std::string_view text) = 0;
};
