#include "description/ListNumbering.h"

#include <algorithm>
#include <array>

namespace qm {

namespace {

std::string Letters(std::int32_t number, char first) {
    std::string text;
    for (std::int32_t n = number; n > 0; n = (n - 1) / 26) text.push_back(static_cast<char>(first + (n - 1) % 26));
    std::reverse(text.begin(), text.end());
    return text;
}

std::string Roman(std::int32_t number, bool upper) {
    // clang-format off
    static constexpr std::array<std::pair<int, const char*>, 13> kParts = {{
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"},
    }};
    // clang-format on
    std::string text;
    for (const auto& [value, letters] : kParts) {
        for (; number >= value; number -= value) text += letters;
    }
    if (upper) {
        for (char& c : text) c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

std::string FormatListNumber(std::int32_t number, char numbering) {
    switch (numbering) {
        case 'a':
        case 'A':
            if (number > 0) return Letters(number, numbering);
            break;
        case 'i':
        case 'I':
            if (number > 0 && number < 4000) return Roman(number, numbering == 'I');
            break;
        default:
            break;
    }
    return std::to_string(number);
}

}  // namespace qm
