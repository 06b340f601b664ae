// File times, whole-file reads and writes, content hashes.
#include "engine/DiskState.h"

#include <cstdio>
#include <vector>

#include "platform/Handles.h"
#include "platform/Platform.h"

namespace qm {

namespace {

// A file or a folder opened for its times only, whatever else holds it.
FileHandle OpenForTimes(const std::string& path) {
    Platform& p = CurrentPlatform();
    return FileHandle(p, p.CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0));
}

std::string TimeText(const FILETIME& time) {
    char text[17];
    std::snprintf(text, sizeof text, "%08lX%08lX", static_cast<unsigned long>(time.dwHighDateTime),
                  static_cast<unsigned long>(time.dwLowDateTime));
    return text;
}

std::optional<DWORD> HexWord(std::string_view text) {
    DWORD value = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<DWORD>(digit);
    }
    return value;
}

}  // namespace

std::optional<FileTimes> ReadTimes(const std::string& path) {
    const FileHandle file = OpenForTimes(path);
    if (!file) return std::nullopt;
    FileTimes times;
    if (!CurrentPlatform().GetFileTime(file.get(), &times.creation, &times.lastAccess, &times.lastWrite))
        return std::nullopt;
    return times;
}

bool WriteTimes(const std::string& path, const FileTimes& times) {
    const FileHandle file = OpenForTimes(path);
    return file && CurrentPlatform().SetFileTime(file.get(), &times.creation, &times.lastAccess, &times.lastWrite);
}

std::string TimesText(const FileTimes& times) {
    return TimeText(times.creation) + TimeText(times.lastAccess) + TimeText(times.lastWrite);
}

std::optional<FileTimes> ParseTimes(std::string_view text) {
    if (text.size() != 48) return std::nullopt;
    FileTimes times;
    FILETIME* parts[] = {&times.creation, &times.lastAccess, &times.lastWrite};
    for (int i = 0; i < 3; ++i) {
        const auto high = HexWord(text.substr(i * 16, 8));
        const auto low = HexWord(text.substr(i * 16 + 8, 8));
        if (!high || !low) return std::nullopt;
        parts[i]->dwHighDateTime = *high;
        parts[i]->dwLowDateTime = *low;
    }
    return times;
}

std::optional<std::vector<WIN32_FIND_DATAA>> FolderEntries(const std::string& folder) {
    Platform& p = CurrentPlatform();
    WIN32_FIND_DATAA found;
    FindHandle find(p, p.FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!find) return std::nullopt;
    std::vector<WIN32_FIND_DATAA> entries;
    do {
        const std::string_view name = found.cFileName;
        if (name != "." && name != "..") entries.push_back(found);
    } while (p.FindNextFileA(find.get(), &found));
    return entries;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    Platform& p = CurrentPlatform();
    const FileHandle file(p, p.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0));
    if (!file) return std::nullopt;
    std::string bytes;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD read = 0;
        if (!p.ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return std::nullopt;
        if (read == 0) break;
        bytes.append(buffer.data(), read);
    }
    return bytes;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
    Platform& p = CurrentPlatform();
    const FileHandle file(p, p.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, 0));
    if (!file) return false;
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        DWORD written = 0;
        if (!p.WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) || written != chunk) return false;
        bytes.remove_prefix(chunk);
    }
    return true;
}

bool MoveFileAway(const std::string& from, const std::string& to, DWORD& lastError) {
    Platform& p = CurrentPlatform();
    if (p.MoveFileExA(from.c_str(), to.c_str(), 0)) return true;
    lastError = p.GetLastError();
    if (lastError != static_cast<DWORD>(ERROR_NOT_SAME_DEVICE)) return false;
    if (!p.CopyFileA(from.c_str(), to.c_str(), TRUE)) {
        lastError = p.GetLastError();
        return false;
    }
    if (p.DeleteFileA(from.c_str())) return true;
    lastError = p.GetLastError();
    p.DeleteFileA(to.c_str());
    return false;
}

std::uint64_t ContentHash(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string HexBytes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        text += kDigits[c >> 4];
        text += kDigits[c & 15];
    }
    return text;
}

std::string HexText(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace qm
