#include "description/InlineStyle.h"

#include <string>

#include "description/HtmlColor.h"
#include "description/HtmlText.h"

namespace qm {

namespace {

std::optional<bool> ParseWeight(std::string_view value) {
    if (value == "bold" || value == "bolder") return true;
    if (value == "normal" || value == "lighter") return false;
    if (value.size() == 3 && value[0] >= '1' && value[0] <= '9' && value.substr(1) == "00") return value[0] >= '6';
    return std::nullopt;
}

}  // namespace

std::optional<TextAlign> ParseAlign(std::string_view value) {
    const std::string lower = AsciiLower(TrimAscii(value));
    if (lower == "center" || lower == "middle") return TextAlign::Center;
    if (lower == "right") return TextAlign::Right;
    if (lower == "left" || lower == "justify") return TextAlign::Left;
    return std::nullopt;
}

InlineStyle ParseInlineStyle(std::string_view style) {
    InlineStyle result;
    while (!style.empty()) {
        const std::size_t semicolon = style.find(';');
        const std::string_view declaration = style.substr(0, semicolon);
        style = semicolon == std::string_view::npos ? std::string_view{} : style.substr(semicolon + 1);

        const std::size_t colon = declaration.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string property = AsciiLower(TrimAscii(declaration.substr(0, colon)));
        std::string value = AsciiLower(TrimAscii(declaration.substr(colon + 1)));
        if (const std::size_t important = value.find("!important"); important != std::string::npos) {
            value = std::string(TrimAscii(std::string_view(value).substr(0, important)));
        }

        if (property == "color") {
            if (auto color = ParseCssColor(value)) result.color = color;
        } else if (property == "font-weight") {
            if (auto bold = ParseWeight(value)) result.bold = bold;
        } else if (property == "font-style") {
            if (value == "italic" || value == "oblique") result.italic = true;
            if (value == "normal") result.italic = false;
        } else if (property == "text-decoration" || property == "text-decoration-line") {
            if (value == "none") {
                result.underline = false;
                result.strike = false;
            }
            if (value.find("underline") != std::string::npos) result.underline = true;
            if (value.find("line-through") != std::string::npos) result.strike = true;
        } else if (property == "text-align") {
            if (auto align = ParseAlign(value)) result.align = align;
        }
    }
    return result;
}

}  // namespace qm
