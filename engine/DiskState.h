// What a backup keeps of a file or folder besides its contents, and the few
// whole-file reads and writes the backups need, through the file functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace qm {

struct FileTimes {
    FILETIME creation{};
    FILETIME lastAccess{};
    FILETIME lastWrite{};
};

// The times of a file or a folder; nothing when they cannot be read.
std::optional<FileTimes> ReadTimes(const std::string& path);
// Sets them again (a read-only file too).
bool WriteTimes(const std::string& path, const FileTimes& times);
// 48 hex digits (creation, last access, last write), and back.
std::string TimesText(const FileTimes& times);
std::optional<FileTimes> ParseTimes(std::string_view text);

// The entries of a folder without "." and ".."; nothing when it cannot be
// listed (GetLastError says why).
std::optional<std::vector<WIN32_FIND_DATAA>> FolderEntries(const std::string& folder);

// A whole file; nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
// Creates (or replaces) the file with these bytes; false when any is not written.
bool WriteFileBytes(const std::string& path, std::string_view bytes);

// Moves a file; to another volume, copies and then deletes it. True when it
// left its place; `lastError` keeps why it did not.
bool MoveFileAway(const std::string& from, const std::string& to, DWORD& lastError);

// FNV-1a, 64 bits: tells whether a file still holds what it held.
std::uint64_t ContentHash(std::string_view bytes);
std::string HexText(std::uint64_t value);
// Bytes as upper-case hex digits, two a byte.
std::string HexBytes(std::string_view bytes);

}  // namespace qm
