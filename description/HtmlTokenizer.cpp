#include "description/HtmlTokenizer.h"

#include <array>

#include "description/Cp1252.h"
#include "description/HtmlEntities.h"
#include "description/HtmlText.h"

namespace qm {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsSpace(char c) { return IsHtmlSpace(static_cast<unsigned char>(c)); }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Elements whose contents are not markup, and whether their references are
// decoded.
struct RawElement {
    std::string_view name;
    bool decodesReferences;
};
constexpr std::array<RawElement, 9> kRawElements = {{
    {"script", false},
    {"style", false},
    {"xmp", false},
    {"iframe", false},
    {"noembed", false},
    {"noframes", false},
    {"plaintext", false},
    {"title", true},
    {"textarea", true},
}};

const RawElement* FindRawElement(std::string_view name) {
    for (const auto& raw : kRawElements) {
        if (raw.name == name) return &raw;
    }
    return nullptr;
}

}  // namespace

const std::u32string* HtmlToken::Attribute(std::string_view attributeName) const {
    for (const auto& attribute : attributes) {
        if (attribute.name == attributeName) return &attribute.value;
    }
    return nullptr;
}

std::u32string HtmlTokenizer::DecodeRange(std::size_t begin, std::size_t end, bool inAttribute) const {
    std::u32string out;
    out.reserve(end - begin);
    const std::string_view range = html_.substr(0, end);
    for (std::size_t i = begin; i < end;) {
        const char c = html_[i];
        if (c == '&') {
            if (auto decoded = DecodeCharacterReference(range, i, inAttribute)) {
                out.push_back(*decoded);
                continue;
            }
        }
        if (c != '\0') out.push_back(Cp1252ToUnicode(static_cast<std::uint8_t>(c)));
        ++i;
    }
    return out;
}

HtmlToken HtmlTokenizer::Next() {
    if (!rawElement_.empty()) return RawText();
    while (pos_ < html_.size()) {
        const std::size_t start = pos_;
        // Text up to the next '<' that opens markup.
        while (pos_ < html_.size()) {
            if (html_[pos_] == '<' && pos_ + 1 < html_.size()) {
                const char next = html_[pos_ + 1];
                if (IsAsciiLetter(next) || next == '!' || next == '?') break;
                if (next == '/' && pos_ + 2 < html_.size()) break;
            }
            ++pos_;
        }
        if (pos_ > start) {
            HtmlToken token;
            token.kind = HtmlToken::Kind::Text;
            token.text = DecodeRange(start, pos_, false);
            if (!token.text.empty()) return token;
            continue;
        }
        HtmlToken token;
        if (LexTag(token)) return token;
    }
    return HtmlToken{};
}

// At a '<' that opens markup: a tag (true, token filled) or something skipped.
bool HtmlTokenizer::LexTag(HtmlToken& token) {
    const char next = html_[pos_ + 1];
    if (next == '!') {
        if (html_.substr(pos_, 4) == "<!--") {
            SkipComment();
        } else {
            SkipToGreaterThan();
        }
        return false;
    }
    if (next == '?') {
        SkipToGreaterThan();
        return false;
    }
    const bool endTag = next == '/';
    std::size_t i = pos_ + (endTag ? 2 : 1);
    if (endTag && !IsAsciiLetter(html_[i])) {
        // "</>" is nothing; "</ x>" and the like are skipped like comments.
        SkipToGreaterThan();
        return false;
    }
    token.kind = endTag ? HtmlToken::Kind::EndTag : HtmlToken::Kind::StartTag;
    while (i < html_.size() && !IsSpace(html_[i]) && html_[i] != '/' && html_[i] != '>') {
        if (token.name.size() < kMaxTagNameLength && html_[i] != '\0') token.name.push_back(LowerAscii(html_[i]));
        ++i;
    }
    pos_ = i;
    bool complete = false;
    LexAttributes(token, complete);
    if (!complete) {
        // Cut off by the end of the document: the tag is dropped.
        pos_ = html_.size();
        return false;
    }
    if (endTag) {
        token.attributes.clear();
        token.selfClosing = false;
    } else if (FindRawElement(token.name) != nullptr) {
        rawElement_ = token.name;
    }
    return true;
}

void HtmlTokenizer::LexAttributes(HtmlToken& token, bool& complete) {
    while (pos_ < html_.size()) {
        const char c = html_[pos_];
        if (c == '>') {
            ++pos_;
            complete = true;
            return;
        }
        if (IsSpace(c)) {
            ++pos_;
            continue;
        }
        if (c == '/') {
            ++pos_;
            token.selfClosing = pos_ < html_.size() && html_[pos_] == '>';
            continue;
        }
        token.selfClosing = false;
        // The name: at least one character, so a stray '=' or quote is one.
        std::string name(1, LowerAscii(c));
        ++pos_;
        while (pos_ < html_.size() && !IsSpace(html_[pos_]) && html_[pos_] != '/' && html_[pos_] != '>' &&
               html_[pos_] != '=') {
            if (name.size() < kMaxTagNameLength) name.push_back(LowerAscii(html_[pos_]));
            ++pos_;
        }
        std::size_t look = pos_;
        while (look < html_.size() && IsSpace(html_[look])) ++look;
        std::u32string value;
        if (look < html_.size() && html_[look] == '=') {
            pos_ = look + 1;
            while (pos_ < html_.size() && IsSpace(html_[pos_])) ++pos_;
            if (pos_ >= html_.size()) return;
            const char quote = html_[pos_];
            std::size_t begin = pos_;
            std::size_t end = pos_;
            if (quote == '"' || quote == '\'') {
                begin = pos_ + 1;
                end = html_.find(quote, begin);
                if (end == std::string_view::npos) return;
                pos_ = end + 1;
            } else {
                while (end < html_.size() && !IsSpace(html_[end]) && html_[end] != '>') ++end;
                pos_ = end;
            }
            value = DecodeRange(begin, end, true);
        }
        if (token.attributes.size() < kMaxAttributes && token.Attribute(name) == nullptr) {
            token.attributes.push_back({std::move(name), std::move(value)});
        }
    }
}

HtmlToken HtmlTokenizer::RawText() {
    const RawElement* raw = FindRawElement(rawElement_);
    const std::string name = std::move(rawElement_);
    rawElement_.clear();
    const std::size_t begin = pos_;
    std::size_t end = html_.size();
    if (name != "plaintext") {
        // The first "</name" followed by a space, '/', '>' or the end.
        for (std::size_t at = html_.find("</", begin); at != std::string_view::npos; at = html_.find("</", at + 2)) {
            const std::size_t after = at + 2 + name.size();
            if (after > html_.size()) break;
            bool same = true;
            for (std::size_t k = 0; k < name.size() && same; ++k) same = LowerAscii(html_[at + 2 + k]) == name[k];
            if (same &&
                (after == html_.size() || IsSpace(html_[after]) || html_[after] == '/' || html_[after] == '>')) {
                end = at;
                break;
            }
        }
    }
    pos_ = end;
    HtmlToken token;
    token.kind = HtmlToken::Kind::Text;
    if (raw != nullptr && raw->decodesReferences) {
        token.text = DecodeRange(begin, end, false);
    } else {
        // Raw text keeps '&' as written: only the code page is decoded.
        for (std::size_t i = begin; i < end; ++i) {
            if (html_[i] != '\0') token.text.push_back(Cp1252ToUnicode(static_cast<std::uint8_t>(html_[i])));
        }
    }
    if (token.text.empty()) return Next();
    return token;
}

void HtmlTokenizer::SkipComment() {
    // "<!-->" and "<!--->" are complete, empty comments.
    std::size_t i = pos_ + 4;
    if (i < html_.size() && html_[i] == '>') {
        pos_ = i + 1;
        return;
    }
    if (i + 1 < html_.size() && html_[i] == '-' && html_[i + 1] == '>') {
        pos_ = i + 2;
        return;
    }
    for (std::size_t at = html_.find("--", i); at != std::string_view::npos; at = html_.find("--", at + 1)) {
        if (at + 2 < html_.size() && html_[at + 2] == '>') {
            pos_ = at + 3;
            return;
        }
        if (at + 3 < html_.size() && html_[at + 2] == '!' && html_[at + 3] == '>') {
            pos_ = at + 4;
            return;
        }
    }
    // An unclosed comment runs to the end of the document.
    pos_ = html_.size();
}

void HtmlTokenizer::SkipToGreaterThan() {
    const std::size_t end = html_.find('>', pos_);
    pos_ = end == std::string_view::npos ? html_.size() : end + 1;
}

}  // namespace qm
