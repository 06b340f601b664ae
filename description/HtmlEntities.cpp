#include "description/HtmlEntities.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "description/Cp1252.h"

namespace qm {

namespace {

// U+00A0..U+00FF in order.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",
    "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",
    "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave",
    "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",
    "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute",
    "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave",
    "iacute", "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

struct NamedReference {
    std::string_view name;
    char32_t codePoint;
};

// Names that need their ';' besides the Latin-1 set.
constexpr NamedReference kOtherNames[] = {
    {"apos", 0x27},     {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},
    {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},    {"tilde", 0x2DC},   {"ensp", 0x2002},
    {"emsp", 0x2003},   {"thinsp", 0x2009}, {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},
    {"rlm", 0x200F},    {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},
    {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"dagger", 0x2020},
    {"Dagger", 0x2021}, {"bull", 0x2022},   {"hellip", 0x2026}, {"permil", 0x2030}, {"prime", 0x2032},
    {"Prime", 0x2033},  {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC},   {"trade", 0x2122},
    {"larr", 0x2190},   {"uarr", 0x2191},   {"rarr", 0x2192},   {"darr", 0x2193},   {"harr", 0x2194},
    {"minus", 0x2212},  {"infin", 0x221E},  {"asymp", 0x2248},  {"ne", 0x2260},     {"le", 0x2264},
    {"ge", 0x2265},     {"spades", 0x2660}, {"clubs", 0x2663},  {"hearts", 0x2665}, {"diams", 0x2666},
};

// Names that browsers also accept without the ';'.
constexpr NamedReference kMarkupNames[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}};

struct NameTables {
    std::unordered_map<std::string_view, char32_t> all;
    std::unordered_map<std::string_view, char32_t> legacy;  // valid without ';'
};

const NameTables& Names() {
    static const NameTables tables = [] {
        NameTables t;
        for (std::size_t i = 0; i < kLatin1Names.size(); ++i) t.legacy.emplace(kLatin1Names[i], 0xA0 + i);
        for (const auto& n : kMarkupNames) t.legacy.emplace(n.name, n.codePoint);
        t.all = t.legacy;
        for (const auto& n : kOtherNames) t.all.emplace(n.name, n.codePoint);
        return t;
    }();
    return tables;
}

// The longest legacy name is six letters ("frac14", "Oslash").
constexpr std::size_t kLongestLegacyName = 6;
// No reference name is longer; a longer run of letters is not a reference.
constexpr std::size_t kLongestName = 8;

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char32_t NumericCharacter(std::uint32_t value) {
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0xFFFD;
    if (value >= 0x80 && value < 0xA0) return Cp1252ToUnicode(static_cast<std::uint8_t>(value));
    return value;
}

std::optional<char32_t> DecodeNumeric(std::string_view text, std::size_t& pos) {
    std::size_t i = pos + 2;  // behind "&#"
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    const std::size_t digitsStart = i;
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = hex ? HexValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) break;
        // Saturate: any value past the Unicode range is simply invalid.
        value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
    }
    if (i == digitsStart) return std::nullopt;
    if (i < text.size() && text[i] == ';') ++i;
    pos = i;
    return NumericCharacter(value);
}

}  // namespace

std::optional<char32_t> DecodeCharacterReference(std::string_view text, std::size_t& pos, bool inAttribute) {
    if (pos + 1 >= text.size()) return std::nullopt;
    if (text[pos + 1] == '#') return DecodeNumeric(text, pos);

    std::size_t end = pos + 1;
    while (end < text.size() && IsAsciiAlnum(text[end]) && end - pos <= kLongestName + 1) ++end;
    const std::string_view run = text.substr(pos + 1, end - pos - 1);
    if (run.empty()) return std::nullopt;

    const NameTables& names = Names();
    if (end < text.size() && text[end] == ';') {
        if (auto found = names.all.find(run); found != names.all.end()) {
            pos = end + 1;
            return found->second;
        }
    }
    // Without the ';': the longest legacy name that starts the run.
    for (std::size_t length = std::min(run.size(), kLongestLegacyName); length >= 2; --length) {
        const auto found = names.legacy.find(run.substr(0, length));
        if (found == names.legacy.end()) continue;
        const std::size_t after = pos + 1 + length;
        if (inAttribute && after < text.size() && (IsAsciiAlnum(text[after]) || text[after] == '=')) {
            return std::nullopt;
        }
        pos = after;
        return found->second;
    }
    return std::nullopt;
}

}  // namespace qm
