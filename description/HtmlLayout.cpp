#include "description/HtmlLayout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "description/HtmlColor.h"
#include "description/HtmlElements.h"
#include "description/HtmlText.h"
#include "description/HtmlTokenizer.h"
#include "description/InlineStyle.h"

namespace qm {

namespace {

using K = ElementKind;

// Link text kept for comparing it with the address.
constexpr std::size_t kMaxLinkText = 4096;
constexpr std::array<int, 7> kHeadingSizePercent = {100, 200, 150, 117, 100, 83, 67};

// Elements an end tag or an implied end does not reach past.
using Scope = std::span<const std::string_view>;
constexpr std::array<std::string_view, 7> kDefaultScope = {"table",  "td",     "th",      "caption",
                                                           "object", "applet", "template"};
constexpr std::array<std::string_view, 10> kListItemScope = {"ul", "ol", "menu",    "dir",    "table",
                                                             "td", "th", "caption", "object", "template"};
constexpr std::array<std::string_view, 7> kDefinitionScope = {"dl",      "table",  "td",      "th",
                                                              "caption", "object", "template"};
constexpr std::array<std::string_view, 2> kTableScope = {"table", "template"};

struct OpenElement {
    std::string name;
    ElementKind kind = K::Inline;
    const ElementInfo* info = nullptr;
    CharFormat chars;
    BlockFormat block;
    bool dropped = false;  // this element or one around it shows nothing
    // Lists.
    bool ordered = false;
    char numbering = '1';
    std::int32_t counter = 0;
    // Rows: cells started so far.
    int cells = 0;
    // Links.
    bool hasHref = false;
    std::u32string href;
    // Formatting elements: their attributes, to open them again.
    std::vector<HtmlAttribute> attributes;
};

// Browsers' formatting elements: closed by anything but their own end tag,
// they open again before the next text, so "<p><b>Warning<p>text" shows
// both paragraphs bold.
bool IsFormatting(std::string_view name) {
    static constexpr std::array<std::string_view, 13> kNames = {"b", "big",   "code",   "em",     "font", "i", "nobr",
                                                                "s", "small", "strike", "strong", "tt",   "u"};
    return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

// Formatting elements waiting to open again; older ones are forgotten.
constexpr std::size_t kMaxReopened = 16;

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The address a link shows, or nothing for addresses that mean nothing to a
// reader ("#top") or that are code rather than an address.
std::optional<std::u32string> ShownAddress(std::u32string_view href) {
    const std::u32string_view trimmed = TrimHtmlSpace(href);
    const std::string lower = AsciiLower(NarrowForMatching(trimmed));
    if (lower.empty() || lower[0] == '#' || StartsWith(lower, "javascript:") || StartsWith(lower, "vbscript:") ||
        StartsWith(lower, "data:")) {
        return std::nullopt;
    }
    if (trimmed.size() <= kMaxShownAddress) return std::u32string(trimmed);
    return std::u32string(trimmed.substr(0, kMaxShownAddress)) + U"...";
}

// Link text and address compared without case, scheme or trailing slash, so
// "www.example.com" needs no "(http://www.example.com/)" behind it.
std::string ComparableAddress(std::u32string_view text) {
    std::string lower = AsciiLower(NarrowForMatching(TrimHtmlSpace(text)));
    for (std::string_view scheme : {"mailto:", "http://", "https://"}) {
        if (StartsWith(lower, scheme)) {
            lower.erase(0, scheme.size());
            break;
        }
    }
    while (!lower.empty() && lower.back() == '/') lower.pop_back();
    return lower;
}

bool IsBlockKind(ElementKind kind) {
    switch (kind) {
        case K::Block:
        case K::Paragraph:
        case K::Heading:
        case K::Center:
        case K::Blockquote:
        case K::Preformatted:
        case K::List:
        case K::ListItem:
        case K::DefinitionTerm:
        case K::DefinitionData:
        case K::Table:
        case K::Row:
        case K::Caption:
            return true;
        default:
            return false;
    }
}

class Layout {
public:
    explicit Layout(TextSink& sink) : sink_(sink) {}

    void Run(std::string_view html) {
        HtmlTokenizer tokenizer(html);
        for (HtmlToken token = tokenizer.Next(); token.kind != HtmlToken::Kind::EndOfFile; token = tokenizer.Next()) {
            switch (token.kind) {
                case HtmlToken::Kind::Text:
                    TextToken(token.text);
                    break;
                case HtmlToken::Kind::StartTag:
                    StartTag(token);
                    break;
                case HtmlToken::Kind::EndTag:
                    EndTag(token);
                    break;
                case HtmlToken::Kind::EndOfFile:
                    break;
            }
        }
        PopTo(0, false);
        Boundary(0);
    }

private:
    // ---- The open elements ----

    const CharFormat& Chars() const { return stack_.empty() ? rootChars_ : stack_.back().chars; }
    const BlockFormat& Block() const { return stack_.empty() ? rootBlock_ : stack_.back().block; }
    bool Dropped() const { return !stack_.empty() && stack_.back().dropped; }

    // Elements whose contents are never shown.
    static bool HidesContents(ElementKind kind) { return kind == K::Dropped || kind == K::Head; }

    // 1-based position of the topmost open element of that name; 0 if none.
    std::size_t TopOf(std::string_view name) const {
        const auto found = openByName_.find(name);
        return found == openByName_.end() || found->second.empty() ? 0 : found->second.back() + 1;
    }

    // TopOf(name) when none of the boundary elements is open above it; else 0.
    std::size_t InScope(std::string_view name, Scope boundaries) const {
        const std::size_t position = TopOf(name);
        if (position == 0) return 0;
        for (std::string_view boundary : boundaries) {
            if (boundary != name && TopOf(boundary) > position) return 0;
        }
        return position;
    }

    void Push(OpenElement element) {
        openByName_[element.name].push_back(stack_.size());
        stack_.push_back(std::move(element));
    }

    // Closes open elements until `size` remain. With `reopen`, formatting
    // elements among them open again before the next text.
    void PopTo(std::size_t size, bool reopen = true) {
        // Elements left uncounted past the limit were inside the innermost one.
        if (stack_.size() > size) hiddenBeyond_.clear();
        while (stack_.size() > size) {
            Closing(stack_.back());
            OpenElement element = std::move(stack_.back());
            stack_.pop_back();
            auto& positions = openByName_[element.name];
            positions.pop_back();
            if (positions.empty()) openByName_.erase(element.name);
            Closed(element);
            if (element.kind == K::Cell || element.kind == K::Table || element.kind == K::Caption) {
                reopen_.clear();  // formatting does not leak out of a cell
            } else if (reopen && !element.dropped && IsFormatting(element.name)) {
                if (reopen_.size() == kMaxReopened) reopen_.erase(reopen_.begin());
                HtmlToken token;
                token.kind = HtmlToken::Kind::StartTag;
                token.name = std::move(element.name);
                token.attributes = std::move(element.attributes);
                reopen_.push_back(std::move(token));
            }
        }
    }

    void Reopen() {
        if (reopen_.empty()) return;
        const bool skipNewline = skipNewline_;
        std::vector<HtmlToken> tokens = std::move(reopen_);
        reopen_.clear();
        // Closed innermost first: open outermost first.
        for (auto token = tokens.rbegin(); token != tokens.rend(); ++token) StartTag(*token);
        skipNewline_ = skipNewline;
    }

    void ClosePosition(std::size_t position) {
        if (position != 0) PopTo(position - 1);
    }

    // ---- Tags ----

    void StartTag(const HtmlToken& token) {
        skipNewline_ = false;
        const ElementInfo* info = FindElement(token.name);
        const ElementKind kind = info != nullptr ? info->kind : K::Inline;
        const bool isVoid = info != nullptr && info->isVoid;

        // Anything that does not belong in <head> ends it.
        if (info == nullptr || !info->allowedInHead) ClosePosition(TopOf("head"));
        if (kind == K::Ignored) return;
        if (Dropped()) {
            if (isVoid) return;
            if (stack_.size() < kMaxOpenElements)
                Push(MakeElement(token, info, kind));
            else
                ++hiddenBeyond_[token.name];  // its end tag must not end the hidden part
            return;
        }
        if (kind == K::Head && anyParagraph_) return;  // a late <head> means nothing

        if (info != nullptr && info->closesParagraph) ClosePosition(InScope("p", kDefaultScope));
        if (!ImpliedEnds(kind)) return;
        if (kind == K::Table || kind == K::Cell || kind == K::Caption) reopen_.clear();

        if (isVoid) {
            VoidElement(token, info, kind);
            return;
        }
        // One element past the limit may hide what follows: its contents are
        // never shown, however deep it stands.
        if (stack_.size() >= kMaxOpenElements && !HidesContents(kind)) return;
        OpenElement element = MakeElement(token, info, kind);
        Opening(element, token);
        Push(std::move(element));
        if (kind == K::Preformatted) skipNewline_ = true;
    }

    // Closes what the start tag closes; false when the tag is to be ignored.
    bool ImpliedEnds(ElementKind kind) {
        switch (kind) {
            case K::Heading:
                if (!stack_.empty() && stack_.back().kind == K::Heading) PopTo(stack_.size() - 1);
                break;
            case K::ListItem:
                ClosePosition(InScope("li", kListItemScope));
                break;
            case K::DefinitionTerm:
            case K::DefinitionData:
                ClosePosition(std::max(InScope("dt", kDefinitionScope), InScope("dd", kDefinitionScope)));
                break;
            case K::Link:
                ClosePosition(InScope("a", kDefaultScope));
                break;
            case K::TableSection:
            case K::Row:
                if (TopOf("table") == 0) return false;  // rows outside a table are ignored, as browsers do
                ClosePosition(InScope("tr", kTableScope));
                if (kind == K::TableSection) {
                    for (std::string_view section : {"tbody", "thead", "tfoot"}) {
                        ClosePosition(InScope(section, kTableScope));
                    }
                }
                break;
            case K::Cell:
                if (TopOf("table") == 0) return false;
                ClosePosition(std::max(InScope("td", kTableScope), InScope("th", kTableScope)));
                if (InScope("tr", kTableScope) == 0 && stack_.size() < kMaxOpenElements) {
                    HtmlToken row;
                    row.kind = HtmlToken::Kind::StartTag;
                    row.name = "tr";
                    StartTag(row);
                }
                break;
            case K::List:
            case K::Table:
                FlushMarker();
                break;
            default:
                break;
        }
        return true;
    }

    OpenElement MakeElement(const HtmlToken& token, const ElementInfo* info, ElementKind kind) const {
        OpenElement e;
        e.name = token.name;
        e.kind = kind;
        e.info = info;
        e.chars = Chars();
        e.block = Block();
        e.dropped = Dropped();
        if (IsFormatting(token.name)) e.attributes = token.attributes;
        switch (kind) {
            case K::Bold:
                e.chars.bold = true;
                break;
            case K::Underline:
                e.chars.underline = true;
                break;
            case K::Strike:
                e.chars.strike = true;
                break;
            case K::Monospace:
                e.chars.monospace = true;
                break;
            case K::Link:
                if (const auto* href = token.Attribute("href")) {
                    e.hasHref = true;
                    e.href = *href;
                    e.chars.link = true;
                    e.chars.color.reset();  // a link has its own colour unless its contents set one
                }
                break;
            case K::Font:
                if (const auto* color = token.Attribute("color")) {
                    if (auto parsed = ParseColorAttribute(NarrowForMatching(*color))) e.chars.color = parsed;
                }
                break;
            case K::Heading:
                e.chars.bold = true;
                e.chars.sizePercent = kHeadingSizePercent[static_cast<std::size_t>(info->headingLevel)];
                break;
            case K::Center:
                e.block.align = TextAlign::Center;
                break;
            case K::Blockquote:
                e.block.indent = std::min(e.block.indent + 2, kMaxIndent);
                break;
            case K::Preformatted:
                e.block.preformatted = true;
                e.chars.monospace = true;
                break;
            case K::List: {
                e.block.indent = std::min(e.block.indent + 1, kMaxIndent);
                ++e.block.listDepth;
                e.ordered = token.name == "ol";
                if (const auto* type = token.Attribute("type"); type != nullptr && type->size() == 1) {
                    const char32_t t = (*type)[0];
                    if (t == 'a' || t == 'A' || t == 'i' || t == 'I' || t == '1') e.numbering = static_cast<char>(t);
                }
                const auto* start = token.Attribute("start");
                e.counter = (start != nullptr ? ParseHtmlInteger(*start, 1) : 1) - 1;
                break;
            }
            case K::ListItem:
                e.block.indent = std::max(e.block.indent, 1);
                e.block.listDepth = std::max(e.block.listDepth, 1);
                break;
            case K::DefinitionData:
                e.block.indent = std::min(e.block.indent + 1, kMaxIndent);
                break;
            case K::Row:
                e.block.tableRow = true;
                break;
            case K::Cell:
                if (token.name == "th") e.chars.bold = true;
                break;
            case K::Head:
            case K::Dropped:
                e.dropped = true;
                break;
            default:
                break;
        }
        if (info != nullptr && info->italic) e.chars.italic = true;

        const bool block = IsBlockKind(kind);
        if (const auto* align = token.Attribute("align"); align != nullptr && block && kind != K::Table) {
            if (auto parsed = ParseAlign(NarrowForMatching(*align))) e.block.align = *parsed;
        }
        if (const auto* style = token.Attribute("style")) {
            const InlineStyle parsed = ParseInlineStyle(NarrowForMatching(*style));
            if (parsed.color) e.chars.color = parsed.color;
            if (parsed.bold) e.chars.bold = *parsed.bold;
            if (parsed.italic) e.chars.italic = *parsed.italic;
            if (parsed.underline) e.chars.underline = *parsed.underline;
            if (parsed.strike) e.chars.strike = *parsed.strike;
            if (parsed.align && block) e.block.align = *parsed.align;
        }
        return e;
    }

    int MarginOf(const OpenElement& e) const {
        if (e.info == nullptr) return 0;
        // Lists inside lists sit tight against their item.
        if (e.kind == K::List && e.block.listDepth > 1) return 0;
        return e.info->margin;
    }

    // Effects of an element opening, before it is pushed.
    void Opening(OpenElement& e, const HtmlToken& token) {
        if (e.dropped) return;
        if (IsBlockKind(e.kind)) Boundary(MarginOf(e));
        switch (e.kind) {
            case K::ListItem: {
                ListMarker marker;
                const std::size_t list = std::max({TopOf("ul"), TopOf("ol"), TopOf("menu"), TopOf("dir")});
                std::int32_t* counter = nullptr;
                if (list != 0) {
                    OpenElement& owner = stack_[list - 1];
                    marker.ordered = owner.ordered;
                    marker.numbering = owner.numbering;
                    counter = &owner.counter;
                }
                if (counter != nullptr) {
                    const auto* value = token.Attribute("value");
                    *counter = value != nullptr ? ParseHtmlInteger(*value, *counter + 1)
                                                : std::min(*counter + 1, kMaxHtmlInteger);
                    marker.number = *counter;
                }
                marker.depth = e.block.listDepth;
                pendingMarker_ = marker;
                markerFormat_ = e.chars;
                break;
            }
            case K::Cell:
                if (const std::size_t row = InScope("tr", kTableScope); row != 0 && stack_[row - 1].cells++ > 0) {
                    EnsureParagraph();
                    FlushBreaks();
                    sink_.Tab();
                    pendingSpace_ = false;
                    lineHasContent_ = false;
                }
                break;
            case K::Link:
                linkText_.clear();
                break;
            default:
                break;
        }
    }

    // Effects of an element closing, while it is still the innermost one.
    void Closing(const OpenElement& e) {
        if (e.dropped) return;
        switch (e.kind) {
            case K::ListItem:
                FlushMarker();
                break;
            case K::Cell:
                pendingSpace_ = false;
                break;
            case K::Link:
                if (e.hasHref && TrimHtmlSpace(linkText_).empty()) {
                    // A link with nothing to click on shows its address instead.
                    if (auto address = ShownAddress(e.href)) FlowText(*address);
                }
                break;
            default:
                break;
        }
        if (IsBlockKind(e.kind)) Boundary(MarginOf(e));
    }

    // Effects of an element closing, once it is closed.
    void Closed(const OpenElement& e) {
        if (e.dropped || e.kind != K::Link || !e.hasHref) return;
        const auto address = ShownAddress(e.href);
        if (address && !TrimHtmlSpace(linkText_).empty() && ComparableAddress(linkText_) != ComparableAddress(e.href)) {
            FlowText(U" (" + *address + U")");
        }
        linkText_.clear();
    }

    void VoidElement(const HtmlToken& token, const ElementInfo* info, ElementKind kind) {
        switch (kind) {
            case K::Break:
                Reopen();
                LineBreak();
                break;
            case K::Rule:
                FlushMarker();
                Boundary(info->margin);
                sink_.Rule(Block(), SpaceBefore());
                anyParagraph_ = true;
                pendingMargin_ = info->margin;
                break;
            case K::Image:
                Reopen();
                if (const auto* alt = token.Attribute("alt")) {
                    if (Block().preformatted) {
                        PreText(*alt);
                    } else {
                        FlowText(*alt);
                    }
                }
                break;
            default:
                break;
        }
    }

    void EndTag(const HtmlToken& token) {
        skipNewline_ = false;
        if (const auto beyond = hiddenBeyond_.find(token.name); beyond != hiddenBeyond_.end()) {
            if (--beyond->second == 0) hiddenBeyond_.erase(beyond);
            return;
        }
        const ElementInfo* info = FindElement(token.name);
        const ElementKind kind = info != nullptr ? info->kind : K::Inline;
        std::size_t position = 0;
        switch (kind) {
            case K::Break:  // "</br>" is read as <br>, as browsers do
                if (!Dropped()) LineBreak();
                return;
            case K::Ignored:
                return;
            case K::Head:
                position = TopOf("head");
                break;
            case K::Paragraph:
                position = InScope("p", kDefaultScope);
                if (position == 0 && !Dropped()) Boundary(info->margin);  // "</p>" alone: an empty paragraph
                break;
            case K::ListItem:
                position = InScope("li", kListItemScope);
                break;
            case K::DefinitionTerm:
            case K::DefinitionData:
                position = InScope(token.name, kDefinitionScope);
                break;
            case K::Row:
            case K::Cell:
            case K::TableSection:
            case K::Caption:
                position = InScope(token.name, kTableScope);
                break;
            case K::Table:
                position = TopOf("table");
                break;
            case K::Heading:
                // Any heading end tag closes the open heading, whatever its level.
                for (std::string_view heading : {"h1", "h2", "h3", "h4", "h5", "h6"}) {
                    position = std::max(position, InScope(heading, kDefaultScope));
                }
                break;
            default:
                position = InScope(token.name, kDefaultScope);
                if (IsFormatting(token.name)) {
                    if (position == 0) {
                        // Closed already: it is not to open again.
                        const auto pending = std::find_if(reopen_.rbegin(), reopen_.rend(),
                                                          [&](const HtmlToken& t) { return t.name == token.name; });
                        if (pending != reopen_.rend()) reopen_.erase(std::next(pending).base());
                        return;
                    }
                    PopTo(position);
                    PopTo(position - 1, false);
                    return;
                }
                break;
        }
        ClosePosition(position);
    }

    // ---- Text flow ----

    int SpaceBefore() const { return anyParagraph_ ? pendingMargin_ : 0; }

    void EnsureParagraph() {
        if (paragraphOpen_) return;
        ParagraphStart start;
        start.block = Block();
        start.spaceBefore = SpaceBefore();
        if (pendingMarker_) {
            start.marker = pendingMarker_;
            start.markerFormat = markerFormat_;
            pendingMarker_.reset();
        }
        sink_.BeginParagraph(start);
        paragraphOpen_ = true;
        anyParagraph_ = true;
        pendingMargin_ = 0;
        pendingBreaks_ = 0;
        pendingSpace_ = false;
        lineHasContent_ = false;
    }

    // The end of a block: the paragraph ends, and a margin waits for the next.
    void Boundary(int margin) {
        if (paragraphOpen_) {
            // Breaks at the very end of a paragraph add no empty line.
            for (int i = 1; i < pendingBreaks_; ++i) sink_.LineBreak();
            sink_.EndParagraph();
            paragraphOpen_ = false;
        }
        pendingBreaks_ = 0;
        pendingSpace_ = false;
        lineHasContent_ = false;
        pendingMargin_ = std::max(pendingMargin_, margin);
    }

    // A list item's marker that no text has carried yet gets a line of its own.
    void FlushMarker() {
        if (pendingMarker_) EnsureParagraph();
    }

    void FlushBreaks() {
        for (; pendingBreaks_ > 0; --pendingBreaks_) sink_.LineBreak();
    }

    void LineBreak() {
        EnsureParagraph();
        ++pendingBreaks_;
        pendingSpace_ = false;
        lineHasContent_ = false;
    }

    void TextToken(std::u32string_view text) {
        // Text inside an element counted past the limit is not <head>'s own.
        if (!stack_.empty() && stack_.back().kind == K::Head && hiddenBeyond_.empty()) {
            if (TrimHtmlSpace(text).empty()) return;
            PopTo(stack_.size() - 1);  // text ends <head>, as in browsers
        }
        if (Dropped()) return;
        Reopen();
        if (Block().preformatted) {
            if (skipNewline_ && !text.empty() && text[0] == '\r') text.remove_prefix(1);
            if (skipNewline_ && !text.empty() && text[0] == '\n') text.remove_prefix(1);
            PreText(text);
        } else {
            FlowText(text);
        }
        skipNewline_ = false;
    }

    void Emit(std::u32string& run) {
        if (run.empty()) return;
        sink_.Text(run, Chars());
        if (Chars().link && linkText_.size() < kMaxLinkText) {
            linkText_.append(run, 0, kMaxLinkText - linkText_.size());
        }
        run.clear();
    }

    // Starts the output of a visible character: the paragraph, the breaks
    // before it, the collapsed space.
    void BeginContent(std::u32string& run) {
        if (!paragraphOpen_ || pendingBreaks_ > 0) {
            Emit(run);
            EnsureParagraph();
            FlushBreaks();
        }
        if (pendingSpace_) {
            // The space keeps the look of where it was, so the gap before a
            // link is not underlined.
            if (spaceFormat_ == Chars()) {
                run.push_back(U' ');
            } else {
                Emit(run);
                sink_.Text(U" ", spaceFormat_);
            }
            pendingSpace_ = false;
        }
        lineHasContent_ = true;
    }

    void FlowText(std::u32string_view text) {
        std::u32string run;
        for (char32_t c : text) {
            if (IsHtmlSpace(c)) {
                if (lineHasContent_ && !pendingSpace_) {
                    pendingSpace_ = true;
                    spaceFormat_ = Chars();
                }
                continue;
            }
            if (c < 0x20 || c == 0x7F) continue;
            BeginContent(run);
            run.push_back(c);
        }
        Emit(run);
    }

    void PreText(std::u32string_view text) {
        std::u32string run;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c == '\r') {
                if (i + 1 < text.size() && text[i + 1] == '\n') continue;
                c = '\n';
            }
            if (c == '\n') {
                Emit(run);
                LineBreak();
            } else if (c == '\t') {
                BeginContent(run);
                Emit(run);
                sink_.Tab();
            } else if (c == '\f') {
                BeginContent(run);
                run.push_back(U' ');
            } else if (c >= 0x20 && c != 0x7F) {
                BeginContent(run);
                run.push_back(c);
            }
        }
        Emit(run);
    }

    TextSink& sink_;
    const CharFormat rootChars_;
    const BlockFormat rootBlock_;
    std::vector<OpenElement> stack_;
    std::map<std::string, std::vector<std::size_t>, std::less<>> openByName_;
    // Inside hidden contents, start tags past kMaxOpenElements are not kept
    // but counted by name, so their end tags end only them.
    std::unordered_map<std::string, std::size_t> hiddenBeyond_;

    bool paragraphOpen_ = false;
    bool anyParagraph_ = false;
    bool lineHasContent_ = false;
    bool pendingSpace_ = false;
    CharFormat spaceFormat_;
    int pendingBreaks_ = 0;
    int pendingMargin_ = 0;
    bool skipNewline_ = false;  // the newline right after <pre> is not content
    std::optional<ListMarker> pendingMarker_;
    CharFormat markerFormat_;
    std::u32string linkText_;
    std::vector<HtmlToken> reopen_;
};

}  // namespace

void LayOutHtml(std::string_view html, TextSink& sink) {
    Layout layout(sink);
    layout.Run(html);
}

}  // namespace qm
