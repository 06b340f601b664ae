// Windows path texts of the simulated machine, taken apart without touching
// the disk: drive, folder names, "." and "..", current directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace qm::sim {

// A full path: drive letter and the names below its root, "." and ".." already
// resolved. The names keep the spelling they were given.
struct WindowsPath {
    char drive = 'C';                // upper case
    std::vector<std::string> parts;  // empty for the root of the drive
    bool trailingSeparator = false;  // the text ended with "\" or "/"

    // "C:\a\b"; the root is "C:\".
    std::string Text() const;
    // The same path without its last name (the root stays the root).
    WindowsPath Parent() const;
    bool IsRoot() const { return parts.empty(); }
};

// Makes a full path of text, relative to currentDirectory (a full path such as
// "C:\work") where the text is relative. Accepts "/" for "\", "X:\..." (full),
// "X:name" (relative to the current directory when X is its drive, else to the
// root of X), "\..." (root of the current drive), "\\?\X:\..." (the prefix is
// dropped). Trailing dots and blanks of the last name are removed, as Windows
// does. Returns 0, or the error Windows gives for such a text: an empty text
// ERROR_PATH_NOT_FOUND, a network path ERROR_BAD_NETPATH, a bad drive
// ERROR_INVALID_NAME.
DWORD ParseWindowsPath(std::string_view text, std::string_view currentDirectory, WindowsPath& out);

// Name comparison as the file system does it: without regard to case (the
// letters of the system code page, é as É).
bool SameName(std::string_view a, std::string_view b);
std::string UpperName(std::string_view name);
bool HasWildcard(std::string_view name);

inline constexpr DWORD kErrorBadNetPath = 53;  // ERROR_BAD_NETPATH

}  // namespace qm::sim
