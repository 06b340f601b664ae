// SHA-256 (FIPS 180-4), for naming a removal script exactly in a saved
// report: two people comparing reports can tell whether they ran the same
// script.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// The digest as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace qm
