// Text inside an RTF document: '\', '{' and '}' escaped, characters of
// Windows-1252 above 0x7F as \'hh, and characters beyond that code page as
// \uN followed by a '?' for readers without Unicode (the document declares
// \uc1). Control characters are left out.
#pragma once

#include <string>
#include <string_view>

namespace qm {

void AppendRtfText(std::string& out, std::u32string_view text);

}  // namespace qm
