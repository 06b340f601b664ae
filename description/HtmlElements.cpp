#include "description/HtmlElements.h"

#include <string>
#include <unordered_map>

namespace qm {

namespace {

using K = ElementKind;

// Margins follow browsers' default style sheet, measured in the base font:
// a heading's margin is in its own, larger font.
constexpr ElementInfo kElements[] = {
    // name, kind, void, closes <p>, in head, italic, margin, heading
    {"a", K::Link, false, false, false, false, 0, 0},
    {"abbr", K::Inline, false, false, false, false, 0, 0},
    {"address", K::Block, false, true, false, true, 0, 0},
    {"applet", K::Dropped, false, false, false, false, 0, 0},
    {"area", K::Inline, true, false, false, false, 0, 0},
    {"article", K::Block, false, true, false, false, 0, 0},
    {"aside", K::Block, false, true, false, false, 0, 0},
    {"b", K::Bold, false, false, false, false, 0, 0},
    {"base", K::Inline, true, false, true, false, 0, 0},
    {"basefont", K::Inline, true, false, true, false, 0, 0},
    {"bgsound", K::Inline, true, false, true, false, 0, 0},
    {"blockquote", K::Blockquote, false, true, false, false, 100, 0},
    {"body", K::Ignored, false, false, false, false, 0, 0},
    {"br", K::Break, true, false, false, false, 0, 0},
    {"caption", K::Caption, false, false, false, false, 0, 0},
    {"center", K::Center, false, true, false, false, 0, 0},
    {"cite", K::Inline, false, false, false, true, 0, 0},
    {"code", K::Monospace, false, false, false, false, 0, 0},
    {"col", K::Inline, true, false, false, false, 0, 0},
    {"dd", K::DefinitionData, false, true, false, false, 0, 0},
    {"del", K::Strike, false, false, false, false, 0, 0},
    {"details", K::Block, false, true, false, false, 0, 0},
    {"dfn", K::Inline, false, false, false, true, 0, 0},
    {"dialog", K::Block, false, true, false, false, 0, 0},
    {"dir", K::List, false, true, false, false, 100, 0},
    {"div", K::Block, false, true, false, false, 0, 0},
    {"dl", K::Block, false, true, false, false, 100, 0},
    {"dt", K::DefinitionTerm, false, true, false, false, 0, 0},
    {"em", K::Inline, false, false, false, true, 0, 0},
    {"embed", K::Dropped, true, false, false, false, 0, 0},
    {"fieldset", K::Block, false, true, false, false, 0, 0},
    {"figcaption", K::Block, false, true, false, false, 0, 0},
    {"figure", K::Block, false, true, false, false, 100, 0},
    {"font", K::Font, false, false, false, false, 0, 0},
    {"footer", K::Block, false, true, false, false, 0, 0},
    {"form", K::Block, false, true, false, false, 0, 0},
    {"frameset", K::Dropped, false, false, false, false, 0, 0},
    {"h1", K::Heading, false, true, false, false, 134, 1},
    {"h2", K::Heading, false, true, false, false, 125, 2},
    {"h3", K::Heading, false, true, false, false, 117, 3},
    {"h4", K::Heading, false, true, false, false, 133, 4},
    {"h5", K::Heading, false, true, false, false, 139, 5},
    {"h6", K::Heading, false, true, false, false, 156, 6},
    {"head", K::Head, false, false, true, false, 0, 0},
    {"header", K::Block, false, true, false, false, 0, 0},
    {"hgroup", K::Block, false, true, false, false, 0, 0},
    {"hr", K::Rule, true, true, false, false, 50, 0},
    {"html", K::Ignored, false, false, true, false, 0, 0},
    {"i", K::Inline, false, false, false, true, 0, 0},
    {"iframe", K::Dropped, false, false, false, false, 0, 0},
    {"image", K::Image, true, false, false, false, 0, 0},
    {"img", K::Image, true, false, false, false, 0, 0},
    {"input", K::Inline, true, false, false, false, 0, 0},
    {"ins", K::Underline, false, false, false, false, 0, 0},
    {"kbd", K::Monospace, false, false, false, false, 0, 0},
    {"keygen", K::Inline, true, false, false, false, 0, 0},
    {"legend", K::Block, false, false, false, false, 0, 0},
    {"li", K::ListItem, false, true, false, false, 0, 0},
    {"link", K::Inline, true, false, true, false, 0, 0},
    {"listing", K::Preformatted, false, true, false, false, 100, 0},
    {"main", K::Block, false, true, false, false, 0, 0},
    {"menu", K::List, false, true, false, false, 100, 0},
    {"meta", K::Inline, true, false, true, false, 0, 0},
    {"nav", K::Block, false, true, false, false, 0, 0},
    {"noembed", K::Dropped, false, false, false, false, 0, 0},
    {"noframes", K::Dropped, false, false, true, false, 0, 0},
    // Scripts never run here, so <noscript> shows its contents like any element.
    {"noscript", K::Inline, false, false, true, false, 0, 0},
    {"object", K::Dropped, false, false, false, false, 0, 0},
    {"ol", K::List, false, true, false, false, 100, 0},
    {"p", K::Paragraph, false, true, false, false, 100, 0},
    {"param", K::Inline, true, false, false, false, 0, 0},
    {"plaintext", K::Preformatted, false, true, false, false, 100, 0},
    {"pre", K::Preformatted, false, true, false, false, 100, 0},
    {"s", K::Strike, false, false, false, false, 0, 0},
    {"samp", K::Monospace, false, false, false, false, 0, 0},
    {"script", K::Dropped, false, false, true, false, 0, 0},
    {"section", K::Block, false, true, false, false, 0, 0},
    {"source", K::Inline, true, false, false, false, 0, 0},
    {"strike", K::Strike, false, false, false, false, 0, 0},
    {"strong", K::Bold, false, false, false, false, 0, 0},
    {"style", K::Dropped, false, false, true, false, 0, 0},
    {"summary", K::Block, false, true, false, false, 0, 0},
    {"table", K::Table, false, true, false, false, 0, 0},
    {"tbody", K::TableSection, false, false, false, false, 0, 0},
    {"td", K::Cell, false, false, false, false, 0, 0},
    {"template", K::Dropped, false, false, true, false, 0, 0},
    {"tfoot", K::TableSection, false, false, false, false, 0, 0},
    {"th", K::Cell, false, false, false, false, 0, 0},
    {"thead", K::TableSection, false, false, false, false, 0, 0},
    {"title", K::Dropped, false, false, true, false, 0, 0},
    {"tr", K::Row, false, false, false, false, 0, 0},
    {"track", K::Inline, true, false, false, false, 0, 0},
    {"tt", K::Monospace, false, false, false, false, 0, 0},
    {"u", K::Underline, false, false, false, false, 0, 0},
    {"ul", K::List, false, true, false, false, 100, 0},
    {"var", K::Inline, false, false, false, true, 0, 0},
    {"wbr", K::Inline, true, false, false, false, 0, 0},
    {"xmp", K::Preformatted, false, true, false, false, 100, 0},
};

}  // namespace

const ElementInfo* FindElement(std::string_view name) {
    static const std::unordered_map<std::string_view, const ElementInfo*> byName = [] {
        std::unordered_map<std::string_view, const ElementInfo*> map;
        for (const auto& element : kElements) map.emplace(element.name, &element);
        return map;
    }();
    const auto found = byName.find(name);
    return found == byName.end() ? nullptr : found->second;
}

}  // namespace qm
