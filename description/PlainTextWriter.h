// Writes the laid-out description as plain Windows-1252 text for the command
// line: a line per paragraph, an empty line where the page has a margin,
// list items led by "- " or "1. ", nested lists and quotes indented by two
// spaces a level, table cells separated by tabs, a rule as a line of dashes.
// Lines end with "\n" (a text-mode stream adds the CR on Windows); characters
// outside the code page become '?', and no-break spaces plain spaces.
#pragma once

#include <string>

#include "description/TextSink.h"

namespace qm {

class PlainTextWriter : public TextSink {
public:
    void BeginParagraph(const ParagraphStart& start) override;
    void EndParagraph() override;
    void Text(std::u32string_view text, const CharFormat& format) override;
    void LineBreak() override;
    void Tab() override;
    void Rule(const BlockFormat& block, int spaceBefore) override;

    const std::string& Result() const { return text_; }

private:
    void StartLines(const BlockFormat& block, int spaceBefore);

    std::string text_;
    std::string indent_;  // of the current paragraph's lines
};

}  // namespace qm
