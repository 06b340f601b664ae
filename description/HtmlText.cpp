#include "description/HtmlText.h"

namespace qm {

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string_view TrimAscii(std::string_view text) {
    while (!text.empty() && IsHtmlSpace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && IsHtmlSpace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::u32string_view TrimHtmlSpace(std::u32string_view text) {
    while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string NarrowForMatching(std::u32string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (char32_t c : text) narrow.push_back(c < 0x80 ? static_cast<char>(c) : '\x7F');
    return narrow;
}

}  // namespace qm
