// Text between the program's 8-bit ANSI strings and the UTF-16 that the
// windows show.
#include <windows.h>

#include "ui/Win32Text.h"

#include <climits>

namespace qmui {

std::wstring Widen(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return wide;
}

namespace {

std::string NarrowReporting(std::wstring_view text, bool* lossy) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), length, nullptr, lossy ? &usedDefault : nullptr);
    if (lossy) *lossy = usedDefault != FALSE;
    return narrow;
}

}  // namespace

std::string Narrow(std::wstring_view text) { return NarrowReporting(text, nullptr); }

std::string NarrowPath(const std::wstring& path) {
    bool lossy = false;
    std::string narrow = NarrowReporting(path, &lossy);
    if (!lossy) return narrow;
    // The ANSI functions behind the program cannot open a name the code page
    // cannot spell; the short name is plain ASCII.
    wchar_t shortPath[MAX_PATH + 1] = {};
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return narrow;
    return Narrow(std::wstring_view(shortPath, length));
}

std::wstring WithLineFeeds(std::wstring_view text) {
    std::wstring shown;
    shown.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        shown += text[i];
        if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n')) shown += L'\n';
    }
    return shown;
}

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

}  // namespace qmui
