// The few declarations of an element's style attribute that the viewer
// honours: color, font-weight, font-style, text-decoration and text-align.
// Every other declaration, and any value it does not understand, is ignored.
#pragma once

#include <optional>
#include <string_view>

#include "description/TextSink.h"

namespace qm {

struct InlineStyle {
    std::optional<TextColor> color;
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<bool> strike;
    std::optional<TextAlign> align;
};

// style is the attribute's value as ASCII (see NarrowForMatching).
InlineStyle ParseInlineStyle(std::string_view style);

// The align attribute of a block ("center", "right", "left", "justify").
std::optional<TextAlign> ParseAlign(std::string_view value);

}  // namespace qm
