// ANSI names of the simulated disk and their UTF-8 spelling on the host.
#include "platform/sim/DiskNames.h"

#include <optional>

#include <sys/stat.h>

#include "platform/sim/CodePage.h"

namespace qm::sim {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
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

// UTF-8 as UTF-16, or nothing when the bytes are not well-formed UTF-8.
std::optional<std::u16string> DecodeUtf8(std::string_view text) {
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

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::string HostName(std::string_view ansiName) {
    if (IsAscii(ansiName)) return std::string(ansiName);
    std::string out;
    for (char16_t c : AnsiToUtf16(ansiName)) AppendUtf8(out, c);  // 1252 has no surrogates
    return out;
}

std::filesystem::path HostChild(const std::filesystem::path& folder, std::string_view ansiName) {
    std::filesystem::path utf8 = folder / HostName(ansiName);
    if (IsAscii(ansiName)) return utf8;
    struct stat info {};
    if (::lstat(utf8.c_str(), &info) == 0) return utf8;
    std::filesystem::path bytes = folder / std::string(ansiName);
    return ::lstat(bytes.c_str(), &info) == 0 ? bytes : utf8;
}

std::string AnsiName(std::string_view hostName) {
    if (IsAscii(hostName)) return std::string(hostName);
    if (auto wide = DecodeUtf8(hostName)) return Utf16ToAnsi(*wide);
    return std::string(hostName);
}

}  // namespace qm::sim
