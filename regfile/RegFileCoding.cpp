// The encodings of .reg file text.
#include "regfile/RegFileCoding.h"

namespace qm::regfile {

std::optional<std::u16string> FromUtf8(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= bytes.size()) return std::nullopt;
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

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

DecodedText DecodeText(std::string_view bytes, const CodePage& codePage) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        DecodedText decoded{{}, TextEncoding::Utf16};
        decoded.text.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            decoded.text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        return decoded;
    }
    const bool utf8Mark = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (utf8Mark) bytes.remove_prefix(3);
    // Version 5 text may be UTF-8; REGEDIT4 text (and anything not UTF-8) is in the code page.
    if (bytes.substr(0, 8) != "REGEDIT4")
        if (auto text = FromUtf8(bytes)) return {std::move(*text), TextEncoding::Utf8};
    return {codePage.toWide(bytes), TextEncoding::CodePage};
}

std::string EncodeText(std::u16string_view text, TextEncoding encoding, const CodePage& codePage) {
    switch (encoding) {
        case TextEncoding::Utf16: {
            std::string bytes;
            bytes.reserve(text.size() * 2);
            for (char16_t c : text) {
                bytes.push_back(static_cast<char>(c & 0xFF));
                bytes.push_back(static_cast<char>(c >> 8));
            }
            return bytes;
        }
        case TextEncoding::Utf8: return ToUtf8(text);
        case TextEncoding::CodePage: break;
    }
    return codePage.toNarrow(text);
}

std::u16string HexList(std::string_view bytes) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string list;
    list.reserve(bytes.size() * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) list += u',';
        const auto b = static_cast<unsigned char>(bytes[i]);
        list += kDigits[b >> 4];
        list += kDigits[b & 0xF];
    }
    return list;
}

}  // namespace qm::regfile
