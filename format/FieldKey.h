// The 260-byte key with which every text and data field of a removal script
// is scrambled, and the function that undoes (and, being an XOR, also does)
// the scrambling of one field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qm {

inline constexpr std::size_t kFieldKeySize = 260;
extern const std::array<std::uint8_t, kFieldKeySize> FieldKey;

// The n-th byte of a field (counting from 1) is XORed with FieldKey[n mod 260]:
// the first byte uses entry 1, the 260th entry 0, the 261st entry 1 again and
// the 65535th, the last a field can have, entry 15.
void DescrambleField(std::uint8_t* buffer, std::size_t length);

}  // namespace qm
