// The description viewer's converter: a removal script's HTML description as
// an RTF document for a RichEdit 2.0 (or later) control.
//
// The description is untrusted input, so nothing in it runs or is fetched:
// scripts, styles, frames and objects are dropped, images show their alt
// text, and links are plain underlined text (no RTF fields) followed by their
// address when the text says something else. Any input, however malformed,
// gives a complete, balanced document in time linear in its length.
//
// What is shown: headings h1..h6 (bold, larger), paragraphs, line breaks,
// div, center, blockquote, pre (monospace, white space kept), hr, b/strong,
// i/em, u, s/strike, code/tt, bulleted and numbered lists (nested ones
// indented), simple tables (a row per line, cells separated by tabs), and
// text colours from <font color> and style="color:...". The markup rules are
// described in description/HtmlLayout.h.
#pragma once

#include <string>
#include <string_view>

#include "description/TextColor.h"

namespace qm {

struct RtfStyle {
    std::string fontName = "Tahoma";
    std::string monospaceFontName = "Courier New";
    int fontSizeHalfPoints = 16;  // the body text; headings scale from it
    TextColor textColor{0x00, 0x00, 0x00};
    TextColor linkColor{0x00, 0x00, 0xFF};
    // The page colour. RichEdit does not take a background from RTF: the
    // viewer sets it on the control (EM_SETBKGNDCOLOR). The document records
    // it for other readers, and text colours that would vanish into it are
    // replaced by textColor.
    TextColor backgroundColor{0xFF, 0xFF, 0xFF};
};

// html is Windows-1252 text. The result is a whole RTF document,
// "{\rtf1\ansi\ansicpg1252 ...}", in 7-bit ASCII.
std::string HtmlToRtf(std::string_view html, const RtfStyle& style = {});

}  // namespace qm
