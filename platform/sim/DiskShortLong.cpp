// Short and long paths of the simulated disk: GetShortPathNameA and
// GetLongPathNameA walk the path once, name by name, so their cost grows with
// the path's length and no faster.
#include <fcntl.h>

#include "platform/sim/DiskNames.h"
#include "platform/sim/DiskRecords.h"

namespace qm::sim {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

DWORD DiskStore::ShortPath(const std::string& path, std::string& shortPath) { return MapNames(path, true, shortPath); }

DWORD DiskStore::LongPath(const std::string& path, std::string& longPath) { return MapNames(path, false, longPath); }

DWORD DiskStore::MapNames(const std::string& path, bool toShort, std::string& out) {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    if (HasWildcard(path)) return ERROR_INVALID_NAME;
    // The prefix (drive, root) is copied; then each name is checked in turn,
    // so the first missing one ends the walk with ERROR_FILE_NOT_FOUND.
    std::size_t at = 0;
    if (path.size() >= 2 && path[1] == ':') at = 2;
    while (at < path.size() && IsSeparator(path[at])) ++at;
    std::string result = path.substr(0, at);
    if (at == path.size()) {
        if (result.empty()) return ERROR_PATH_NOT_FOUND;
        out = result;
        return 0;
    }

    // Where the names start: the folder the prefix names (the current
    // directory for a relative path).
    WindowsPath start;
    if (DWORD error = ParseWindowsPath(result.empty() ? std::string(".") : result, currentDirectory_, start))
        return error;
    start.trailingSeparator = false;
    Located located;
    if (DWORD error = LocateParsed(start, located)) return error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error;
    if (!located.IsDirectory()) return ERROR_FILE_NOT_FOUND;
    Drive* drive = FindDrive(start.drive);
    WalkFolder folder;
    if (!OpenFolder(located.host, folder)) return ERROR_FILE_NOT_FOUND;
    // The way back up, for "..": how long the host path of each folder on it is.
    std::vector<std::size_t> folders{folder.host.native().size()};

    bool first = true;
    while (at < path.size()) {
        std::size_t end = at;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::string name = path.substr(at, end - at);
        at = end;
        while (at < path.size() && IsSeparator(path[at])) ++at;
        const bool last = at == path.size();
        if (!first) result += '\\';
        first = false;
        if (name == "." || name == "..") {
            result += name;
            if (name == ".." && folders.size() > 1) {
                folders.pop_back();
                const std::filesystem::path parent = folder.host.native().substr(0, folders.back());
                if (!OpenFolder(parent, folder)) return ERROR_FILE_NOT_FOUND;
            } else if (name == ".." && !start.parts.empty()) {
                // Above where the walk started: the parent, found from the start's path.
                start.parts.pop_back();
                if (DWORD error = LocateParsed(start, located)) return error;
                if (!OpenFolder(located.host, folder)) return ERROR_FILE_NOT_FOUND;
                folders.back() = folder.host.native().size();
            }
            continue;
        }
        std::string lookedUp = name;
        while (!lookedUp.empty() && (lookedUp.back() == '.' || lookedUp.back() == ' ')) lookedUp.pop_back();
        std::optional<HostEntry> entry;
        if (DWORD error = FindIn(folder, *drive, lookedUp, entry)) return error;
        if (!entry) return ERROR_FILE_NOT_FOUND;
        if (toShort)
            result += IsValidShortName(name) ? name : AliasIn(folder.host, folder.id, folder.stamp, entry->name);
        else
            result += entry->name;
        if (last) {
            if (end < path.size()) result += '\\';  // keep a trailing separator
            break;
        }
        if (!S_ISDIR(entry->info.st_mode) || !Enter(folder, *entry)) return ERROR_FILE_NOT_FOUND;
        folders.push_back(folder.host.native().size());
    }
    out = result;
    return 0;
}

}  // namespace qm::sim
