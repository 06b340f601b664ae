// What the HTML layout produces: paragraphs of formatted text runs, line
// breaks, tabs and rules, handed to a writer (RTF or plain text) that decides
// how each looks. The layout has already collapsed white space, decided where
// paragraphs start and end, and numbered list items.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "description/TextColor.h"

namespace qm {

enum class TextAlign { Left, Center, Right };

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool monospace = false;
    bool link = false;               // text of a link: the writer marks it as one
    int sizePercent = 100;           // of the base font size
    std::optional<TextColor> color;  // none: the default colour (or the link colour)

    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

struct BlockFormat {
    int indent = 0;     // in list levels (a blockquote counts two)
    int listDepth = 0;  // enclosing lists
    TextAlign align = TextAlign::Left;
    bool preformatted = false;
    bool tableRow = false;  // cells are separated by tabs

    friend bool operator==(const BlockFormat&, const BlockFormat&) = default;
};

struct ListMarker {
    bool ordered = false;
    std::int32_t number = 0;  // ordered lists
    char numbering = '1';     // '1', 'a', 'A', 'i' or 'I'
    int depth = 1;            // 1 for a list that is not inside another
};

struct ParagraphStart {
    BlockFormat block;
    // The collapsed vertical margin above the paragraph, in hundredths of the
    // base font size; 0 for the first paragraph of the document.
    int spaceBefore = 0;
    // The first paragraph of a list item carries its marker.
    std::optional<ListMarker> marker;
    CharFormat markerFormat;
};

class TextSink {
public:
    virtual ~TextSink() = default;

    virtual void BeginParagraph(const ParagraphStart& start) = 0;
    virtual void EndParagraph() = 0;
    // Text without control characters; ' ' is an ordinary space here.
    virtual void Text(std::u32string_view text, const CharFormat& format) = 0;
    virtual void LineBreak() = 0;
    virtual void Tab() = 0;
    // A horizontal rule: a paragraph of its own.
    virtual void Rule(const BlockFormat& block, int spaceBefore) = 0;
};

}  // namespace qm
