// The text of an ordered list item's number: decimal, letters (a..z, aa..)
// or roman numerals, as the list's type attribute asks.
#pragma once

#include <cstdint>
#include <string>

namespace qm {

// numbering is '1', 'a', 'A', 'i' or 'I'. Numbers that a style cannot show
// (letters for 0 or less, roman numerals outside 1..3999) are decimal.
std::string FormatListNumber(std::int32_t number, char numbering);

}  // namespace qm
