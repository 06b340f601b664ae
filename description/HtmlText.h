// Small text helpers shared by the HTML reader: ASCII case folding and
// trimming, and HTML's notion of white space.
#pragma once

#include <cstdint>
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

// Numbers from attributes stop at this size either way, so that they and a
// count on from them fit in 32 bits, as on 32-bit Windows.
inline constexpr std::int32_t kMaxHtmlInteger = 1000000000;

// The integer an attribute value starts with ("5", " -3", "+12px"), held
// within +-kMaxHtmlInteger; `fallback` when it starts with no digit.
std::int32_t ParseHtmlInteger(std::u32string_view text, std::int32_t fallback);

}  // namespace qm
