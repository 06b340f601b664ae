#include "description/HtmlColor.h"

#include <array>
#include <cstdint>

#include "description/HtmlText.h"

namespace qm {

namespace {

struct NamedColor {
    std::string_view name;
    TextColor color;
};

constexpr std::array<NamedColor, 16> kBasicColors = {{
    {"black", {0x00, 0x00, 0x00}},
    {"silver", {0xC0, 0xC0, 0xC0}},
    {"gray", {0x80, 0x80, 0x80}},
    {"white", {0xFF, 0xFF, 0xFF}},
    {"maroon", {0x80, 0x00, 0x00}},
    {"red", {0xFF, 0x00, 0x00}},
    {"purple", {0x80, 0x00, 0x80}},
    {"fuchsia", {0xFF, 0x00, 0xFF}},
    {"green", {0x00, 0x80, 0x00}},
    {"lime", {0x00, 0xFF, 0x00}},
    {"olive", {0x80, 0x80, 0x00}},
    {"yellow", {0xFF, 0xFF, 0x00}},
    {"navy", {0x00, 0x00, 0x80}},
    {"blue", {0x00, 0x00, 0xFF}},
    {"teal", {0x00, 0x80, 0x80}},
    {"aqua", {0x00, 0xFF, 0xFF}},
}};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Three or six lower-case hex digits.
std::optional<TextColor> ParseHexDigits(std::string_view digits) {
    if (digits.size() != 3 && digits.size() != 6) return std::nullopt;
    std::array<int, 6> values{};
    for (std::size_t i = 0; i < digits.size(); ++i) {
        values[i] = HexDigit(digits[i]);
        if (values[i] < 0) return std::nullopt;
    }
    if (digits.size() == 3) {
        return TextColor{static_cast<std::uint8_t>(values[0] * 17), static_cast<std::uint8_t>(values[1] * 17),
                         static_cast<std::uint8_t>(values[2] * 17)};
    }
    return TextColor{static_cast<std::uint8_t>(values[0] * 16 + values[1]),
                     static_cast<std::uint8_t>(values[2] * 16 + values[3]),
                     static_cast<std::uint8_t>(values[4] * 16 + values[5])};
}

// "rgb(" already removed: "r, g, b)" with integer channels, clamped to 255.
std::optional<TextColor> ParseRgbFunction(std::string_view rest) {
    if (rest.empty() || rest.back() != ')') return std::nullopt;
    rest.remove_suffix(1);
    std::array<std::uint8_t, 3> channels{};
    for (std::size_t channel = 0; channel < 3; ++channel) {
        const std::size_t comma = rest.find(',');
        if ((comma == std::string_view::npos) != (channel == 2)) return std::nullopt;
        const std::string_view item = TrimAscii(rest.substr(0, comma));
        if (item.empty() || item.size() > 6) return std::nullopt;
        int value = 0;
        for (char c : item) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        channels[channel] = static_cast<std::uint8_t>(value > 255 ? 255 : value);
        if (comma != std::string_view::npos) rest.remove_prefix(comma + 1);
    }
    return TextColor{channels[0], channels[1], channels[2]};
}

}  // namespace

std::optional<TextColor> ParseCssColor(std::string_view value) {
    const std::string lower = AsciiLower(TrimAscii(value));
    const std::string_view text = lower;
    if (text.starts_with('#')) return ParseHexDigits(text.substr(1));
    if (text.starts_with("rgb(")) return ParseRgbFunction(text.substr(4));
    for (const auto& named : kBasicColors) {
        if (named.name == text) return named.color;
    }
    return std::nullopt;
}

std::optional<TextColor> ParseColorAttribute(std::string_view value) {
    if (auto color = ParseCssColor(value)) return color;
    return ParseHexDigits(AsciiLower(TrimAscii(value)));
}

}  // namespace qm
