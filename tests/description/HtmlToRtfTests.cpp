// The description viewer's RTF: each HTML construct's control words and text,
// the document frame, the caller's font and colours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "description/HtmlToRtf.h"

namespace qm {
namespace {

// The document after its header (font table, colour table, background and
// the initial \pard\plain ... line).
std::string Body(const std::string& rtf) {
    const std::string marker = "\\viewkind4";
    const std::size_t at = rtf.find(marker);
    if (at == std::string::npos) return "<no body in " + rtf + ">";
    const std::size_t lineEnd = rtf.find("\r\n", at);
    return lineEnd == std::string::npos ? "" : rtf.substr(lineEnd + 2);
}

struct Case {
    const char* name;
    const char* html;
    std::vector<std::string> present;  // in this order in the body
    std::vector<std::string> absent;
};

void Check(const Case& c, const RtfStyle& style = {}) {
    const std::string body = Body(HtmlToRtf(c.html, style));
    std::size_t from = 0;
    for (const std::string& piece : c.present) {
        const std::size_t at = body.find(piece, from);
        EXPECT_NE(at, std::string::npos) << c.name << ": \"" << piece << "\" (in order) missing from\n" << body;
        if (at != std::string::npos) from = at + piece.size();
    }
    for (const std::string& piece : c.absent) {
        EXPECT_EQ(body.find(piece), std::string::npos) << c.name << ": \"" << piece << "\" present in\n" << body;
    }
}

TEST(HtmlToRtf, DocumentFrameDeclaresCodePageFontsAndUnicodeFallback) {
    const std::string rtf = HtmlToRtf("<p>x</p>");
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u) << rtf;
    EXPECT_NE(rtf.find("\\uc1"), std::string::npos);
    EXPECT_NE(rtf.find("{\\f0\\fswiss\\fcharset0 Tahoma;}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\f1\\fmodern\\fcharset0 Courier New;}"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.back(), '}');
    // No trailing paragraph mark: it would leave an empty line below the text.
    EXPECT_EQ(rtf.substr(rtf.size() - 3), " x}") << rtf;
}

TEST(HtmlToRtf, EmptyInputIsAnEmptyDocument) {
    for (const char* html : {"", "   \r\n\t ", "<html><head><title>t</title></head><body></body></html>"}) {
        const std::string rtf = HtmlToRtf(html);
        EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
        EXPECT_EQ(Body(rtf), "}") << html;
    }
}

TEST(HtmlToRtf, BlockStructure) {
    const Case cases[] = {
        {"paragraphs", "<p>one</p><p>two</p>", {"\\pard one\\par", "\\pard\\sb160 two"}, {}},
        {"first paragraph has no space above", "<p>one</p>", {"\\pard one"}, {"\\sb"}},
        {"margins collapse into the larger", "<p>a</p><h1>b</h1>", {"\\pard\\sb214 "}, {"\\sb160"}},
        {"line break", "a<br>b<br/>c", {"a\\line b\\line c"}, {"\\par\r"}},
        {"break at the end of a paragraph adds no line", "<p>a<br></p><p>b</p>", {"a\\par"}, {"\\line"}},
        {"two breaks at the end leave one empty line", "<p>a<br><br></p>b", {"a\\line \\par"}, {}},
        {"lone break is an empty line", "a<p><br></p>b", {"\\pard\\sb160 \\par", "b"}, {"\\line"}},
        {"empty paragraphs vanish", "a<p></p><p> </p><div></div>b", {"\\pard a\\par", "\\pard\\sb160 b"}, {}},
        {"div ends a line without space", "<div>a</div><div>b</div>", {"\\pard a\\par", "\\pard b"}, {"\\sb"}},
        {"implied end of p", "<p>a<p>b<div>c</div>", {"a\\par", "b\\par", "\\pard\\sb160 c"}, {}},
        {"center", "<center>mid</center>", {"\\pard\\qc mid"}, {}},
        {"align attribute", "<p align=right>r</p><div align=\"center\">c</div>", {"\\qr r", "\\qc c"}, {}},
        {"text-align style", "<div style=\"text-align: center\">c</div>", {"\\qc c"}, {}},
        {"blockquote indents both levels", "<blockquote>q<br>r</blockquote>", {"\\li720 q\\line r"}, {}},
        {"rule", "a<hr>b", {"a\\par", "\\qc ", "\\'97\\'97\\'97", "\\par", "b"}, {}},
    };
    for (const Case& c : cases) Check(c);
}

TEST(HtmlToRtf, HeadingsAreBoldAndLarger) {
    // Base 8 pt (16 half-points); h1 twice that, h3 117 %, h6 67 %.
    const Case cases[] = {
        {"h1", "<h1>T</h1>x", {"\\b\\fs32 T\\par", "\\b0\\fs16 x"}, {}},
        {"h3", "<h3>T</h3>", {"\\b\\fs19 T"}, {}},
        {"h6", "<h6>T</h6>", {"\\b\\fs11 T"}, {}},
        {"heading closes heading", "<h2>a<h3>b", {"\\fs24 a\\par", "\\fs19 b"}, {}},
        {"any heading end tag ends the heading", "<h2>a</h4>b", {"a\\par", "\\b0\\fs16 b"}, {}},
    };
    for (const Case& c : cases) Check(c);
}

TEST(HtmlToRtf, CharacterFormatting) {
    const Case cases[] = {
        {"bold and strong", "<b>x</b> <strong>y</strong> z", {"\\b x\\b0  \\b y\\b0  z"}, {}},
        {"italic and em", "<i>x</i><em>y</em>z", {"\\i xy\\i0 z"}, {}},
        {"underline", "<u>x</u>y", {"\\ul x\\ulnone y"}, {}},
        {"strike", "<s>x</s><strike>y</strike>", {"\\strike xy"}, {}},
        {"code is monospace", "a<code>b</code>c<tt>d</tt>", {"a\\f1 b\\f0 c\\f1 d"}, {}},
        {"style declarations",
         "<span style=\"font-weight:bold; font-style:italic;text-decoration:underline\">x</span>",
         {"\\b\\i\\ul x"},
         {}},
        {"style turns bold off", "<b>a<span style=\"font-weight: normal\">b</span></b>", {"\\b a\\b0 b"}, {}},
        {"nested formatting unwinds", "<b>a<i>b</i>c</b>d", {"\\b a\\i b\\i0 c\\b0 d"}, {}},
        {"unclosed bold continues into the next paragraph",
         "<p><b>Warning<p>text</b> plain",
         {"\\b Warning\\par", "text\\b0  plain"},
         {}},
        {"bold closed by its own end tag stays closed", "<p><b>a</p></b><p>b", {"\\b a\\par", "\\b0 b"}, {}},
    };
    for (const Case& c : cases) Check(c);
}

TEST(HtmlToRtf, Lists) {
    const Case cases[] = {
        {"bullets hang in the indent",
         "<ul><li>one<li>two</ul>",
         {"\\pard\\li360\\fi-360\\tx360 \\'95\\tab one\\par", "\\'95\\tab two"},
         {}},
        {"numbers", "<ol><li>a</li><li>b</li></ol>", {"1.\\tab a", "2.\\tab b"}, {}},
        {"start and value",
         "<ol start=\"5\"><li>a<li value=9>b<li>c</ol>",
         {"5.\\tab a", "9.\\tab b", "10.\\tab c"},
         {}},
        {"letters and roman numerals",
         "<ol type=a><li>x<li>y</ol><ol type=I start=4><li>z</ol>",
         {"a.\\tab x", "b.\\tab y", "IV.\\tab z"},
         {}},
        {"nested list is indented with another bullet",
         "<ul><li>a<ul><li>b</ul><li>c</ul>",
         {"\\li360\\fi-360\\tx360 \\'95\\tab a", "\\li720\\fi-360\\tx720 o\\tab b",
          "\\li360\\fi-360\\tx360 \\'95\\tab c"},
         {}},
        {"nested numbering restarts",
         "<ol><li>a<ol><li>b<li>c</ol><li>d</ol>",
         {"1.\\tab a", "1.\\tab b", "2.\\tab c", "2.\\tab d"},
         {}},
        {"item paragraphs after the first have no marker",
         "<ul><li><p>a</p><p>b</p></ul>",
         {"\\'95\\tab a\\par", "\\pard\\sb160\\li360 b"},
         {}},
        {"empty item keeps its marker", "<ol><li><li>b</ol>", {"1.\\tab \\par", "2.\\tab b"}, {}},
        {"definition list", "<dl><dt>term<dd>meaning</dl>", {"\\pard term\\par", "\\pard\\li360 meaning"}, {}},
    };
    for (const Case& c : cases) Check(c);
}

TEST(HtmlToRtf, LinksAreUnderlinedTextAndNeverFields) {
    const Case cases[] = {
        {"link text and differing address",
         "see <a href=\"http://evil.example/x\">here</a>.",
         {"see \\ul\\cf2 here\\ulnone\\cf1  (http://evil.example/x)."},
         {}},
        {"address equal to the text is not repeated",
         "<a href='http://www.example.com/'>www.example.com</a>",
         {"\\ul\\cf2 www.example.com"},
         {"(", "http:"}},
        {"mail address", "<a href=\"mailto:a@b.org\">a@b.org</a>", {"a@b.org"}, {"mailto", "("}},
        {"script address is not shown",
         "<a href=\"javascript:alert(1)\">go</a>",
         {"\\ul\\cf2 go"},
         {"javascript", "("}},
        {"fragment address is not shown", "<a href=\"#top\">top</a>", {"top"}, {"#", "("}},
        {"anchor without href is plain text", "<a name=\"x\">here</a>", {"here"}, {"\\ul", "\\cf2"}},
        {"link without text shows its address",
         "<a href=\"http://x.org/\"><img src=\"y.gif\"></a>",
         {"\\ul\\cf2 http://x.org/"},
         {"("}},
        {"a link closes an open link",
         "<a href=\"http://one/\">A<a href=\"http://two/\">B</a>",
         {"A\\ulnone\\cf1  (http://one/)", "\\ul\\cf2 B\\ulnone\\cf1  (http://two/)"},
         {}},
        {"colour inside a link wins", "<a href=\"h\"><font color=red>r</font></a>", {"\\ul\\cf4 r"}, {}},
        {"space before a link is not underlined", "a <a href=\"h\">b</a>", {"a \\ul\\cf2 b"}, {}},
    };
    for (const Case& c : cases) Check(c);
    const std::string rtf = HtmlToRtf("<a href=\"http://x/\">x</a>");
    EXPECT_EQ(rtf.find("\\field"), std::string::npos);
    EXPECT_EQ(rtf.find("HYPERLINK"), std::string::npos);
}

TEST(HtmlToRtf, TablesAreLinesOfTabSeparatedCells) {
    const Case cases[] = {
        {"rows and cells",
         "<table><tr><td>a</td><td>b</td></tr><tr><td>c<td>d</table>",
         {"\\tx1800", " a\\tab b\\par", "c\\tab d"},
         {}},
        {"header cells are bold", "<table><tr><th>H<th>I<tr><td>v</table>", {"\\b H\\tab I\\par", "\\b0 v"}, {}},
        {"empty first cell keeps its column", "<table><tr><td></td><td>x</td></table>", {"\\tab x"}, {}},
        {"cell without row", "<table><td>a<td>b</table>", {"a\\tab b"}, {}},
        {"cell text is trimmed", "<table><tr><td> a </td><td> b </td></table>", {" a\\tab b"}, {"a \\tab"}},
        {"rows outside a table are ignored", "<tr><td>a</td><td>b</td></tr>", {"ab"}, {"\\tab"}},
        {"formatting stays in its cell", "<table><tr><td><b>a<td>b</table>c", {"\\b a\\tab \\b0 b"}, {}},
    };
    for (const Case& c : cases) Check(c);
}

TEST(HtmlToRtf, PreformattedTextKeepsWhiteSpaceInMonospace) {
    const Case cases[] = {
        {"spaces and lines", "<pre>  a  b\n\n c</pre>", {"\\f1   a  b\\line \\line  c"}, {}},
        {"first newline after pre is dropped", "<pre>\nx\n</pre>y", {"\\f1 x\\par", "\\f0 y"}, {"\\line"}},
        {"tabs", "<pre>a\tb</pre>", {"a\\tab b"}, {}},
        {"CR LF is one line break", "<pre>a\r\nb\rc</pre>", {"a\\line b\\line c"}, {}},
        {"markup inside pre still counts", "<pre><b>x</b> y</pre>", {"\\b\\f1 x\\b0  y"}, {}},
    };
    for (const Case& c : cases) Check(c);
}

TEST(HtmlToRtf, FontColours) {
    RtfStyle style;
    const std::string rtf = HtmlToRtf(
        "<font color=red>a</font><font color=\"#00ff00\">b</font><span style=\"color:#abc\">c</span>"
        "<span style='COLOR: Teal'>d</span><font color=\"ff8000\">e</font><p style=\"color: rgb(1, 2, 3)\">f</p>"
        "<font color=red>g</font>",
        style);
    EXPECT_NE(rtf.find("{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green255\\blue255;"
                       "\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red170\\green187\\blue204;"
                       "\\red0\\green128\\blue128;\\red255\\green128\\blue0;\\red1\\green2\\blue3;}"),
              std::string::npos)
        << rtf;
    const std::string body = Body(rtf);
    for (const char* piece : {"\\cf4 a", "\\cf5 b", "\\cf6 c", "\\cf7 d", "\\cf8 e", "\\cf9 f", "\\cf4 g"}) {
        EXPECT_NE(body.find(piece), std::string::npos) << piece << " in " << body;
    }
}

TEST(HtmlToRtf, UnknownColoursKeepTheSurroundingColour) {
    const Case c{"bad colours",
                 "<font color=red>a<font color=\"#12\">b</font><span style=\"color: bogus\">c</span></font>",
                 {"\\cf4 abc"},
                 {"\\cf1", "\\cf5"}};
    Check(c);
}

TEST(HtmlToRtf, BackgroundAndFontComeFromTheCaller) {
    RtfStyle style;
    style.fontName = "Verdana";
    style.monospaceFontName = "Lucida Console";
    style.fontSizeHalfPoints = 20;
    style.textColor = {0xEE, 0xEE, 0xEE};
    style.linkColor = {0x80, 0xC0, 0xFF};
    style.backgroundColor = TextColor::FromColorRef(0x00302010);  // dark blue-grey
    const std::string rtf = HtmlToRtf("<h1>T</h1><p>x <a href=\"u\">u</a></p>", style);
    EXPECT_NE(rtf.find("{\\f0\\fswiss\\fcharset0 Verdana;}{\\f1\\fmodern\\fcharset0 Lucida Console;}"),
              std::string::npos)
        << rtf;
    EXPECT_NE(
        rtf.find("{\\colortbl ;\\red238\\green238\\blue238;\\red128\\green192\\blue255;\\red16\\green32\\blue48;}"),
        std::string::npos)
        << rtf;
    EXPECT_NE(rtf.find("{\\sv 3153936}"), std::string::npos) << rtf;  // 0x302010 as a COLORREF
    EXPECT_NE(rtf.find("\\pard\\plain\\f0\\fs20\\cf1"), std::string::npos) << rtf;
    const std::string body = Body(rtf);
    EXPECT_NE(body.find("\\b\\fs40 T"), std::string::npos) << body;
    EXPECT_NE(body.find("\\pard\\sb268 \\b0\\fs20 x \\ul\\cf2 u"), std::string::npos) << body;  // 1.34 em of 10 pt
}

TEST(HtmlToRtf, TextThatWouldVanishIntoTheBackgroundTakesTheTextColour) {
    RtfStyle style;
    style.backgroundColor = {0xFF, 0xFF, 0xF0};
    const std::string body = Body(HtmlToRtf(
        "<font color=white>hidden</font> <font color=\"#f8f8f8\">faint</font> <font color=navy>n</font>", style));
    EXPECT_NE(body.find("hidden faint \\cf4 n"), std::string::npos) << body;
    EXPECT_EQ(body.find("\\cf5"), std::string::npos) << body;
}

TEST(HtmlToRtf, FontNamesCannotBreakTheFontTable) {
    RtfStyle style;
    style.fontName = "Evil;}{\\rtf";
    const std::string rtf = HtmlToRtf("x", style);
    EXPECT_NE(rtf.find("{\\f0\\fswiss\\fcharset0 Evil\\}\\{\\\\rtf;}"), std::string::npos) << rtf;
}

TEST(HtmlToRtf, ContentThatIsNeverShown) {
    const Case cases[] = {
        {"script", "a<script>document.write('<b>x</b>')</script>b", {"ab"}, {"document", "\\b"}},
        {"script with markup-like end", "a<script>if (x</scripts) '</script>b", {"ab"}, {"if", "'"}},
        {"style", "<style>p { color: red }</style>a", {"a"}, {"color", "\\{"}},
        {"head and title",
         "<html><head><title>T</title><meta name=x><style>s</style></head><body>a</body></html>",
         {"\\pard a"},
         {"T", "s"}},
        {"head ends at the first body tag", "<head><title>T</title><p>a", {"\\pard a"}, {"T"}},
        {"head ends at body text", "<head><title>T</title>visible", {"visible"}, {"T"}},
        {"title outside head", "<title>T</title>a", {"a"}, {"T"}},
        {"iframe", "a<iframe src=\"http://x/\">fallback <b>b</b></iframe>b", {"ab"}, {"fallback", "http"}},
        {"object and embed",
         "a<object data=\"x\"><param name=p value=v>alt<p>more</object><embed src=\"y\">b",
         {"\\pard ab"},
         {"alt", "more", "\\par\r"}},
        {"comments", "a<!-- <b>hidden</b> -->b<!---->c<!-->d", {"abcd"}, {"hidden", "\\b"}},
        {"declarations and processing instructions",
         "<!DOCTYPE html><?xml version=\"1.0\"?>a",
         {"a"},
         {"DOCTYPE", "xml"}},
        {"image shows its alt text",
         "a <img src=\"http://x/y.gif\" alt=\"[logo]\"> b",
         {"a [logo] b"},
         {"http", "gif"}},
        {"image without alt shows nothing", "a<img src=\"y.gif\">b", {"ab"}, {"gif"}},
        {"noscript is shown", "<noscript>no scripts</noscript>", {"no scripts"}, {}},
        {"unknown tags keep their text", "<blink>a</blink><foo:bar x=1>b</foo:bar>", {"ab"}, {}},
    };
    for (const Case& c : cases) Check(c);
}

}  // namespace
}  // namespace qm
