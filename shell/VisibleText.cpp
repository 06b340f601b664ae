// Text made safe to print, and code-page text as UTF-8.
#include "shell/VisibleText.h"

#include <cstdio>

#include "engine/RegistryFiles.h"
#include "regfile/RegFileText.h"

namespace qm {

std::string VisibleText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte < 0xA0)) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string Utf8FromCodePage(std::string_view text) {
    return regfile::ToUtf8(WideValueName(std::string(text)));
}

}  // namespace qm
