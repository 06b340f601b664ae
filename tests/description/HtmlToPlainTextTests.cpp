// The description as plain text for the command line: lines, list markers,
// links with their addresses, tables, and the shared reading of the markup.
#include <gtest/gtest.h>

#include <string>

#include "description/HtmlToPlainText.h"

namespace qm {
namespace {

struct Case {
    const char* name;
    const char* html;
    const char* text;
};

TEST(HtmlToPlainText, Layout) {
    const Case cases[] = {
        {"empty", "", ""},
        {"bare text", "hello", "hello\n"},
        {"paragraphs are separated by an empty line", "<p>one</p><p>two</p>", "one\n\ntwo\n"},
        {"divs are lines", "<div>one</div><div>two</div>", "one\ntwo\n"},
        {"headings are lines of their own", "<h1>Title</h1>text<h2>Sub</h2>", "Title\n\ntext\n\nSub\n"},
        {"line breaks", "a<br>b<br><br>c", "a\nb\n\nc\n"},
        {"bullets", "<ul><li>a</li><li>b</li></ul>", "- a\n- b\n"},
        {"numbers", "<ol><li>a<li>b</ol>", "1. a\n2. b\n"},
        {"numbering styles", "<ol type=A start=26><li>z<li>aa</ol>", "Z. z\nAA. aa\n"},
        {"nested lists are indented", "<ul><li>a<ol><li>b<li>c</ol><li>d</ul>", "- a\n  1. b\n  2. c\n- d\n"},
        {"more item paragraphs line up with the text", "<ul><li>a<br>b<p>c</ul>", "- a\n  b\n\n  c\n"},
        {"links show a differing address", "Go <a href=\"http://x.example/a\">there</a> now",
         "Go there (http://x.example/a) now\n"},
        {"links equal to their address", "<a href=\"http://x.example/\">http://x.example</a>", "http://x.example\n"},
        {"tables", "<table><tr><th>Name<th>Value<tr><td>a<td>1</table>", "Name\tValue\na\t1\n"},
        {"rule", "a<hr>b", "a\n\n----------------------------------------\n\nb\n"},
        {"blockquote", "<blockquote>quoted<br>text</blockquote>after", "    quoted\n    text\n\nafter\n"},
        {"pre keeps white space", "<pre>\n  a  b\n\n\tc\n</pre>", "  a  b\n\n\tc\n"},
        {"formatting leaves no trace", "<b>bold</b> <i>it</i> <font color=red>red</font>", "bold it red\n"},
        {"image alt", "<img alt=\"[pic]\" src=x>", "[pic]\n"},
        {"scripts and styles are gone", "<style>x</style><script>y</script>z", "z\n"},
        {"definition list", "<dl><dt>term<dd>meaning</dl>", "term\n  meaning\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(HtmlToPlainText(c.html), c.text) << c.name;
}

TEST(HtmlToPlainText, ListNumbersStopAtABillionEitherWay) {
    // Numbers are read into 32 bits, as a long is on Windows: a start or a
    // value past the limit stops there instead of overflowing.
    const Case cases[] = {
        {"start just below 2^31", "<ol start=2147483647><li>a</ol>", "1000000000. a\n"},
        {"start past 2^31", "<ol start=3000000000><li>a<li>b</ol>", "1000000000. a\n1000000000. b\n"},
        {"start past 2^64", "<ol start=99999999999999999999999><li>a</ol>", "1000000000. a\n"},
        {"negative start", "<ol start=-3000000000><li>a<li>b</ol>", "-1000000000. a\n-999999999. b\n"},
        {"item value", "<ol><li value=4294967297>a<li>b</ol>", "1000000000. a\n1000000000. b\n"},
        {"negative item value", "<ol><li value=-4294967297>a</ol>", "-1000000000. a\n"},
        {"counting up to the limit", "<ol start=999999999><li>a<li>b<li>c</ol>",
         "999999999. a\n1000000000. b\n1000000000. c\n"},
        {"letters past the limit", "<ol type=a start=3000000000><li>a</ol>", "cfdgsxl. a\n"},
        {"digits after a sign and spaces", "<ol start=\" +12x\"><li>a</ol>", "12. a\n"},
        {"no digits: the default", "<ol start=\"x1\"><li>a<li value=->b</ol>", "1. a\n2. b\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(HtmlToPlainText(c.html), c.text) << c.name;
}

TEST(HtmlToPlainText, LongAddressesAreCut) {
    const std::string address = "http://x.example/" + std::string(300, 'a');
    EXPECT_EQ(HtmlToPlainText("<a href=\"" + address + "\">t</a>"), "t (" + address.substr(0, 200) + "...)\n");
    EXPECT_EQ(HtmlToPlainText("<a href=\"" + address.substr(0, 200) + "\">t</a>"),
              "t (" + address.substr(0, 200) + ")\n");
}

TEST(HtmlToPlainText, TextIsWindows1252) {
    // A character the code page has stays one byte; one it lacks becomes '?';
    // a no-break space is a plain space on a console.
    EXPECT_EQ(HtmlToPlainText("Caf\xE9 &eacute; &euro; &#x263A; a&nbsp;b \x93q\x94"),
              "Caf\xE9 \xE9 \x80 ? a b \x93q\x94\n");
}

}  // namespace
}  // namespace qm
