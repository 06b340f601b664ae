// Characters: references, white space, and their escaping in RTF.
#include <gtest/gtest.h>

#include <string>

#include "description/HtmlToPlainText.h"
#include "description/HtmlToRtf.h"

namespace qm {
namespace {

std::string RtfBody(const std::string& html) {
    const std::string rtf = HtmlToRtf(html);
    const std::size_t lineEnd = rtf.find("\r\n", rtf.find("\\viewkind4"));
    return rtf.substr(lineEnd + 2, rtf.size() - lineEnd - 3);  // without the closing brace
}

struct Case {
    const char* name;
    const char* html;
    const char* text;  // plain text without the final line end
};

TEST(HtmlEntities, DecodedAsBrowsersDo) {
    const Case cases[] = {
        {"markup characters", "&amp;&lt;&gt;&quot;&apos;", "&<>\"'"},
        {"decimal and hex", "&#65;&#x42;&#X43;&#68", "ABCD"},
        {"Latin-1 names", "&eacute;&Eacute;&copy;&szlig;&yuml;&iexcl;", "\xE9\xC9\xA9\xDF\xFF\xA1"},
        {"Windows-1252 punctuation", "&euro;&ldquo;&rdquo;&mdash;&hellip;&trade;&bull;",
         "\x80\x93\x94\x97\x85\x99\x95"},
        {"numeric 0x80..0x9F mean Windows-1252", "&#150;&#x80;&#153;", "\x96\x80\x99"},
        {"legacy names without semicolon", "&copy 2004 &amp more &lt;", "\xA9 2004 & more <"},
        {"longest legacy prefix", "&notit; &ampx", "\xACit; &x"},
        {"names are case sensitive", "&AMP; &Eacute;", "&AMP; \xC9"},
        {"unknown names stay", "&foo; &; & x AT&T", "&foo; &; & x AT&T"},
        {"numeric without digits stays", "&#; &#x; &#q", "&#; &#x; &#q"},
        {"invalid code points", "&#0;&#x110000;&#55296;&#99999999999999999999;", "????"},
        {"beyond the code page", "&#x263A;&rarr;&#x1F600;", "???"},
    };
    for (const Case& c : cases) EXPECT_EQ(HtmlToPlainText(c.html), std::string(c.text) + "\n") << c.name;
}

TEST(HtmlEntities, InAttributeValues) {
    // A legacy name followed by '=' or a letter stays as written in an
    // attribute, so query strings survive; in alt text references decode.
    EXPECT_EQ(HtmlToPlainText("<a href=\"http://x/?a=1&copy=2&amp;b=3&lt\">t</a>"), "t (http://x/?a=1&copy=2&b=3<)\n");
    EXPECT_EQ(HtmlToPlainText("<img alt=\"&quot;Tom&quot; &amp; Jerry&#33;\">"), "\"Tom\" & Jerry!\n");
}

TEST(HtmlEntities, ScriptAndStyleTextIsNotDecodedButTitleAndTextareaAre) {
    EXPECT_EQ(HtmlToPlainText("<textarea>a &amp; b</textarea>"), "a & b\n");
    EXPECT_EQ(HtmlToPlainText("<xmp>a &amp; <b>b</b></xmp>"), "a &amp; <b>b</b>\n");
}

TEST(HtmlWhiteSpace, CollapsesOutsidePre) {
    const Case cases[] = {
        {"runs collapse", "  a \n\t b  \r\n c ", "a b c"},
        {"across tags", "a<b> b </b> c<i></i> d", "a b c d"},
        {"no space at paragraph edges", "<p>  a  </p>  <p>\n b \n</p>", "a\n\nb"},
        {"none after a break", "a <br>  b", "a\nb"},
        {"no-break spaces do not collapse", "a&nbsp;&nbsp; b", "a   b"},
        {"tags without space join words", "a<b>b</b>c", "abc"},
        {"form feed is white space", "a\fb", "a b"},
    };
    for (const Case& c : cases) EXPECT_EQ(HtmlToPlainText(c.html), std::string(c.text) + "\n") << c.name;
}

TEST(HtmlToRtfEscaping, SpecialAndEightBitCharacters) {
    const Case cases[] = {
        {"RTF's own characters", "a\\b{c}d", "\\pard a\\\\b\\{c\\}d"},
        {"8-bit bytes of the script", "\xE9\x80\x81\xFF", "\\pard \\'e9\\'80\\'81\\'ff"},
        {"references inside the code page", "&eacute;&nbsp;&euro;&#150;", "\\pard \\'e9\\'a0\\'80\\'96"},
        {"references beyond it as Unicode", "&#x263A;&rarr;&#xFFFF;", "\\pard \\u9786?\\u8594?\\u-1?"},
        {"supplementary characters as surrogate pairs", "&#x1F600;", "\\pard \\u-10179?\\u-8704?"},
        {"invalid references", "&#0;", "\\pard \\u-3?"},
        {"control characters are dropped",
         "a\x01\x1F\x7F"
         "b",
         "\\pard ab"},
    };
    for (const Case& c : cases) EXPECT_EQ(RtfBody(c.html), c.text) << c.name;
    // NUL bytes are dropped.
    EXPECT_EQ(RtfBody(std::string("a\0b", 3)), "\\pard ab");
}

TEST(HtmlToRtfEscaping, EveryHighByteSurvivesTheTripThroughUnicode) {
    // Bytes become Unicode on the way in and Windows-1252 again on the way
    // out, the five bytes the code page leaves undefined included.
    static constexpr char kHex[] = "0123456789abcdef";
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string html(1, static_cast<char>(byte));
        const std::string escaped = std::string("\\pard \\'") + kHex[byte >> 4] + kHex[byte & 0xF];
        EXPECT_EQ(RtfBody(html), escaped) << "byte " << byte;
        // On the console a no-break space is an ordinary one.
        EXPECT_EQ(HtmlToPlainText(html), (byte == 0xA0 ? std::string(" ") : html) + "\n") << "byte " << byte;
    }
}

TEST(HtmlToRtfEscaping, OutputIsSevenBitAscii) {
    std::string html;
    for (int c = 1; c < 256; ++c) html.push_back(static_cast<char>(c));
    const std::string rtf = HtmlToRtf(html + "&#x10FFFF;&#xD7FF;");
    for (unsigned char c : rtf) {
        EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F)) << "byte " << int(c);
    }
}

}  // namespace
}  // namespace qm
