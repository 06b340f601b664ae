#include "description/RtfWriter.h"

#include <algorithm>
#include <cstdlib>

#include "description/Cp1252.h"
#include "description/ListNumbering.h"
#include "description/RtfEscape.h"

namespace qm {

namespace {

constexpr int kTextColor = 1;
constexpr int kLinkColor = 2;
constexpr int kRuleDashes = 24;

int Distance(const TextColor& a, const TextColor& b) {
    return std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
}

// A font name from the caller, as text of the font table: ';' would end it.
std::string FontName(const std::string& name, const char* fallback) {
    std::u32string text;
    for (char c : name) {
        if (c != ';') text.push_back(Cp1252ToUnicode(static_cast<std::uint8_t>(c)));
    }
    std::string out;
    AppendRtfText(out, text);
    return out.empty() ? fallback : out;
}

// Bullets by depth: a dot, then a circle, then a dash, and again.
std::u32string_view Bullet(int depth) {
    static constexpr std::u32string_view kBullets[] = {U"\u2022", U"o", U"-"};
    return kBullets[static_cast<std::size_t>(std::max(depth, 1) - 1) % 3];
}

}  // namespace

RtfWriter::RtfWriter(const RtfStyle& style) : style_(style) {
    style_.fontSizeHalfPoints = std::clamp(style_.fontSizeHalfPoints, 2, 400);
    colors_ = {style_.textColor, style_.linkColor, style_.backgroundColor};
    state_.size = style_.fontSizeHalfPoints;
}

void RtfWriter::Number(const char* word, int value) {
    body_ += '\\';
    body_ += word;
    body_ += std::to_string(value);
}

void RtfWriter::ParagraphProperties(const BlockFormat& block, int spaceBefore, bool hanging) {
    body_ += "\\pard";
    // Margins are in hundredths of the base font size; a point is 20 twips.
    if (spaceBefore > 0) Number("sb", spaceBefore * style_.fontSizeHalfPoints / 10);
    if (block.align == TextAlign::Center) body_ += "\\qc";
    if (block.align == TextAlign::Right) body_ += "\\qr";
    const int left = block.indent * kRtfIndentTwips;
    if (left > 0) Number("li", left);
    if (hanging) {
        Number("fi", -kRtfIndentTwips);
        Number("tx", left);
    }
    if (block.tableRow) {
        for (int stop = 1; stop <= 8; ++stop) Number("tx", left + stop * kRtfCellTwips);
    }
    body_ += ' ';
}

void RtfWriter::BeginParagraph(const ParagraphStart& start) {
    ParagraphProperties(start.block, start.spaceBefore, start.marker.has_value());
    if (!start.marker) return;
    CharFormat format = start.markerFormat;
    format.link = false;
    SetFormat(format);
    if (start.marker->ordered) {
        // Digits and ASCII letters: nothing to escape.
        body_ += FormatListNumber(start.marker->number, start.marker->numbering) + ".";
    } else {
        AppendRtfText(body_, Bullet(start.marker->depth));
    }
    body_ += "\\tab ";
}

void RtfWriter::EndParagraph() { body_ += "\\par\r\n"; }

void RtfWriter::Text(std::u32string_view text, const CharFormat& format) {
    SetFormat(format);
    AppendRtfText(body_, text);
}

void RtfWriter::LineBreak() { body_ += "\\line "; }

void RtfWriter::Tab() { body_ += "\\tab "; }

void RtfWriter::Rule(const BlockFormat& block, int spaceBefore) {
    BlockFormat centred = block;
    centred.align = TextAlign::Center;
    centred.tableRow = false;
    // RichEdit keeps paragraph borders but does not draw them, so the rule is
    // a line of dashes.
    ParagraphProperties(centred, spaceBefore, false);
    SetFormat(CharFormat{});
    AppendRtfText(body_, std::u32string(kRuleDashes, U'\u2014'));
    EndParagraph();
}

void RtfWriter::Switch(bool& current, bool wanted, const char* on, const char* off) {
    if (current == wanted) return;
    current = wanted;
    body_ += wanted ? on : off;
}

void RtfWriter::SetFormat(const CharFormat& format) {
    const std::size_t before = body_.size();
    Switch(state_.bold, format.bold, "\\b", "\\b0");
    Switch(state_.italic, format.italic, "\\i", "\\i0");
    Switch(state_.underline, format.underline || format.link, "\\ul", "\\ulnone");
    Switch(state_.strike, format.strike, "\\strike", "\\strike0");
    const int font = format.monospace ? 1 : 0;
    if (font != state_.font) Number("f", state_.font = font);
    const int size = std::max(2, (style_.fontSizeHalfPoints * format.sizePercent + 50) / 100);
    if (size != state_.size) Number("fs", state_.size = size);
    const int color = ColorIndex(format);
    if (color != state_.color) Number("cf", state_.color = color);
    if (body_.size() != before) body_ += ' ';
}

int RtfWriter::ColorIndex(const CharFormat& format) {
    if (!format.color || Distance(*format.color, style_.backgroundColor) < kMinColorDistance) {
        return format.link ? kLinkColor : kTextColor;
    }
    const TextColor color = *format.color;
    if (color == style_.textColor) return kTextColor;
    const auto [found, added] = colorIndex_.emplace(color.ToColorRef(), static_cast<int>(colors_.size()) + 1);
    if (added) colors_.push_back(color);
    return found->second;
}

std::string RtfWriter::Document() const {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\\uc1";
    rtf += "{\\fonttbl{\\f0\\fswiss\\fcharset0 " + FontName(style_.fontName, "Tahoma") + ";}";
    rtf += "{\\f1\\fmodern\\fcharset0 " + FontName(style_.monospaceFontName, "Courier New") + ";}}";
    rtf += "{\\colortbl ;";
    for (const TextColor& color : colors_) {
        rtf += "\\red" + std::to_string(color.red) + "\\green" + std::to_string(color.green) + "\\blue" +
               std::to_string(color.blue) + ';';
    }
    rtf += "}\r\n";
    // Word and WordPad show this page colour; RichEdit skips the group.
    rtf += "{\\*\\background{\\shp{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv " +
           std::to_string(style_.backgroundColor.ToColorRef()) + "}}}}}";
    rtf += "\\viewkind4\\viewbksp1\\pard\\plain\\f0\\fs" + std::to_string(style_.fontSizeHalfPoints) + "\\cf" +
           std::to_string(kTextColor) + " \r\n";
    // The last paragraph mark would leave an empty line below the text.
    std::string_view body = body_;
    if (body.ends_with("\\par\r\n")) body.remove_suffix(6);
    rtf += body;
    rtf += "}";
    return rtf;
}

}  // namespace qm
