// Small text helpers shared by the HTML reader: ASCII case folding and
// trimming, and HTML's notion of white space.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Space, tab, line feed, form feed and carriage return.
constexpr bool IsHtmlSpace(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

std::string AsciiLower(std::string_view text);
std::string_view TrimAscii(std::string_view text);
std::u32string_view TrimHtmlSpace(std::u32string_view text);

// An attribute value as ASCII for matching keywords and colours; a character
// outside ASCII becomes 0x7F, which matches nothing.
std::string NarrowForMatching(std::u32string_view text);

}  // namespace qm
