// The encodings of .reg file text.
#include "regfile/RegFileCoding.h"

namespace qm::regfile {

std::optional<std::u16string> FromUtf8(std::string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + length > text.size()) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
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
