// Reading and writing .reg files.
#include "regfile/RegFileText.h"

#include <array>
#include <cstdio>
#include <optional>

namespace qm::regfile {

namespace {

constexpr std::u16string_view kHeader4 = u"REGEDIT4";
constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::u16string Widen(const char* ascii) { return std::u16string(ascii, ascii + std::char_traits<char>::length(ascii)); }

// ---- Decoding the file ----

std::optional<std::u16string> FromUtf8(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= bytes.size()) return std::nullopt;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        i += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
    }
    return text;
}

std::u16string Decode(std::string_view bytes, const CodePage& codePage) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        return text;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // Version 5 text may be UTF-8; REGEDIT4 text (and anything not UTF-8) is ANSI.
    if (bytes.substr(0, kHeader4.size()) != "REGEDIT4")
        if (auto text = FromUtf8(bytes)) return *text;
    return codePage.toWide(bytes);
}

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
            std::u16string text(TrimLeft(lines_[i]));
            // A trailing backslash continues a value line on the next line.
            while (!text.empty() && text[0] != u'[' && text[0] != u';' && TrimRight(text).ends_with(u'\\') &&
                   i + 1 < lines_.size()) {
                text = std::u16string(TrimRight(text));
                text.pop_back();
                text += TrimLeft(lines_[++i]);
            }
            ParseLine(TrimRight(text));
        }
        return std::move(operations_);
    }

private:
    [[noreturn]] static void Fail(size_t line, const std::string& what) {
        throw RegFileError("line " + std::to_string(line) + ": " + what);
    }
    [[noreturn]] void Fail(const std::string& what) const { Fail(line_, what); }

    void ParseLine(std::u16string_view text) {
        if (text.empty() || text[0] == u';') return;
        if (text[0] == u'[') return ParseKey(text);
        if (!haveKey_) Fail("value outside a key");
        ParseValue(text);
    }

    void ParseKey(std::u16string_view text) {
        const size_t close = text.rfind(u']');
        if (close == std::u16string_view::npos) Fail("key line without ']'");
        if (!TrimLeft(text.substr(close + 1)).empty()) Fail("text after ']'");
        std::u16string_view path = text.substr(1, close - 1);
        const bool remove = !path.empty() && path[0] == u'-';
        if (remove) path.remove_prefix(1);
        if (!IsRegistryRootPath(path)) Fail("unknown root key in \"" + Narrow(path) + "\"");
        operations_.push_back({remove ? RegFileOperation::kDeleteKey : RegFileOperation::kCreateKey, std::u16string(path), {}});
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

        RegFileOperation op{RegFileOperation::kSetValue, key_, {std::move(name), REG_NONE, {}}};
        if (text == u"-") {
            op.kind = RegFileOperation::kDeleteValue;
        } else if (!text.empty() && text[0] == u'"') {
            std::u16string data = Quoted(text);
            if (!TrimLeft(text).empty()) Fail("text after the closing quote");
            data.push_back(u'\0');
            op.value.type = REG_SZ;
            op.value.data = Utf16Bytes(data);
        } else if (StartsWithNoCase(text, u"dword:")) {
            const auto number = ParseHex(text.substr(6), 8);
            if (!number) Fail("bad dword");
            const DWORD v = *number;
            op.value.type = REG_DWORD;
            op.value.data = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                             static_cast<BYTE>(v >> 24)};
        } else if (StartsWithNoCase(text, u"hex:")) {
            op.value.type = REG_BINARY;
            op.value.data = HexBytes(text.substr(4));
        } else if (StartsWithNoCase(text, u"hex(")) {
            const size_t close = text.find(u"):");
            const auto type = close == std::u16string_view::npos ? std::nullopt : ParseHex(text.substr(4, close - 4), 8);
            if (!type) Fail("bad hex(type)");
            op.value.type = *type;
            op.value.data = HexBytes(text.substr(close + 2));
            if (!version5_ && IsStringType(*type)) {
                // REGEDIT4 gives string data in the code page; the registry keeps UTF-16.
                const std::string ansi(op.value.data.begin(), op.value.data.end());
                op.value.data = Utf16Bytes(codePage_.toWide(ansi));
            }
        } else {
            Fail("unknown value data");
        }
        operations_.push_back(std::move(op));
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
    size_t line_ = 1;
    bool haveKey_ = false;
    bool version5_ = false;
};

std::u16string Quote(std::u16string_view text) {
    std::u16string out = u"\"";
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"') out.push_back(u'\\');
        out.push_back(c);
    }
    return out + u"\"";
}

size_t LineStart(const std::u16string& text) {
    const size_t newline = text.rfind(u'\n');
    return newline == std::u16string::npos ? 0 : newline + 1;
}

}  // namespace

std::vector<RegFileOperation> ParseRegFile(std::string_view bytes, const CodePage& codePage) {
    return Parser(Decode(bytes, codePage), codePage).Parse();
}

RegFileWriter::RegFileWriter(RegFileFormat format, const CodePage& codePage)
    : version5_(format == RegFileFormat::Version5), codePage_(codePage) {
    Line(version5_ ? kHeader5 : kHeader4);
    Line(u"");
}

void RegFileWriter::Key(std::u16string_view path) {
    if (keyOpen_) Line(u"");
    Line(u"[" + std::u16string(path) + u"]");
    keyOpen_ = true;
}

std::string RegFileWriter::Bytes() const {
    std::u16string text = text_;
    if (keyOpen_) text += u"\r\n";  // the blank line after the last key
    if (!version5_) return codePage_.toNarrow(text);
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

void RegFileWriter::Line(std::u16string_view line) {
    text_ += line;
    text_ += u"\r\n";
}

// Whether string data can be written as "text" and read back unchanged.
bool RegFileWriter::Writable(const RegFileValue& value) const {
    if (value.type != REG_SZ || value.data.size() < 2 || value.data.size() % 2 != 0) return false;
    std::u16string text = Utf16Text(value.data);
    if (text.back() != u'\0') return false;
    text.pop_back();
    for (char16_t c : text)
        if (c < 0x20) return false;  // also a zero inside the text
    return version5_ || codePage_.toWide(codePage_.toNarrow(text)) == text;
}

void RegFileWriter::Value(const RegFileValue& value) {
    std::u16string line = value.name.empty() ? u"@=" : Quote(value.name) + u"=";
    if (Writable(value)) {
        std::u16string text = Utf16Text(value.data);
        text.pop_back();
        return Line(line + Quote(text));
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        const DWORD v = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                        (static_cast<DWORD>(value.data[3]) << 24);
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", v);
        return Line(line + u"dword:" + Widen(hex));
    }
    char prefix[16];
    if (value.type == REG_BINARY)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
    line += Widen(prefix);
    std::vector<BYTE> bytes = value.data;
    if (!version5_ && IsStringType(value.type)) {
        const std::string ansi = codePage_.toNarrow(Utf16Text(value.data));
        bytes.assign(ansi.begin(), ansi.end());
    }
    // Wrapped as regedit does: lines of at most 80 characters, ",\" at the end.
    for (size_t i = 0; i < bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        line += Widen(hex);
        if (i + 1 == bytes.size()) break;
        line += u',';
        if (line.size() - LineStart(line) > 76) line += u"\\\r\n  ";
    }
    Line(line);
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
