// libFuzzer target for the description converters: any bytes as a script's
// HTML description, turned into RTF and into plain text.
//
// The description is untrusted, and the RTF goes into a RichEdit control,
// which would act on any control word it holds (objects, fields, pictures):
// the RTF may hold only the control words the converter writes itself, and
// text from the HTML only as text. A broken promise aborts.
//
// Each input is also converted below enough open elements that it reaches
// the layout's limit of open elements at once, where deeper start tags are
// dropped or counted.
//
// Built by the fuzz preset; run by tools/fuzz.sh description.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "description/HtmlLayout.h"
#include "description/HtmlToPlainText.h"
#include "description/HtmlToRtf.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// What the converter writes: the document frame, the font and colour tables,
// the page background, paragraphs, character formats, tabs, line breaks and
// characters outside Windows-1252.
constexpr std::string_view kOwnControlWords[] = {
    "rtf", "ansi", "ansicpg", "deff", "deflang", "uc", "fonttbl", "f", "fswiss", "fmodern", "fcharset",  // frame
    "colortbl", "red", "green", "blue",                                                               // colours
    "background", "shp", "shpinst", "sp", "sn", "sv", "viewkind", "viewbksp",                         // page
    "pard", "plain", "par", "qc", "qr", "sb", "li", "fi", "tx",                                       // paragraphs
    "b", "i", "ul", "ulnone", "strike", "fs", "cf",                                                   // characters
    "tab", "line", "u",                                                                               // special
};

bool IsOwnWord(std::string_view word) {
    return std::find(std::begin(kOwnControlWords), std::end(kOwnControlWords), word) != std::end(kOwnControlWords);
}

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Walks the RTF as a reader does: groups, control words with their numbers,
// control symbols and text.
void CheckRtf(std::string_view rtf) {
    Check(rtf.starts_with("{\\rtf1"));
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            Check(--depth >= 0);
            ++i;
            // A closed document ends there.
            if (depth == 0) Check(i == rtf.size());
        } else if (c == '\\') {
            Check(i + 1 < rtf.size());
            const char next = rtf[i + 1];
            if (std::isalpha(static_cast<unsigned char>(next))) {
                std::size_t end = i + 1;
                while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end]))) ++end;
                Check(IsOwnWord(rtf.substr(i + 1, end - i - 1)));
                if (end < rtf.size() && rtf[end] == '-') ++end;
                while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end]))) ++end;
                if (end < rtf.size() && rtf[end] == ' ') ++end;  // the delimiter belongs to the word
                i = end;
            } else if (next == '\'') {
                Check(i + 3 < rtf.size() && IsHex(rtf[i + 2]) && IsHex(rtf[i + 3]));
                i += 4;
            } else if (next == '*') {
                // An ignorable destination: only at the start of a group.
                Check(i > 0 && rtf[i - 1] == '{');
                i += 2;
            } else {
                Check(next == '\\' || next == '{' || next == '}');
                i += 2;
            }
        } else {
            // Text: printable, or the line ends between paragraphs.
            const auto byte = static_cast<unsigned char>(c);
            Check(byte >= 0x20 || c == '\r' || c == '\n');
            Check(byte != 0x7F);
            ++i;
        }
    }
    Check(depth == 0);
}

void CheckPlainText(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        Check(byte >= 0x20 || c == '\n' || c == '\t');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    CheckRtf(qm::HtmlToRtf(html));
    CheckPlainText(qm::HtmlToPlainText(html));

    static const std::string kDeep = [] {
        std::string divs;
        for (std::size_t i = 0; i + 2 < qm::kMaxOpenElements; ++i) divs += "<div>";
        return divs;
    }();
    const std::string deep = kDeep + std::string(html);
    CheckRtf(qm::HtmlToRtf(deep));
    CheckPlainText(qm::HtmlToPlainText(deep));
    return 0;
}
