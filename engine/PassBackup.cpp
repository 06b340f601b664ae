// The removal pass's side of its backup: a failed backup reported as the
// item's failure, and the keys and folders a creation is about to make noted
// so that a restore removes them again.
#include "engine/Quarn_link.h"

#include <vector>

#include "engine/Backup.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"

namespace qm {

bool TlinkObject::BackedUp(const std::optional<std::string>& Failure, std::uint8_t Category,
                           std::uint16_t Operation, const std::string& Name, const std::string& Path) {
    if (!Failure) return true;
    AddReportLine(Category, Operation, true, Name, Path, "not changed: the backup failed, " + *Failure);
    return false;
}

std::optional<std::string> TlinkObject::NoteCreatedKeys(const RegistryPathParts& parts, REGSAM View,
                                                        const std::string& Path) {
    if (FBackup == nullptr) return std::nullopt;
    Platform& p = CurrentPlatform();
    // The levels of the path, and how much of it exists already.
    std::vector<std::size_t> ends;
    for (std::size_t at = 0; at <= parts.SubKey.size();) {
        const std::size_t slash = parts.SubKey.find('\\', at);
        const std::size_t end = slash == std::string::npos ? parts.SubKey.size() : slash;
        if (end > at) ends.push_back(end);
        at = end + 1;
    }
    const std::size_t rootLength = Path.size() - parts.SubKey.size();
    for (std::size_t end : ends) {
        RegKey key;
        if (p.RegOpenKeyExA(parts.RootKey, parts.SubKey.substr(0, end).c_str(), 0, KEY_READ | View, key.receive(p)) ==
            ERROR_SUCCESS)
            continue;
        if (auto failure = FBackup->KeyCreated(View, Path.substr(0, rootLength + end))) return failure;
    }
    return std::nullopt;
}

std::optional<std::string> TlinkObject::NoteCreatedFolders(const std::string& Path) {
    if (FBackup == nullptr) return std::nullopt;
    const std::string path = StripTrailingBackslash(Path);
    // The missing folders, from the outermost in.
    std::vector<std::string> missing;
    for (std::string folder = path; !folder.empty() && !DirectoryExists(folder);) {
        missing.push_back(folder);
        const std::string parent = StripTrailingBackslash(ExtractFilePath(folder));
        if (parent == folder) break;
        folder = parent;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (auto failure = FBackup->FolderCreated(*it)) return failure;
    return std::nullopt;
}

}  // namespace qm
