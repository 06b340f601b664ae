// Windows-1252, the code page of a removal script's text: the mapping of its
// bytes to Unicode and back. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same
// value, as Windows maps them, so every byte survives a round trip.
#pragma once

#include <cstdint>
#include <optional>

namespace qm {

char32_t Cp1252ToUnicode(std::uint8_t byte);

// The Windows-1252 byte of a code point, or nothing when the code page has no
// character for it.
std::optional<std::uint8_t> UnicodeToCp1252(char32_t codePoint);

}  // namespace qm
