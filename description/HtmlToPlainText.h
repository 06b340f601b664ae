// The description as plain text, for the command-line front end: the same
// reading of the HTML as HtmlToRtf (see description/HtmlLayout.h), written as
// described in description/PlainTextWriter.h. Links read "text (address)".
// Input and output are Windows-1252.
#pragma once

#include <string>
#include <string_view>

namespace qm {

std::string HtmlToPlainText(std::string_view html);

}  // namespace qm
