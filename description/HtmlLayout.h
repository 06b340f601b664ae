// Lays out an HTML document as paragraphs of formatted text for a TextSink,
// the part that HtmlToRtf and HtmlToPlainText share.
//
// Browsers' rules, simplified for a description page:
// - white space collapses to one space outside <pre>; a paragraph starts and
//   ends without it; a <br> at the end of a paragraph adds no empty line;
// - vertical margins of neighbouring blocks collapse into the largest;
// - tags that browsers close implicitly are closed here too (<p> before a
//   block, <li> before the next <li>, cells and rows, a heading before a
//   heading, a link before a link); an end tag closes the open elements above
//   its element and is ignored when that element is not open (or open only
//   outside the table cell it appears in);
// - b, i, u, font and the other formatting elements, when something else
//   closes them (the end of a paragraph or list item), open again before the
//   next text, so "<p><b>Warning<p>text" shows both paragraphs bold;
// - the contents of script, style, head, title, iframe, object, embed and
//   the like are dropped; an image shows its alt text; a link shows its
//   address in parentheses when its text says something else (addresses of
//   "javascript:" and "data:" links are not shown);
// - at most kMaxOpenElements elements are open at once: deeper start tags are
//   ignored, so the work per token stays bounded and the whole is linear;
//   only an element whose contents are never shown still opens past the
//   limit (one more), and inside it deeper tags are counted by name, so
//   hidden contents stay hidden at any depth.
#pragma once

#include <cstddef>
#include <string_view>

#include "description/TextSink.h"

namespace qm {

inline constexpr std::size_t kMaxOpenElements = 256;
// The deepest indentation, in list levels; deeper lists stay at this depth.
inline constexpr int kMaxIndent = 10;
// Link addresses are shown up to this many characters, then "...".
inline constexpr std::size_t kMaxShownAddress = 200;

void LayOutHtml(std::string_view html, TextSink& sink);

}  // namespace qm
