#include "description/PlainTextWriter.h"

#include "description/Cp1252.h"
#include "description/ListNumbering.h"

namespace qm {

namespace {

constexpr std::size_t kIndentSpaces = 2;
constexpr std::size_t kRuleLength = 40;

}  // namespace

void PlainTextWriter::StartLines(const BlockFormat& block, int spaceBefore) {
    if (spaceBefore > 0 && !text_.empty()) text_ += '\n';
    indent_.assign(static_cast<std::size_t>(block.indent) * kIndentSpaces, ' ');
}

void PlainTextWriter::BeginParagraph(const ParagraphStart& start) {
    StartLines(start.block, start.spaceBefore);
    if (!start.marker) {
        text_ += indent_;
        return;
    }
    // The marker hangs in the last level of indentation.
    text_.append(indent_.size() >= kIndentSpaces ? indent_.size() - kIndentSpaces : 0, ' ');
    text_ += start.marker->ordered ? FormatListNumber(start.marker->number, start.marker->numbering) + ". " : "- ";
}

void PlainTextWriter::EndParagraph() { text_ += '\n'; }

void PlainTextWriter::Text(std::u32string_view text, const CharFormat&) {
    for (char32_t c : text) {
        if (c == 0xA0) {
            text_ += ' ';
        } else if (const auto byte = UnicodeToCp1252(c)) {
            text_ += static_cast<char>(*byte);
        } else {
            text_ += '?';
        }
    }
}

void PlainTextWriter::LineBreak() {
    text_ += '\n';
    text_ += indent_;
}

void PlainTextWriter::Tab() { text_ += '\t'; }

void PlainTextWriter::Rule(const BlockFormat& block, int spaceBefore) {
    StartLines(block, spaceBefore);
    text_ += indent_;
    text_.append(kRuleLength, '-');
    text_ += '\n';
}

}  // namespace qm
