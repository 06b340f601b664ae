// Untrusted descriptions: broken, hostile or huge markup must still give a
// complete, balanced RTF document, in linear time and bounded size.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "description/HtmlLayout.h"
#include "description/HtmlToPlainText.h"
#include "description/HtmlToRtf.h"

namespace qm {
namespace {

// Why an RTF document is not well formed, or "" when it is: it opens with
// "{\rtf1", its braces (other than escaped ones) nest and close exactly at the
// last byte, and every byte is 7-bit text.
std::string RtfProblem(const std::string& rtf) {
    if (rtf.rfind("{\\rtf1", 0) != 0) return "does not start with {\\rtf1";
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(rtf[i]);
        if (c >= 0x7F || (c < 0x20 && c != '\r' && c != '\n'))
            return "byte " + std::to_string(c) + " at " + std::to_string(i);
        if (c == '\\') {
            if (i + 1 >= rtf.size()) return "backslash at the end";
            if (rtf[i + 1] == '\'') i += 2;  // \'hh
            ++i;
            continue;
        }
        if (c == '{') ++depth;
        if (c == '}' && --depth == 0 && i + 1 != rtf.size())
            return "document closes before its end, at " + std::to_string(i);
        if (depth < 0) return "unbalanced '}' at " + std::to_string(i);
    }
    return depth == 0 ? "" : "unclosed groups: " + std::to_string(depth);
}

// Output grows at most by a constant factor of the input.
constexpr std::size_t kMaxGrowth = 64;
constexpr std::size_t kFrameSize = 4096;

void ExpectSane(const std::string& html, const std::string& label) {
    const std::string rtf = HtmlToRtf(html);
    EXPECT_EQ(RtfProblem(rtf), "") << label;
    EXPECT_LE(rtf.size(), kFrameSize + kMaxGrowth * html.size()) << label;
    EXPECT_LE(HtmlToPlainText(html).size(), kMaxGrowth * html.size()) << label;
}

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(HtmlMalformed, RtfCheckerRejectsBrokenDocuments) {
    // The checker the tests below rely on must itself catch faults.
    EXPECT_EQ(RtfProblem("{\\rtf1 a\\{b\\}\\'7b}"), "");
    EXPECT_NE(RtfProblem("{\\rtf1 a{b}"), "");
    EXPECT_NE(RtfProblem("{\\rtf1 a}}"), "");
    EXPECT_NE(RtfProblem("{\\rtf1 a}{b}"), "");
    EXPECT_NE(RtfProblem("{\\rtf1 \xE9}"), "");
    EXPECT_NE(RtfProblem("{\\rtf1 a\\}"), "");
}

TEST(HtmlMalformed, BrokenMarkupReadsAsBrowsersReadIt) {
    struct Case {
        const char* name;
        const char* html;
        const char* text;
    };
    const Case cases[] = {
        {"unclosed tags", "<b>bold <i>both", "bold both\n"},
        {"stray end tags", "</p></div></b></li></table>text</td></tr></a>", "text\n"},
        {"unquoted attributes", "<a href=http://x/y?a=1>go</a>", "go (http://x/y?a=1)\n"},
        {"'<' in text", "a < b, 3<4 and x<=y", "a < b, 3<4 and x<=y\n"},
        {"tag cut off by the end", "a c<d x=", "a c\n"},
        {"attribute quote never closed", "<a href=\"x>text</a> more", ""},
        {"unclosed comment", "a <!-- b <b>c</b>", "a\n"},
        {"unclosed script", "a<script>never closed <p>b", "a\n"},
        {"'<' inside a tag", "<p <b>x", "x\n"},
        {"doubled brackets", "<<b>>x", "<>x\n"},
        {"empty and bogus end tags", "a</>b</ b>c", "abc\n"},
        {"declarations", "<!x>a<?php echo 1 ?>b<![CDATA[c]]>d", "abd\n"},
        {"unclosed list", "<ul><li>a<li>b", "- a\n- b\n"},
        {"item outside a list", "<li>x", "- x\n"},
        {"cells outside a table", "<td>a</td><td>b</td>", "ab\n"},
        {"unclosed table", "<table><tr><td>a<td>b", "a\tb\n"},
        {"duplicate attributes: the first counts", "<img alt=x alt=y><a href=u href=v>t</a>", "xt (u)\n"},
        {"end tag as a break", "a</br>b", "a\nb\n"},
        {"unclosed pre", "<pre> a  b", " a  b\n"},
        {"end tag with attributes", "<b>x</b class=\"y>z\">w", "xw\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HtmlToPlainText(c.html), c.text) << c.name;
        ExpectSane(c.html, c.name);
    }
    // NUL bytes vanish from tag names as from text.
    static constexpr char kNulNames[] = "<p\0>x<b\0>y";
    EXPECT_EQ(HtmlToPlainText(std::string(kNulNames, sizeof kNulNames - 1)), "xy\n");
    EXPECT_NE(HtmlToRtf(std::string(kNulNames, sizeof kNulNames - 1)).find("\\b y"), std::string::npos);
}

TEST(HtmlMalformed, DeepNestingIsBounded) {
    const std::size_t depth = 100000;
    const std::string divs = Repeat("<div>", depth) + "x" + Repeat("</div>", depth) + "y";
    EXPECT_EQ(HtmlToPlainText(divs), "x\ny\n");
    ExpectSane(divs, "divs");

    // Indentation stops at ten levels (3600 twips).
    const std::string lists = Repeat("<ul><li>", depth) + "deep";
    const std::string rtf = HtmlToRtf(lists);
    EXPECT_EQ(RtfProblem(rtf), "");
    EXPECT_NE(rtf.find("\\li3600"), std::string::npos);
    EXPECT_EQ(rtf.find("\\li3960"), std::string::npos);
    EXPECT_NE(rtf.find("deep"), std::string::npos);

    for (const char* piece : {"<b><i><u><font color=red>", "<blockquote>", "<table><tr><td>", "<a href=x>", "<ol><li>",
                              "<object>", "<pre>", "<h1>", "<p><b>"}) {
        ExpectSane(Repeat(piece, depth) + "end" + Repeat("</b></td></li>", depth), piece);
    }
}

TEST(HtmlMalformed, HiddenContentsStayHiddenAtAnyDepth) {
    struct Case {
        const char* name;
        std::string html;  // follows deep nesting; "secret" must never show
        const char* text;
    };
    const Case cases[] = {
        {"script", "a<script>secret()</script>b", "ab\n"},
        {"style", "a<style>secret { }</style>b", "ab\n"},
        {"title", "a<title>secret</title>b", "ab\n"},
        {"object with markup", "a<object><p>secret<b>secret</b></p></object>b", "ab\n"},
        {"iframe", "a<iframe>secret</iframe>b", "ab\n"},
        {"template", "a<template><p>secret</template>b", "ab\n"},
        {"head", "<head><title>secret</title><style>secret</style></head>b", "b\n"},
        {"nested objects", "a<object><object>secret</object>secret</object>b", "ab\n"},
        {"deep markup inside", "a<object>" + Repeat("<span>", 300) + "<object></object>secret" +
                                   Repeat("</span>", 300) + "secret</object>b",
         "ab\n"},
        {"what is counted past the limit ends with its holder", "<div>a<object><span>secret</object>b</div>c",
         "ab\nc\n"},
    };
    for (std::size_t depth : {std::size_t{0}, kMaxOpenElements - 2, kMaxOpenElements - 1, kMaxOpenElements,
                              kMaxOpenElements + 50}) {
        for (const Case& c : cases) {
            const std::string html = Repeat("<div>", depth) + c.html;
            const std::string label = std::string(c.name) + " at depth " + std::to_string(depth);
            EXPECT_EQ(HtmlToPlainText(html), c.text) << label;
            EXPECT_EQ(HtmlToRtf(html).find("secret"), std::string::npos) << label;
            ExpectSane(html, label);
        }
    }
}

TEST(HtmlMalformed, OneMegabyteDocumentsConvertInLinearTime) {
    const std::size_t size = 1 << 20;
    const std::string description =
        "<h2>Pest &amp; co</h2><p>This <b>program</b> changes <i>your</i> start page.<br>"
        "<font color=\"#c00000\">Remove it</font> with <a href=\"http://x.example/\">this tool</a>.</p>"
        "<ul><li>one<li>two <ol><li>three</ol></ul><table><tr><td>a<td>b</table><pre>  x\n y</pre>\r\n";
    const std::vector<std::string> documents = {
        Repeat(description, size / description.size()),
        Repeat("<p><b><i><u><s><tt>x", size / 20),
        Repeat("<a href=\"http://a/\">x", size / 22),
        Repeat("&amp;&#x263A;&eacute;&bogus;", size / 28),
        std::string(size, '<'),
        Repeat("<a ", size / 3),
        "<!--" + Repeat("-- >", size / 4),
        Repeat("<script>", size / 8),
        Repeat("</a</b", size / 6),
        "<table>" + Repeat("<td>x", size / 5),
        Repeat("<li>\xE9", size / 5),
        Repeat("<b>", size / 6) + Repeat("</i>", size / 8),
        std::string(size, '{'),
        Repeat(" \n\t", size / 3),
    };
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const auto start = std::chrono::steady_clock::now();
        ExpectSane(documents[i], "document " + std::to_string(i));
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // A few tenths of a second when linear; a quadratic step would take hours.
        EXPECT_LT(seconds, 20.0) << "document " << i;
    }
}

TEST(HtmlMalformed, RandomBytesAlwaysGiveBalancedDocuments) {
    // Markup-shaped fragments and raw bytes, from a fixed seed so that every
    // run and both platforms see the same documents.
    const std::vector<std::string> pieces = {
        "<",        ">",     "/",    "=",       "\"",     "'",          "&",    "#",   ";",           "!",
        "-",        " ",     "\n",   "\t",      "\\",     "{",          "}",    "x",   "p",           "b",
        "li",       "ul",    "ol",   "a href=", "table",  "tr",         "td",   "th",  "pre",         "script",
        "style",    "title", "head", "!--",     "-->",    "amp",        "#x",   "12",  "font color=", "red",
        "img alt=", "br",    "hr",   "h1",      "center", "blockquote", "\xE9", "\x80"};
    std::mt19937 random(20040101);
    for (int round = 0; round < 3000; ++round) {
        std::string html;
        const std::size_t length = random() % 400;
        for (std::size_t i = 0; i < length; ++i) {
            if (random() % 8 == 0) {
                html.push_back(static_cast<char>(random() % 256));
            } else {
                html += pieces[random() % pieces.size()];
            }
        }
        const std::string rtf = HtmlToRtf(html);
        const std::string problem = RtfProblem(rtf);
        ASSERT_EQ(problem, "") << "round " << round;
        ASSERT_LE(rtf.size(), kFrameSize + kMaxGrowth * html.size()) << "round " << round;
        ASSERT_LE(HtmlToPlainText(html).size(), kMaxGrowth * html.size()) << "round " << round;
    }
}

}  // namespace
}  // namespace qm
