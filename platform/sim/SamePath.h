// Whether two Windows paths name the same object as the simulation's tables
// compare them: ignoring case, with "/" taken for "\".
#pragma once

#include <cctype>
#include <string_view>

namespace qm::sim {

inline bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] == '/' ? '\\' : a[i];
        const char y = b[i] == '/' ? '\\' : b[i];
        if (std::toupper(static_cast<unsigned char>(x)) != std::toupper(static_cast<unsigned char>(y)))
            return false;
    }
    return true;
}

}  // namespace qm::sim
