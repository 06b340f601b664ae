// What the layout knows about each HTML element it gives a meaning to. An
// element that is not listed keeps its text and drops its tag (apart from a
// colour in its style attribute).
#pragma once

#include <string_view>

namespace qm {

enum class ElementKind {
    Inline,  // no effect of its own (span, font, and the like)
    Bold,
    Italic,
    Underline,
    Strike,
    Monospace,
    Link,
    Font,
    Break,  // br
    Rule,   // hr
    Image,
    Block,  // div, section, address, ...
    Paragraph,
    Heading,
    Center,
    Blockquote,
    Preformatted,
    List,  // ul, ol, menu, dir
    ListItem,
    DefinitionTerm,
    DefinitionData,
    Table,
    TableSection,  // tbody, thead, tfoot
    Row,
    Cell,  // td, th
    Caption,
    Head,
    Dropped,  // script, style, title, iframe, object, ...: nothing shown
    Ignored,  // html, body: the tags mean nothing here
};

struct ElementInfo {
    std::string_view name;
    ElementKind kind;
    bool isVoid;           // never has contents or an end tag
    bool closesParagraph;  // its start tag ends an open <p>
    bool allowedInHead;    // does not end an open <head>
    bool italic;           // address, cite, em, i, var, dfn
    int margin;            // vertical margin above and below, in hundredths of the base font size
    int headingLevel;      // h1..h6
};

// The element of a lower-case tag name, or null.
const ElementInfo* FindElement(std::string_view name);

}  // namespace qm
