// Splits an HTML document into text runs, start tags and end tags, the way
// browsers read markup, in one pass with no backtracking:
// - "<" not followed by a letter, '/', '!' or '?' is text; comments, <!...>
//   declarations and <?...?> are skipped; a tag cut off by the end of the
//   document is dropped;
// - the contents of script, style, xmp, iframe, noembed, noframes (raw text),
//   title and textarea (text whose references are decoded) end only at their
//   own end tag, and <plaintext> runs to the end: such contents come as one
//   text token, never as tags;
// - text is Windows-1252 and comes out as Unicode with its character
//   references decoded; NUL bytes are dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Tag names are kept to this many characters; longer names are unknown
// elements anyway.
inline constexpr std::size_t kMaxTagNameLength = 32;
// Attributes of one tag kept; further ones are read and dropped.
inline constexpr std::size_t kMaxAttributes = 64;

struct HtmlAttribute {
    std::string name;      // lower case
    std::u32string value;  // references decoded
};

struct HtmlToken {
    enum class Kind { Text, StartTag, EndTag, EndOfFile };

    Kind kind = Kind::EndOfFile;
    std::u32string text;  // Text
    std::string name;     // StartTag, EndTag: lower case
    std::vector<HtmlAttribute> attributes;
    bool selfClosing = false;  // "<br/>"

    // The value of an attribute, or null when the tag does not have it.
    const std::u32string* Attribute(std::string_view attributeName) const;
};

class HtmlTokenizer {
public:
    explicit HtmlTokenizer(std::string_view html) : html_(html) {}

    // The next token; EndOfFile at the end and on every call after it.
    HtmlToken Next();

private:
    HtmlToken RawText();
    bool LexTag(HtmlToken& token);
    void LexAttributes(HtmlToken& token, bool& complete);
    std::u32string DecodeRange(std::size_t begin, std::size_t end, bool inAttribute) const;
    void SkipComment();
    void SkipToGreaterThan();

    std::string_view html_;
    std::size_t pos_ = 0;
    // Set after a start tag whose contents are not markup.
    std::string rawElement_;
};

}  // namespace qm
