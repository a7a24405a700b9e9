#pragma once

#include "player/playlist.h"
#include "player/textmeasure.h"

#include <array>

using ColumnWidths = std::array<int, Playlist::kColumns>;

// Until the first fill measures the texts.
inline constexpr ColumnWidths kDefaultColumnWidthsTwips{960, 960, 960};

// Every column's width in twips: the width of its widest text, header
// included, rounded half to even, plus the width of an "A", rounded half to
// even again. Measuring every cell of a long list takes seconds, so a text is
// measured only when its cheap upper bound says it could widen its column.
ColumnWidths columnWidthsTwips(const Playlist &playlist, TextMeasure &measure);
