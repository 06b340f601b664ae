// Formatting texts and data blocks as source.
#include "tools/script/ScriptFormat.h"

#include <algorithm>
#include <vector>

#include "tools/script/ScriptNames.h"

namespace qm::script {

namespace {

constexpr std::size_t kTextPiece = 64;  // at most this many bytes of text per source line
constexpr std::size_t kShortText = 80;  // texts up to this long stay on one line
constexpr std::size_t kHexPiece = 16;   // bytes of hex per source line

bool Printable(unsigned char c) { return c >= 0x20 && c <= 0x7E; }

std::string Escaped(std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\0': out += "\\0"; break;
            default:
                if (Printable(c)) {
                    out += ch;
                } else {
                    out += "\\x";
                    out += kDigits[c >> 4];
                    out += kDigits[c & 0xF];
                }
        }
    }
    return out + "\"";
}

// Splits after line ends and before kTextPiece bytes, preferably after a
// blank or a '>' so that words and tags stay whole. Short texts stay whole.
std::vector<std::string_view> Pieces(std::string_view text) {
    const std::size_t innerLineEnd = text.substr(0, text.empty() ? 0 : text.size() - 1).find('\n');
    if (text.size() <= kShortText && innerLineEnd == std::string_view::npos) return {text};
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.size(), start + kTextPiece);
        const std::size_t lineEnd = text.substr(start, end - start).find('\n');
        if (lineEnd != std::string_view::npos) {
            end = start + lineEnd + 1;
        } else if (end < text.size()) {
            const std::size_t soft = text.substr(start, end - start).find_last_of(" >");
            if (soft != std::string_view::npos && soft >= kTextPiece / 2) end = start + soft + 1;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end;
    }
    return pieces;
}

std::string Hex(const Bytes& data, const std::string& indent) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t start = 0; start < data.size(); start += kHexPiece) {
        if (start > 0) out += "\n" + indent + "+ ";
        out += "hex \"";
        for (std::size_t i = start; i < data.size() && i < start + kHexPiece; ++i) {
            if (i > start) out += ' ';
            out += kDigits[data[i] >> 4];
            out += kDigits[data[i] & 0xF];
        }
        out += '"';
    }
    return out;
}

std::uint64_t LittleEndian(const Bytes& data) {
    std::uint64_t value = 0;
    for (std::size_t i = data.size(); i-- > 0;) value = (value << 8) | data[i];
    return value;
}

std::string Number(std::uint64_t value) {
    return value < 0x10000 ? std::to_string(value) : HexNumber(value, value <= 0xFFFFFFFFu ? 8 : 16);
}

}  // namespace

std::string FormatText(std::string_view text, const std::string& indent) {
    bool printable = true;
    for (char c : text) printable = printable && Printable(static_cast<unsigned char>(c));
    const bool verbatim =
        printable && text.find('\\') != std::string_view::npos && text.find('\'') == std::string_view::npos;
    std::string out;
    for (std::string_view piece : Pieces(text)) {
        if (!out.empty()) out += "\n" + indent + "+ ";
        out += verbatim ? "'" + std::string(piece) + "'" : Escaped(piece);
    }
    return out;
}

std::string FormatData(const Bytes& data, DataHint hint, const std::string& indent) {
    if (data.empty()) return "\"\"";
    if (hint == DataHint::Dword && data.size() == 4) return "dword " + Number(LittleEndian(data));
    if (hint == DataHint::Qword && data.size() == 8) return "qword " + Number(LittleEndian(data));
    const auto textByte = [&](std::uint8_t c) {
        return Printable(c) || c == '\t' || c == '\r' || c == '\n' ||
               (c == 0 && (hint == DataHint::StringType || hint == DataHint::WideStringType));
    };
    if (hint == DataHint::WideStringType && data.size() % 2 == 0) {
        // UTF-16LE of plain ASCII: every high byte zero.
        std::string units;
        bool ascii = true;
        for (std::size_t i = 0; i < data.size() && ascii; i += 2) {
            ascii = data[i + 1] == 0 && textByte(data[i]);
            units += static_cast<char>(data[i]);
        }
        if (ascii) return "utf16 " + FormatText(units, indent);
    }
    bool text = true;
    for (std::uint8_t c : data) text = text && textByte(c);
    if (text) return FormatText(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), indent);
    return Hex(data, indent);
}

DataHint HintForRecord(std::uint16_t type, std::uint16_t kind) {
    if (kind == kKindFile && (type & 0xFF) == kOpChange) return DataHint::Dword;
    switch (kind) {
        case 1:  // REG_SZ
        case 2:  // REG_EXPAND_SZ
        case 7:  // REG_MULTI_SZ
            return (type >> 8) == kWideNameByte ? DataHint::WideStringType : DataHint::StringType;
        case 4: return DataHint::Dword;   // REG_DWORD
        case 11: return DataHint::Qword;  // REG_QWORD
        default: return DataHint::Plain;
    }
}

}  // namespace qm::script
