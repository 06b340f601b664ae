// Reading and writing .reg files.
#include "regfile/RegFileText.h"

#include <array>
#include <optional>

#include "regfile/RegFileCoding.h"

namespace qm::regfile {

namespace {

std::vector<std::u16string> Lines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\n' || text[i] == u'\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    return lines;
}

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view TrimLeft(std::u16string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    return s;
}

std::u16string_view TrimRight(std::u16string_view s) {
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::u16string_view s, std::u16string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char16_t a = s[i] >= u'A' && s[i] <= u'Z' ? static_cast<char16_t>(s[i] + 32) : s[i];
        if (a != prefix[i]) return false;
    }
    return true;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

std::optional<DWORD> ParseHex(std::u16string_view s, size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    DWORD value = 0;
    for (char16_t c : s) {
        const int digit = HexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<DWORD>(digit);
    }
    return value;
}

// ---- Parsing ----

class Parser {
public:
    Parser(std::u16string_view text, const CodePage& codePage) : lines_(Lines(text)), codePage_(codePage) {}

    std::vector<RegFileOperation> Parse() {
        if (lines_.empty() || (TrimRight(lines_[0]) != kHeader4 && TrimRight(lines_[0]) != kHeader5))
            Fail(1, "not a registry file (no REGEDIT4 or Version 5.00 header)");
        version5_ = TrimRight(lines_[0]) == kHeader5;
        for (size_t i = 1; i < lines_.size(); ++i) {
            line_ = i + 1;
            first_ = exact_ ? exactLine_ : i;
            std::u16string text(TrimLeft(lines_[i]));
            // A trailing backslash continues a value line on the next line.
            while (!text.empty() && text[0] != u'[' && text[0] != u';' && TrimRight(text).ends_with(u'\\') &&
                   i + 1 < lines_.size()) {
                text = std::u16string(TrimRight(text));
                text.pop_back();
                text += TrimLeft(lines_[++i]);
            }
            last_ = i;
            const bool hadExact = exact_.has_value();
            ParseLine(TrimRight(text));
            if (hadExact && exact_) Fail(exactLine_ + 1, "the exact form is not followed by its key or value line");
        }
        if (exact_) Fail(exactLine_ + 1, "the exact form is not followed by its key or value line");
        return std::move(operations_);
    }

private:
    // A key or value as its exact form gives it; the next line must be its plain line.
    struct Exact {
        bool key = false;
        RegFileValue value;  // for a key, the path in value.name
    };

    [[noreturn]] static void Fail(size_t line, const std::string& what) {
        throw RegFileError("line " + std::to_string(line) + ": " + what);
    }
    [[noreturn]] void Fail(const std::string& what) const { Fail(line_, what); }

    void Add(RegFileOperation::Kind kind, std::u16string path, RegFileValue value) {
        RegFileOperation op{kind, std::move(path), std::move(value), first_, last_};
        operations_.push_back(std::move(op));
    }

    void ParseLine(std::u16string_view text) {
        if (text.empty()) return;
        if (text[0] == u';') return ParseComment(text);
        if (text[0] == u'[') return ParseKey(text);
        if (!haveKey_) Fail("value outside a key");
        ParseValue(text);
    }

    void ParseComment(std::u16string_view text) {
        if (exact_) Fail(exactLine_ + 1, "the exact form is not followed by its key or value line");
        Exact exact;
        if (text.starts_with(kExactKey)) {
            exact.key = true;
            exact.value.name = Utf16Text(HexBytes(text.substr(kExactKey.size())));
        } else if (text.starts_with(kExactValue)) {
            text.remove_prefix(kExactValue.size());
            const size_t equals = text.find(u'=');
            const size_t colon = equals == std::u16string_view::npos ? equals : text.find(u':', equals);
            if (colon == std::u16string_view::npos) Fail("bad exact form of a value");
            const auto type = ParseHex(text.substr(equals + 1, colon - equals - 1), 8);
            if (!type) Fail("bad type in the exact form of a value");
            const std::vector<BYTE> name = HexBytes(text.substr(0, equals));
            if (name.size() % 2 != 0) Fail("bad name in the exact form of a value");
            exact.value = {Utf16Text(name), *type, HexBytes(text.substr(colon + 1))};
        } else {
            return;  // a comment
        }
        exact_ = std::move(exact);
        exactLine_ = line_ - 1;
    }

    void ParseKey(std::u16string_view text) {
        const size_t close = text.rfind(u']');
        if (close == std::u16string_view::npos) Fail("key line without ']'");
        if (!TrimLeft(text.substr(close + 1)).empty()) Fail("text after ']'");
        std::u16string_view path = text.substr(1, close - 1);
        const bool remove = !path.empty() && path[0] == u'-';
        if (remove) path.remove_prefix(1);
        std::u16string exactPath;
        if (exact_) {
            if (!exact_->key) Fail(exactLine_ + 1, "the exact form of a value is followed by a key line");
            exactPath = std::move(exact_->value.name);
            exact_.reset();
            path = exactPath;
        }
        if (!IsRegistryRootPath(path)) Fail("unknown root key in \"" + Narrow(path) + "\"");
        Add(remove ? RegFileOperation::kDeleteKey : RegFileOperation::kCreateKey, std::u16string(path), {});
        haveKey_ = !remove;
        key_ = path;
    }

    // A quoted text starting at s[0] == '"'; gives the text and moves s past it.
    std::u16string Quoted(std::u16string_view& s) const {
        std::u16string out;
        for (size_t i = 1; i < s.size(); ++i) {
            if (s[i] == u'"') {
                s.remove_prefix(i + 1);
                return out;
            }
            if (s[i] == u'\\') {
                if (++i == s.size() || (s[i] != u'\\' && s[i] != u'"')) Fail("unknown escape in a quoted text");
            }
            out.push_back(s[i]);
        }
        Fail("quoted text without its closing quote");
    }

    std::vector<BYTE> HexBytes(std::u16string_view list) const {
        std::vector<BYTE> bytes;
        list = TrimLeft(list);
        while (!list.empty()) {
            const size_t comma = list.find(u',');
            const std::u16string_view item = TrimRight(TrimLeft(list.substr(0, comma)));
            const auto byte = ParseHex(item, 2);
            if (!byte) Fail("bad hex byte \"" + Narrow(item) + "\"");
            bytes.push_back(static_cast<BYTE>(*byte));
            if (comma == std::u16string_view::npos) break;
            list = TrimLeft(list.substr(comma + 1));  // a trailing comma ends the list too
        }
        return bytes;
    }

    void ParseValue(std::u16string_view text) {
        std::u16string name;
        if (text[0] == u'@') {
            text.remove_prefix(1);
        } else if (text[0] == u'"') {
            name = Quoted(text);
        } else {
            Fail("a value line must start with '@' or '\"'");
        }
        text = TrimLeft(text);
        if (text.empty() || text[0] != u'=') Fail("'=' missing after the value name");
        text = TrimLeft(text.substr(1));

        RegFileValue value{std::move(name), REG_NONE, {}};
        RegFileOperation::Kind kind = RegFileOperation::kSetValue;
        if (text == u"-") {
            kind = RegFileOperation::kDeleteValue;
        } else if (!text.empty() && text[0] == u'"') {
            std::u16string data = Quoted(text);
            if (!TrimLeft(text).empty()) Fail("text after the closing quote");
            data.push_back(u'\0');
            value.type = REG_SZ;
            value.data = Utf16Bytes(data);
        } else if (StartsWithNoCase(text, u"dword:")) {
            const auto number = ParseHex(text.substr(6), 8);
            if (!number) Fail("bad dword");
            const DWORD v = *number;
            value.type = REG_DWORD;
            value.data = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                          static_cast<BYTE>(v >> 24)};
        } else if (StartsWithNoCase(text, u"hex:")) {
            value.type = REG_BINARY;
            value.data = HexBytes(text.substr(4));
        } else if (StartsWithNoCase(text, u"hex(")) {
            const size_t close = text.find(u"):");
            const auto type = close == std::u16string_view::npos ? std::nullopt : ParseHex(text.substr(4, close - 4), 8);
            if (!type) Fail("bad hex(type)");
            value.type = *type;
            value.data = HexBytes(text.substr(close + 2));
            if (!version5_ && IsStringType(*type)) {
                // REGEDIT4 gives string data in the code page; the registry keeps UTF-16.
                const std::string ansi(value.data.begin(), value.data.end());
                value.data = Utf16Bytes(codePage_.toWide(ansi));
            }
        } else {
            Fail("unknown value data");
        }
        if (exact_) {
            if (exact_->key) Fail(exactLine_ + 1, "the exact form of a key is followed by a value line");
            value.name = std::move(exact_->value.name);
            if (kind == RegFileOperation::kSetValue) {
                value.type = exact_->value.type;
                value.data = std::move(exact_->value.data);
            }
            exact_.reset();
        }
        Add(kind, key_, std::move(value));
    }

    static std::string Narrow(std::u16string_view text) {
        std::string narrow;
        for (char16_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
        return narrow;
    }

    std::vector<std::u16string> lines_;
    const CodePage& codePage_;
    std::vector<RegFileOperation> operations_;
    std::u16string key_;
    size_t line_ = 1;                 // for messages, counted from 1
    size_t first_ = 0, last_ = 0;     // the lines of the operation being read
    std::optional<Exact> exact_;      // an exact form waiting for its line
    size_t exactLine_ = 0;
    bool haveKey_ = false;
    bool version5_ = false;
};

}  // namespace

std::vector<RegFileOperation> ParseRegFile(std::string_view bytes, const CodePage& codePage) {
    return Parser(DecodeText(bytes, codePage).text, codePage).Parse();
}

bool IsRegistryRootPath(std::u16string_view path) {
    const std::u16string_view root = path.substr(0, path.find(u'\\'));
    static constexpr std::array<std::u16string_view, 10> kRoots = {
        u"HKEY_CLASSES_ROOT", u"HKCR", u"HKEY_CURRENT_USER",   u"HKCU", u"HKEY_LOCAL_MACHINE",
        u"HKLM",              u"HKEY_USERS", u"HKU", u"HKEY_CURRENT_CONFIG", u"HKCC"};
    for (const std::u16string_view name : kRoots) {
        if (name.size() != root.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            const char16_t c = root[i] >= u'a' && root[i] <= u'z' ? static_cast<char16_t>(root[i] - 32) : root[i];
            same = c == name[i];
        }
        if (same) return true;
    }
    return false;
}

std::vector<BYTE> Utf16Bytes(std::u16string_view text) {
    std::vector<BYTE> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

std::u16string Utf16Text(const std::vector<BYTE>& bytes) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return text;
}

}  // namespace qm::regfile
