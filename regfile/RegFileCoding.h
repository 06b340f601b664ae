// How the text of a .reg file is stored: UTF-16LE with a byte-order mark (as
// regedit writes Version 5 files), UTF-8 (a Version 5 file written by hand)
// or the system code page (REGEDIT4, and anything that is not UTF-8). Shared
// by the reader, the writer and the editor of regfile/; not a public header.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "regfile/RegFileText.h"

namespace qm::regfile {

enum class TextEncoding { Utf16, Utf8, CodePage };

struct DecodedText {
    std::u16string text;  // without the byte-order mark
    TextEncoding encoding = TextEncoding::CodePage;
};

DecodedText DecodeText(std::string_view bytes, const CodePage& codePage);
// The bytes of text in that encoding, without a byte-order mark.
std::string EncodeText(std::u16string_view text, TextEncoding encoding, const CodePage& codePage);

std::optional<std::u16string> FromUtf8(std::string_view bytes);

// Bytes as regedit lists them: "01,ab,ff".
std::u16string HexList(std::string_view bytes);

}  // namespace qm::regfile
