// Searches of the simulated disk: FindFirstFileA, FindNextFileA, FindClose.
#include "platform/sim/DiskRecords.h"

#include <algorithm>
#include <cstring>

#include "platform/sim/DiskNames.h"
#include "platform/sim/DiskPattern.h"

namespace qm::sim {

namespace {

// The last name of the text as written: the parser drops trailing dots, but
// a pattern such as "*." needs its dot.
std::string LastNameAsWritten(const std::string& text) {
    const auto at = text.find_last_of("\\/:");
    return at == std::string::npos ? text : text.substr(at + 1);
}

void CopyName(char* target, std::size_t size, const std::string& name) {
    std::memset(target, 0, size);
    std::memcpy(target, name.data(), std::min(name.size(), size - 1));
}

}  // namespace

std::optional<WIN32_FIND_DATAA> DiskStore::FindDataOf(const std::filesystem::path& folder, FileId folderId,
                                                      std::int64_t folderStamp, const std::string& name,
                                                      const std::filesystem::path& host) {
    struct stat info {};
    if (name.size() >= MAX_PATH || !HostStat(host, info)) return std::nullopt;
    WIN32_FIND_DATAA data;
    data.dwFileAttributes = AttributesOf(IdOf(info), S_ISDIR(info.st_mode), IsHostReadOnly(info));
    data.ftCreationTime = CreationTimeOf(IdOf(info), info);
    data.ftLastAccessTime = FileTimeOf(info.st_atim);
    data.ftLastWriteTime = FileTimeOf(info.st_mtim);
    if (!S_ISDIR(info.st_mode)) {
        const auto size = static_cast<std::uint64_t>(info.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    }
    CopyName(data.cFileName, sizeof data.cFileName, name);
    if (name != "." && name != "..") CopyName(data.cAlternateFileName, sizeof data.cAlternateFileName, AliasIn(folder, folderId, folderStamp, name));
    return data;
}

DWORD DiskStore::FindFirst(HANDLE handle, const std::string& pattern, WIN32_FIND_DATAA& data) {
    Located located;
    if (DWORD error = Locate(pattern, located)) return error;
    FindRecord record;
    record.pattern = pattern;
    if (located.path.trailingSeparator) {
        // "C:\dir\" names no entry: Windows opens the folder and finds nothing.
        return located.IsDirectory() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    if (located.path.IsRoot()) return ERROR_FILE_NOT_FOUND;  // the root is no entry of a folder

    const std::string mask = LastNameAsWritten(pattern);
    const std::filesystem::path& folder = located.parentHost;
    // The folder as the host has it now: a search may be the first to see new names.
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0) return ERROR_PATH_NOT_FOUND;
    const FileId folderId = IdOf(folderInfo);
    const std::int64_t stamp = StampOf(folderInfo);
    if (HasWildcard(mask)) {
        auto add = [&](const std::string& name, const std::filesystem::path& host) {
            if (auto entry = FindDataOf(folder, folderId, stamp, name, host)) record.entries.push_back(*entry);
        };
        if (located.path.parts.size() > 1) {
            // Every folder but a root lists itself and its parent first.
            if (MatchesPattern(mask, ".")) add(".", folder);
            if (MatchesPattern(mask, "..")) add("..", folder.parent_path());
        }
        for (const auto& name : ListFolder(folder)) {
            const std::string alias = AliasIn(folder, folderId, stamp, name);
            if (MatchesPattern(mask, name) || (!alias.empty() && MatchesPattern(mask, alias))) add(name, HostChild(folder, name));
        }
    } else if (located.exists) {
        if (auto entry = FindDataOf(folder, folderId, stamp, located.actual.back(), located.host))
            record.entries.push_back(*entry);
    }
    if (record.entries.empty()) return ERROR_FILE_NOT_FOUND;
    data = record.entries.front();
    record.next = 1;
    finds_[handle] = std::move(record);
    return 0;
}

DWORD DiskStore::FindNext(HANDLE find, WIN32_FIND_DATAA& data) {
    auto it = finds_.find(find);
    if (it == finds_.end()) return ERROR_INVALID_HANDLE;
    FindRecord& record = it->second;
    if (record.next >= record.entries.size()) return ERROR_NO_MORE_FILES;
    data = record.entries[record.next++];
    return 0;
}

bool DiskStore::FindClose(HANDLE find) { return finds_.erase(find) > 0; }

}  // namespace qm::sim
