// Changes to the tree of the simulated disk: folders made and removed, files
// deleted, moves and renames, and the shell's deletion of whole folders.
#include "platform/sim/DiskRecords.h"

#include <algorithm>
#include <cerrno>
#include <set>
#include <system_error>

#include <unistd.h>

#include "platform/sim/DiskNames.h"
#include "platform/sim/DiskPattern.h"

namespace qm::sim {

namespace {

bool LastIsPattern(const WindowsPath& path) { return !path.IsRoot() && HasWildcard(path.parts.back()); }

}  // namespace

bool DiskStore::IsCurrentDirectory(FileId id) {
    Located current;
    return Locate(currentDirectory_, current) == 0 && current.exists && current.id == id;
}

DWORD DiskStore::CreateDirectory(const std::string& path) {
    Located folder;
    if (DWORD error = Locate(path, folder)) return error;
    if (folder.path.IsRoot()) return ERROR_ACCESS_DENIED;
    if (LastIsPattern(folder.path)) return ERROR_INVALID_NAME;
    if (folder.exists) return ERROR_ALREADY_EXISTS;
    if (folder.writeProtected) return ERROR_WRITE_PROTECT;
    {
        HostWriteAccess writable(folder.parentHost);
        if (::mkdir(folder.host.c_str(), 0777) != 0) return ErrorFromErrno(errno);
    }
    NoteChanges(folder, {{folder.actual.back(), true}});
    struct stat info {};
    if (HostStat(folder.host, info)) RememberAttributes(IdOf(info), 0);
    AliasOf(folder.parentHost, folder.actual.back());
    return 0;
}

DWORD DiskStore::RemoveDirectory(const std::string& path) {
    Located folder;
    if (DWORD error = Locate(path, folder)) return error;
    if (LastIsPattern(folder.path)) return ERROR_INVALID_NAME;
    if (!folder.exists) return ERROR_FILE_NOT_FOUND;
    if (!folder.IsDirectory()) return kErrorDirectory;
    if (folder.path.IsRoot() || folder.readOnly) return ERROR_ACCESS_DENIED;
    if (folder.writeProtected) return ERROR_WRITE_PROTECT;
    if (folder.link) return RemoveLink(folder);  // the link goes, not what it leads to
    if (!ListFolder(folder.host).empty()) return ERROR_DIR_NOT_EMPTY;
    if (IsCurrentDirectory(folder.id)) return ERROR_SHARING_VIOLATION;  // the process holds it open
    {
        HostWriteAccess writable(folder.parentHost);
        if (::rmdir(folder.host.c_str()) != 0) return ErrorFromErrno(errno);
    }
    NoteChanges(folder, {{folder.actual.back(), false}});
    ForgetAttributes(folder.id);
    ForgetFolder(folder.id);
    return 0;
}

DWORD DiskStore::RemoveLink(const Located& link) {
    {
        HostWriteAccess writable(link.parentHost);
        if (::unlink(link.host.c_str()) != 0) return ErrorFromErrno(errno);
    }
    NoteChanges(link, {{link.actual.back(), false}});
    return 0;
}

DWORD DiskStore::DeleteFile(const std::string& path) {
    Located file;
    if (DWORD error = Locate(path, file)) return error;
    if (file.path.IsRoot()) return ERROR_ACCESS_DENIED;
    if (LastIsPattern(file.path)) return ERROR_INVALID_NAME;
    if (!file.exists) return ERROR_FILE_NOT_FOUND;
    if (file.IsDirectory()) return ERROR_ACCESS_DENIED;
    if (file.path.trailingSeparator) return ERROR_INVALID_NAME;
    return RemoveFile(file, false);
}

// force: the shell's way, which deletes read-only files too.
DWORD DiskStore::RemoveFile(const Located& file, bool force) {
    if (file.writeProtected) return ERROR_WRITE_PROTECT;
    if (const InUseMark* mark = MarkOf(file)) return mark->error;
    if (file.link) return RemoveLink(file);
    if (IsOpenWithoutShareDelete(file.id)) return ERROR_SHARING_VIOLATION;
    if (!force && file.readOnly) return ERROR_ACCESS_DENIED;
    {
        HostWriteAccess writable(file.parentHost);
        if (::unlink(file.host.c_str()) != 0) return ErrorFromErrno(errno);
    }
    NoteChanges(file, {{file.actual.back(), false}});
    ForgetAttributes(file.id);
    return 0;
}

DWORD DiskStore::RemoveTree(const Located& folder) {
    if (folder.writeProtected) return ERROR_WRITE_PROTECT;
    if (folder.link) return RemoveLink(folder);
    for (const auto& name : ListFolder(folder.host)) {
        WindowsPath childPath = folder.path;
        childPath.parts.push_back(name);
        childPath.trailingSeparator = false;
        Located child;
        if (DWORD error = LocateParsed(childPath, child)) return error;
        if (!child.exists) continue;
        if (DWORD error = child.IsDirectory() ? RemoveTree(child) : RemoveFile(child, true)) return error;
    }
    if (IsCurrentDirectory(folder.id)) return ERROR_SHARING_VIOLATION;
    if (folder.readOnly) SetHostReadOnly(folder.host, false);
    {
        HostWriteAccess writable(folder.parentHost);
        if (::rmdir(folder.host.c_str()) != 0) return ErrorFromErrno(errno);
    }
    NoteChanges(folder, {{folder.actual.back(), false}});
    ForgetAttributes(folder.id);
    ForgetFolder(folder.id);
    return 0;
}

DWORD DiskStore::ShellDelete(const std::string& path, bool filesOnly) {
    Located target;
    if (DWORD error = Locate(path, target)) return error;
    if (target.path.IsRoot()) return ERROR_ACCESS_DENIED;
    if (!LastIsPattern(target.path)) {
        if (!target.exists) return ERROR_FILE_NOT_FOUND;
        return target.IsDirectory() ? RemoveTree(target) : RemoveFile(target, true);
    }
    // A pattern deletes what matches; matching nothing is no error.
    const std::string mask = target.path.parts.back();
    for (const auto& name : ListFolder(target.parentHost)) {
        if (!MatchesPattern(mask, name)) continue;
        WindowsPath itemPath = target.path;
        itemPath.parts.back() = name;
        Located item;
        if (DWORD error = LocateParsed(itemPath, item)) return error;
        if (!item.exists || (filesOnly && item.IsDirectory())) continue;
        if (DWORD error = item.IsDirectory() ? RemoveTree(item) : RemoveFile(item, true)) return error;
    }
    return 0;
}

bool DiskStore::TreeIsBusy(const Located& folder) const {
    const std::string prefix = folder.Key() + "\\";
    if (std::any_of(marks_.begin(), marks_.end(),
                    [&](const InUseMark& mark) { return mark.key.starts_with(prefix); }))
        return true;
    std::set<FileId> open;
    for (const auto& entry : files_) open.insert(entry.second->id);
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(folder.host, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat info {};
        if (HostStat(it->path(), info) && open.count(IdOf(info))) return true;
    }
    return false;
}

void DiskStore::MoveMarks(const std::string& fromKey, const std::string& toKey, bool folder) {
    for (auto& mark : marks_) {
        if (mark.key == fromKey)
            mark.key = toKey;
        else if (folder && mark.key.starts_with(fromKey + "\\"))
            mark.key = toKey + mark.key.substr(fromKey.size());
    }
}

DWORD DiskStore::MoveFile(const std::string& existing, const std::string& newName, DWORD flags) {
    Located from;
    if (DWORD error = Locate(existing, from)) return error;
    if (from.path.IsRoot()) return ERROR_ACCESS_DENIED;
    if (LastIsPattern(from.path)) return ERROR_INVALID_NAME;
    if (!from.exists) return ERROR_FILE_NOT_FOUND;
    Located to;
    if (DWORD error = Locate(newName, to)) return error;
    if (to.path.IsRoot()) return ERROR_ACCESS_DENIED;
    if (LastIsPattern(to.path)) return ERROR_INVALID_NAME;
    if (from.writeProtected || to.writeProtected) return ERROR_WRITE_PROTECT;

    // A new spelling of the same entry is a rename in place.
    const bool sameEntry = to.exists && to.id == from.id && to.parentHost == from.parentHost;
    const std::string& givenName = to.path.parts.back();
    const std::filesystem::path target = to.parentHost / HostName(givenName);
    if (to.exists && !sameEntry) {
        if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) return ERROR_ALREADY_EXISTS;
        if (to.IsDirectory() || from.IsDirectory() || to.readOnly) return ERROR_ACCESS_DENIED;
        if (const InUseMark* mark = MarkOf(to)) return mark->error;
        if (IsOpenWithoutShareDelete(to.id)) return ERROR_SHARING_VIOLATION;
    }
    if (from.IsDirectory() && !from.link) {
        if (to.Key().starts_with(from.Key() + "\\")) return ERROR_SHARING_VIOLATION;  // into itself
        if (TreeIsBusy(from)) return ERROR_ACCESS_DENIED;
    } else {
        // A running program's image may be renamed; a file held open may not.
        const InUseMark* mark = MarkOf(from);
        if (mark && mark->error != ERROR_ACCESS_DENIED) return mark->error;
        if (IsOpenWithoutShareDelete(from.id)) return ERROR_SHARING_VIOLATION;
    }
    if (sameEntry && from.host == target) return 0;

    Located moved = to;
    moved.actual.back() = givenName;
    {
        HostWriteAccess fromWritable(from.parentHost);
        HostWriteAccess toWritable(to.parentHost);
        // The host also wants to rewrite the ".." of a folder that changes parent.
        HostWriteAccess folderWritable(from.IsDirectory() ? from.host : std::filesystem::path());
        if (to.exists && !sameEntry) {
            ForgetAttributes(to.id);
            if (to.host != target) ::unlink(to.host.c_str());  // replaced under another spelling
        }
        if (::rename(from.host.c_str(), target.c_str()) == 0) {
            folderWritable.MovedTo(target);
        } else {
            if (errno != EXDEV) return ErrorFromErrno(errno);
            if (DWORD error = MoveAcrossDevices(from, target, flags)) return error;
        }
    }
    // Both folders' name indexes learn of the move (one folder: both changes at once).
    std::vector<std::pair<std::string, bool>> changes{{from.actual.back(), false}};
    if (to.exists && !sameEntry) changes.emplace_back(to.actual.back(), false);
    if (to.parentId == from.parentId) {
        changes.emplace_back(givenName, true);
        NoteChanges(from, changes);
    } else {
        NoteChanges(from, changes);
        NoteChanges(to, {{to.exists ? to.actual.back() : givenName, false}, {givenName, true}});
    }
    MoveMarks(from.Key(), moved.Key(), from.IsDirectory());
    AliasOf(to.parentHost, givenName);
    return 0;
}

DWORD DiskStore::MoveAcrossDevices(const Located& from, const std::filesystem::path& to, DWORD flags) {
    if (from.IsDirectory() || (flags & MOVEFILE_COPY_ALLOWED) == 0) return kErrorNotSameDevice;
    std::error_code ec;
    std::filesystem::copy_file(from.host, to, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) return ErrorFromErrno(ec.value());
    struct stat info {};
    if (HostStat(to, info)) RememberAttributes(IdOf(info), AttributesOf(from));
    if (::unlink(from.host.c_str()) != 0) return ErrorFromErrno(errno);
    ForgetAttributes(from.id);
    return 0;
}

}  // namespace qm::sim
