// Windows path texts taken apart: drive, names, "." and "..".
#include "platform/sim/DiskPath.h"

#include "platform/sim/CodePage.h"

namespace qm::sim {

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Adds the names of text (split at separators) to parts, resolving "." and "..".
void AppendNames(std::string_view text, std::vector<std::string>& parts) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = start;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        const std::string_view name = text.substr(start, end - start);
        if (name == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!name.empty() && name != ".") {
            parts.emplace_back(name);
        }
        start = end + 1;
    }
}

}  // namespace

std::string WindowsPath::Text() const {
    std::string text{drive, ':', '\\'};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += '\\';
        text += parts[i];
    }
    return text;
}

WindowsPath WindowsPath::Parent() const {
    WindowsPath parent = *this;
    if (!parent.parts.empty()) parent.parts.pop_back();
    parent.trailingSeparator = false;
    return parent;
}

DWORD ParseWindowsPath(std::string_view text, std::string_view currentDirectory, WindowsPath& out) {
    out = WindowsPath{};
    if (text.empty()) return ERROR_PATH_NOT_FOUND;

    // "\\?\C:\x" names C:\x; any other "\\..." is a network path.
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
        if (text.size() >= 4 && (text[2] == '?' || text[2] == '.') && IsSeparator(text[3]))
            text.remove_prefix(4);
        else
            return kErrorBadNetPath;
    }
    out.trailingSeparator = IsSeparator(text.back());

    WindowsPath current;
    if (currentDirectory.size() >= 2 && currentDirectory[1] == ':') {
        current.drive = UpperAscii(currentDirectory[0]);
        AppendNames(currentDirectory.substr(2), current.parts);
    }

    std::string_view rest = text;
    if (rest.size() >= 2 && rest[1] == ':') {
        if (!IsDriveLetter(rest[0])) return ERROR_INVALID_NAME;
        out.drive = UpperAscii(rest[0]);
        rest.remove_prefix(2);
        if (rest.empty() || !IsSeparator(rest[0])) {
            // "X:name": relative to the current directory of that drive.
            if (out.drive == current.drive) out.parts = current.parts;
        }
    } else if (IsSeparator(rest[0])) {
        out.drive = current.drive;
    } else {
        out.drive = current.drive;
        out.parts = current.parts;
    }
    AppendNames(rest, out.parts);

    // Windows drops trailing dots and blanks from the last name ("a." is "a").
    if (!out.parts.empty()) {
        std::string& last = out.parts.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.pop_back();
        if (last.empty()) out.parts.pop_back();
    }
    return 0;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AnsiUpper(a[i]) != AnsiUpper(b[i])) return false;
    return true;
}

std::string UpperName(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) c = AnsiUpper(c);
    return upper;
}

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

}  // namespace qm::sim
