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

// The first line of each format, and the comments that carry a key's or a
// value's exact form where the plain line cannot (written and read back).
inline constexpr std::u16string_view kHeader4 = u"REGEDIT4";
inline constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
inline constexpr std::u16string_view kExactKey = u";Quellmar-exact key: ";
inline constexpr std::u16string_view kExactValue = u";Quellmar-exact value: ";

enum class TextEncoding { Utf16, Utf8, CodePage };

struct DecodedText {
    std::u16string text;  // without the byte-order mark
    TextEncoding encoding = TextEncoding::CodePage;
};

DecodedText DecodeText(std::string_view bytes, const CodePage& codePage);
// The bytes of text in that encoding, without a byte-order mark.
std::string EncodeText(std::u16string_view text, TextEncoding encoding, const CodePage& codePage);

// Bytes as regedit lists them: "01,ab,ff".
std::u16string HexList(std::string_view bytes);

}  // namespace qm::regfile
