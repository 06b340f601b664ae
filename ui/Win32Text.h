// Text between the program's 8-bit ANSI strings and the UTF-16 that the
// windows show.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qmui {

// ANSI (the system code page) to UTF-16.
std::wstring Widen(std::string_view text);
// UTF-16 to ANSI; characters the code page lacks become its default character.
std::string Narrow(std::wstring_view text);
// A path as ANSI text that names the same file: the path itself when the code
// page can spell it, otherwise its short (8.3) form.
std::string NarrowPath(const std::wstring& path);
// Line ends as a multi-line label shows them: a carriage return without its
// line feed gets one.
std::wstring WithLineFeeds(std::wstring_view text);
// A window's text.
std::wstring WindowText(HWND window);

}  // namespace qmui
