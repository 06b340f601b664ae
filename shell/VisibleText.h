// Text from a removal script made safe to print: control characters (and
// the C1 range, which some terminals obey as escapes) shown as \xNN. A
// script's names then can neither clear a terminal nor forge a line of a
// report.
#pragma once

#include <string>
#include <string_view>

namespace qm {

std::string VisibleText(std::string_view text);

// Code-page text (what the registry and file functions give the program)
// as UTF-8, through the platform's conversion.
std::string Utf8FromCodePage(std::string_view text);

}  // namespace qm
