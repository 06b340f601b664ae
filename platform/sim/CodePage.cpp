// Windows-1252 and the ANSI text services of the simulated machine.
#include "platform/sim/CodePage.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qm::sim {

namespace {

// UTF-16 of the bytes 0x80..0x9F; the rest of 1252 equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ToUtf16(unsigned char c) {
    return c >= 0x80 && c <= 0x9F ? kHighControls[c - 0x80] : static_cast<char16_t>(c);
}

// ---- The collation of AnsiCompareIgnoreCase ----
//
// The tables give the Western locale's order as Windows' sort data has it
// (CompareStringA on every character of 1252, checked against the real
// function): symbols, then digits, then letters.

// Characters compared only after everything else, in this order: the soft
// hyphen, control characters, apostrophe, hyphen, en and em dash.
constexpr std::string_view kSpecialOrder =
    "\xAD\x01\x02\x03\x04\x05\x06\x07\x08\x0E\x0F\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1A\x1B\x1C\x1D"
    "\x1E\x1F\x7F'-\x96\x97";

// Symbols, in order (0x88, the modifier circumflex, sorts as '^').
constexpr std::string_view kSymbolOrder =
    " \xA0\t\n\v\f\r!\"#$%&()*,./:;?@[\\]^_`{|}~\xA1\xA6\xA8\xAF\xB4\xB8\xBF\x98\x91\x92\x82\x93\x94\x84"
    "\x8B\x9B\xA2\xA3\xA4\xA5\x80+<=>\xB1\xAB\xBB\xD7\xF7\xA7\xA9\xAC\xAE\xB0\xB5\xB6\xB7\x85\x86\x87\x95"
    "\x89\x81\x8D\x8F\x90\x9D";

// Digits, in order; the superscripts are accented forms of 1, 2 and 3.
constexpr std::string_view kDigitOrder = "0\xBC\xBD\xBE" "123456789";

// Accented forms of a base letter (upper-case bytes), in their order after
// the plain letter.
struct Accented {
    char base;
    std::string_view forms;
};
constexpr std::array<Accented, 15> kAccented{{
    {'A', "\xAA\xC1\xC0\xC2\xC4\xC3\xC5"},
    {'C', "\xC7"},
    {'D', "\xD0"},
    {'E', "\xC9\xC8\xCA\xCB"},
    {'F', "\x83"},
    {'I', "\xCD\xCC\xCE\xCF"},
    {'N', "\xD1"},
    {'O', "\xBA\xD3\xD2\xD4\xD6\xD5\xD8"},
    {'S', "\x8A"},
    {'U', "\xDA\xD9\xDB\xDC"},
    {'Y', "\xDD\x9F"},
    {'Z', "\x8E"},
    {'1', "\xB9"},
    {'2', "\xB2"},
    {'3', "\xB3"},
}};

// Characters that sort as the two letters they stand for, and equal to them.
struct Expansion {
    unsigned char upper;
    char first;
    char second;
};
constexpr std::array<Expansion, 4> kExpansions{{
    {0xC6, 'A', 'E'},  // Æ
    {0x8C, 'O', 'E'},  // Œ
    {0xDF, 'S', 'S'},  // ß
    {0xDE, 'T', 'H'},  // Þ
}};

constexpr int kDigitBase = 1000;
constexpr int kLetterBase = 2000;  // two apart, so that ™ fits between T and U
constexpr unsigned char kTrademark = 0x99;

// One character's part in the comparison.
struct Weights {
    int primary[2] = {0, 0};  // 0 = none; two for an expansion
    int accent = 0;           // second level: 0 for the plain character
    int special = 0;          // third level, for the characters of kSpecialOrder
};

int Primary(char baseUpper) {
    if (auto digit = kDigitOrder.find(baseUpper); digit != std::string_view::npos)
        return kDigitBase + static_cast<int>(digit);
    return kLetterBase + 2 * (baseUpper - 'A');
}

Weights WeightsOf(unsigned char c) {
    Weights w;
    const auto upper = static_cast<unsigned char>(AnsiUpper(static_cast<char>(c)));
    if ((upper >= 'A' && upper <= 'Z') || kDigitOrder.find(static_cast<char>(c)) != std::string_view::npos) {
        w.primary[0] = Primary(static_cast<char>(upper));
        return w;
    }
    for (const Accented& letter : kAccented) {
        if (auto at = letter.forms.find(static_cast<char>(upper)); at != std::string_view::npos) {
            w.primary[0] = Primary(letter.base);
            w.accent = 1 + static_cast<int>(at);
            return w;
        }
    }
    for (const Expansion& expansion : kExpansions) {
        if (expansion.upper == upper) {
            w.primary[0] = Primary(expansion.first);
            w.primary[1] = Primary(expansion.second);
            return w;
        }
    }
    if (c == kTrademark) {
        w.primary[0] = Primary('T') + 1;
        return w;
    }
    if (auto at = kSpecialOrder.find(static_cast<char>(c)); at != std::string_view::npos) {
        w.special = 1 + static_cast<int>(at);
        return w;
    }
    const char symbol = c == 0x88 ? '^' : static_cast<char>(c);
    const auto at = kSymbolOrder.find(symbol);
    w.primary[0] = 1 + static_cast<int>(at == std::string_view::npos ? kSymbolOrder.size() : at);
    return w;
}

struct SortKey {
    std::vector<int> primary;
    std::vector<int> accents;  // one for each primary weight
    std::vector<int> special;  // position in the primary weights, then the character's rank
};

SortKey KeyOf(std::string_view text) {
    SortKey key;
    for (char ch : text) {
        const Weights w = WeightsOf(static_cast<unsigned char>(ch));
        if (w.special) {
            key.special.push_back(static_cast<int>(key.primary.size()));
            key.special.push_back(w.special);
            continue;
        }
        for (int i = 0; i < 2 && w.primary[i] != 0; ++i) {
            key.primary.push_back(w.primary[i]);
            key.accents.push_back(i == 0 ? w.accent : 0);  // an expansion's accent sits on its first letter
        }
    }
    return key;
}

template <typename Range>
int Lexicographic(const Range& a, const Range& b) {
    const auto diff = std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end());
    return diff < 0 ? -1 : diff > 0 ? 1 : 0;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (char c : text) wide.push_back(ToUtf16(static_cast<unsigned char>(c)));
    return wide;
}

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string ansi;
    ansi.reserve(text.size());
    for (char16_t u : text) {
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            ansi.push_back(static_cast<char>(u));
            continue;
        }
        const auto* hit = std::find(kHighControls.begin(), kHighControls.end(), u);
        ansi.push_back(hit == kHighControls.end() ? '?'
                                                  : static_cast<char>(0x80 + (hit - kHighControls.begin())));
    }
    return ansi;
}

char AnsiUpper(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 0x20);
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
    switch (u) {
        case 0x9A: return static_cast<char>(0x8A);  // š
        case 0x9C: return static_cast<char>(0x8C);  // œ
        case 0x9E: return static_cast<char>(0x8E);  // ž
        case 0xFF: return static_cast<char>(0x9F);  // ÿ
        default: return c;
    }
}

int AnsiCompareIgnoreCase(std::string_view a, std::string_view b) {
    const SortKey ka = KeyOf(a);
    const SortKey kb = KeyOf(b);
    if (int r = Lexicographic(ka.primary, kb.primary)) return r;
    if (int r = Lexicographic(ka.accents, kb.accents)) return r;
    return Lexicographic(ka.special, kb.special);
}

}  // namespace qm::sim
