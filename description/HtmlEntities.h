// Character references in HTML text and attribute values: the named ones
// authors use (the markup characters, the Latin-1 set and the common
// typographic ones) and the numeric &#NNN; and &#xHH; forms.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace qm {

// Decodes the reference at text[pos], which must be '&'. On success returns
// its character and moves pos behind the reference; otherwise returns nothing,
// leaves pos alone, and the '&' is an ordinary character.
//
// As browsers do: the ';' may be left out of numeric references and of the
// markup and Latin-1 names ("&copy 2004", "&amp"); in an attribute value such
// a name followed by a letter, a digit or '=' stays as written, so addresses
// like "?a=1&copy=2" survive. Numeric references to 0x80..0x9F mean the
// Windows-1252 characters of those bytes; 0, surrogates and values above
// 0x10FFFF give U+FFFD.
std::optional<char32_t> DecodeCharacterReference(std::string_view text, std::size_t& pos, bool inAttribute);

}  // namespace qm
