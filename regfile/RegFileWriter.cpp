// Writing .reg files: the lines of keys and values, plain or with their exact form.
#include <cstdio>

#include "regfile/RegFileCoding.h"
#include "regfile/RegFileText.h"

namespace qm::regfile {

namespace {

std::u16string Widen(const char* ascii) { return std::u16string(ascii, ascii + std::char_traits<char>::length(ascii)); }

bool HasControl(std::u16string_view text) {
    for (char16_t c : text)
        if (c < 0x20) return true;
    return false;
}

// Whether text reads back unchanged from a file of that format.
bool Writable(std::u16string_view text, RegFileFormat format, const CodePage& codePage) {
    return format == RegFileFormat::Version5 || codePage.toWide(codePage.toNarrow(text)) == text;
}

// Text as close as a plain line can hold it: control characters as '?'.
std::u16string Printable(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        if (c < 0x20) c = u'?';
    return out;
}

std::string AsBytes(const std::vector<BYTE>& data) { return std::string(data.begin(), data.end()); }

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

// Whether string data can be written as "text" and read back unchanged.
bool QuotedWritable(const RegFileValue& value, RegFileFormat format, const CodePage& codePage) {
    if (value.type != REG_SZ || value.data.size() < 2 || value.data.size() % 2 != 0) return false;
    std::u16string text = Utf16Text(value.data);
    if (text.back() != u'\0') return false;
    text.pop_back();
    return !HasControl(text) && Writable(text, format, codePage);  // no zero inside the text either
}

// Whether the plain line keeps the data exactly.
bool DataWritable(const RegFileValue& value, RegFileFormat format, const CodePage& codePage) {
    if (format == RegFileFormat::Version5 || !IsStringType(value.type)) return true;
    return value.data.size() % 2 == 0 && Writable(Utf16Text(value.data), format, codePage);
}

// The plain line of a value, as regedit writes it.
std::u16string PlainValueLine(const RegFileValue& value, std::u16string_view name, RegFileFormat format,
                              const CodePage& codePage) {
    std::u16string line = name.empty() ? u"@=" : Quote(name) + u"=";
    if (QuotedWritable(value, format, codePage)) {
        std::u16string text = Utf16Text(value.data);
        text.pop_back();
        return line + Quote(text);
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        const DWORD v = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                        (static_cast<DWORD>(value.data[3]) << 24);
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", v);
        return line + u"dword:" + Widen(hex);
    }
    char prefix[16];
    if (value.type == REG_BINARY)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
    line += Widen(prefix);
    std::vector<BYTE> bytes = value.data;
    if (format == RegFileFormat::Regedit4 && IsStringType(value.type)) {
        const std::string ansi = codePage.toNarrow(Utf16Text(value.data));
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
    return line;
}

}  // namespace

std::u16string KeyLines(std::u16string_view path, RegFileFormat format, const CodePage& codePage) {
    if (!HasControl(path) && Writable(path, format, codePage)) return u"[" + std::u16string(path) + u"]\r\n";
    const std::vector<BYTE> bytes = Utf16Bytes(path);
    return std::u16string(kExactKey) + HexList(AsBytes(bytes)) + u"\r\n[" + Printable(path) + u"]\r\n";
}

std::u16string ValueLines(const RegFileValue& value, RegFileFormat format, const CodePage& codePage) {
    const bool nameWritable = !HasControl(value.name) && Writable(value.name, format, codePage);
    if (nameWritable && DataWritable(value, format, codePage))
        return PlainValueLine(value, value.name, format, codePage) + u"\r\n";
    char type[16];
    std::snprintf(type, sizeof type, "%x:", static_cast<unsigned>(value.type));
    const std::u16string exact = std::u16string(kExactValue) + HexList(AsBytes(Utf16Bytes(value.name))) + u"=" +
                                 Widen(type) + HexList(AsBytes(value.data)) + u"\r\n";
    return exact + PlainValueLine(value, Printable(value.name), format, codePage) + u"\r\n";
}

RegFileWriter::RegFileWriter(RegFileFormat format, const CodePage& codePage) : format_(format), codePage_(codePage) {
    Line(format == RegFileFormat::Version5 ? kHeader5 : kHeader4);
    Line(u"");
}

void RegFileWriter::Key(std::u16string_view path) {
    if (keyOpen_) Line(u"");
    text_ += KeyLines(path, format_, codePage_);
    keyOpen_ = true;
}

void RegFileWriter::Value(const RegFileValue& value) { text_ += ValueLines(value, format_, codePage_); }

std::string RegFileWriter::Bytes() const {
    std::u16string text = text_;
    if (keyOpen_) text += u"\r\n";  // the blank line after the last key
    if (format_ == RegFileFormat::Regedit4) return EncodeText(text, TextEncoding::CodePage, codePage_);
    return "\xFF\xFE" + EncodeText(text, TextEncoding::Utf16, codePage_);
}

void RegFileWriter::Line(std::u16string_view line) {
    text_ += line;
    text_ += u"\r\n";
}

}  // namespace qm::regfile
