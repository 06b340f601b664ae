// The colours a description may ask for: "#rgb", "#rrggbb", the sixteen basic
// colour names and "rgb(r, g, b)", case-insensitive and with surrounding
// blanks allowed. Anything else is no colour, and the text keeps the colour
// it had.
#pragma once

#include <optional>
#include <string_view>

#include "description/TextColor.h"

namespace qm {

// A colour of a style sheet declaration (style="color: ...").
std::optional<TextColor> ParseCssColor(std::string_view value);

// The color attribute of <font>: as above, and also six or three hex digits
// without the '#', which old pages write and browsers accept there.
std::optional<TextColor> ParseColorAttribute(std::string_view value);

}  // namespace qm
