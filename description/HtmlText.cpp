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

std::int32_t ParseHtmlInteger(std::u32string_view text, std::int32_t fallback) {
    text = TrimHtmlSpace(text);
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (negative || (i < text.size() && text[i] == '+')) ++i;
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return fallback;
    std::int32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const auto digit = static_cast<std::int32_t>(text[i] - '0');
        // Checked before multiplying: value * 10 must not pass the limit.
        value = value > (kMaxHtmlInteger - digit) / 10 ? kMaxHtmlInteger : value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace qm
