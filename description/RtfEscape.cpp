#include "description/RtfEscape.h"

#include <cstdint>

#include "description/Cp1252.h"

namespace qm {

namespace {

void AppendUnicode(std::string& out, std::uint16_t unit) {
    // \u takes a signed 16-bit number.
    out += "\\u";
    out += std::to_string(static_cast<std::int16_t>(unit));
    out += '?';
}

}  // namespace

void AppendRtfText(std::string& out, std::u32string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (char32_t c : text) {
        if (c < 0x20 || c == 0x7F) continue;
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const auto byte = UnicodeToCp1252(c)) {
            out += "\\'";
            out += kHex[*byte >> 4];
            out += kHex[*byte & 0xF];
        } else if (c > 0xFFFF && c <= 0x10FFFF) {
            const char32_t v = c - 0x10000;
            AppendUnicode(out, static_cast<std::uint16_t>(0xD800 + (v >> 10)));
            AppendUnicode(out, static_cast<std::uint16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            AppendUnicode(out, static_cast<std::uint16_t>(c <= 0xFFFF ? c : 0xFFFD));
        }
    }
}

}  // namespace qm
