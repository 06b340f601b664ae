// The simulated disk: drives, path lookup, attributes, aliases, marks, the
// current directory and short paths.
#include "platform/sim/DiskStore.h"

#include <algorithm>
#include <system_error>

#include "platform/sim/DiskNames.h"
#include "platform/sim/DiskRecords.h"

namespace qm::sim {

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

void DiskStore::Fill(Located& located, const struct ::stat& info) {
    located.exists = true;
    located.directory = S_ISDIR(info.st_mode);
    located.readOnly = IsHostReadOnly(info);
    located.id = IdOf(info);
}

std::string DiskStore::Located::Key() const {
    std::string key{path.drive, ':'};
    for (const auto& name : actual) key += "\\" + name;
    if (actual.empty()) key += "\\";
    return UpperName(key);
}

DiskStore::DiskStore(std::filesystem::path hostRoot) { drives_['C'] = std::move(hostRoot) / "drive_c"; }

DiskStore::~DiskStore() = default;

void DiskStore::MapDrive(char letter, std::filesystem::path hostPath) {
    drives_[UpperName(std::string(1, letter))[0]] = std::move(hostPath);
}

std::optional<std::filesystem::path> DiskStore::DriveRoot(char drive) const {
    auto it = drives_.find(drive);
    if (it == drives_.end()) return std::nullopt;
    struct stat info {};
    if (::stat(it->second.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    return it->second;
}

std::vector<std::string> DiskStore::ListFolder(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(AnsiName(it->path().filename().string()));
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string ua = UpperName(a), ub = UpperName(b);
        return ua != ub ? ua < ub : a < b;
    });
    return names;
}

std::optional<std::string> DiskStore::FindEntryByName(const std::filesystem::path& folder,
                                                      std::string_view name) const {
    struct stat info {};
    if (HostStat(HostChild(folder, name), info)) return std::string(name);
    for (const auto& entry : ListFolder(folder))
        if (SameName(entry, name)) return entry;
    return std::nullopt;
}

std::optional<std::string> DiskStore::FindEntry(const std::filesystem::path& folder, std::string_view name) {
    if (auto found = FindEntryByName(folder, name)) return found;
    if (name.find('~') == std::string_view::npos || !IsValidShortName(name)) return std::nullopt;
    // An alias: the folder's long names get theirs (in listing order) if they
    // have none yet, so an alias can be used before its folder was listed.
    struct stat info {};
    if (!HostStat(folder, info)) return std::nullopt;
    for (const auto& entry : ListFolder(folder)) {
        AliasOf(folder, entry);
        const std::string owner = shortNames_[IdOf(info)].LongNameOf(name);
        if (!owner.empty()) return FindEntryByName(folder, owner);
    }
    return std::nullopt;
}

std::string DiskStore::AliasOf(const std::filesystem::path& folder, const std::string& name) {
    if (IsValidShortName(name)) return {};
    struct stat info {};
    if (!HostStat(folder, info)) return {};
    return shortNames_[IdOf(info)].AliasOf(
        name, [&](std::string_view candidate) { return FindEntryByName(folder, candidate).has_value(); });
}

DWORD DiskStore::Locate(const std::string& text, Located& out) {
    WindowsPath path;
    if (DWORD error = ParseWindowsPath(text, currentDirectory_, path)) return error;
    return LocateParsed(path, out);
}

DWORD DiskStore::LocateParsed(const WindowsPath& path, Located& out) {
    out = Located{};
    out.path = path;
    auto root = DriveRoot(path.drive);
    if (!root) return ERROR_PATH_NOT_FOUND;
    std::filesystem::path folder = *root;
    for (std::size_t i = 0; i + 1 < path.parts.size(); ++i) {
        if (HasWildcard(path.parts[i])) return ERROR_INVALID_NAME;
        auto name = FindEntry(folder, path.parts[i]);
        struct stat info {};
        if (!name || !HostStat(HostChild(folder, *name), info) || !S_ISDIR(info.st_mode)) return ERROR_PATH_NOT_FOUND;
        out.actual.push_back(*name);
        folder = HostChild(folder, *name);
    }
    struct stat info {};
    if (path.IsRoot()) {
        out.parentHost = folder;
        out.host = folder;
        if (HostStat(folder, info)) Fill(out, info);
        return 0;
    }
    out.parentHost = folder;
    const std::string& last = path.parts.back();
    auto name = HasWildcard(last) ? std::nullopt : FindEntry(folder, last);
    out.actual.push_back(name ? *name : last);
    out.host = HostChild(folder, out.actual.back());
    if (name && HostStat(out.host, info)) {
        Fill(out, info);
        AliasOf(folder, *name);
    }  // seen now: its alias is fixed from here on
    return 0;
}

std::optional<std::filesystem::path> DiskStore::HostPath(const std::string& windowsPath) {
    Located located;
    if (Locate(windowsPath, located) != 0) return std::nullopt;
    return located.host;
}

// ---- Attributes ----

DWORD DiskStore::AttributesOf(FileId id, bool directory, bool readOnly) const {
    DWORD attributes = 0;
    if (directory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (readOnly) attributes |= FILE_ATTRIBUTE_READONLY;
    auto it = extras_.find(id);
    if (it != extras_.end())
        attributes |= it->second;
    else if (!directory)
        attributes |= FILE_ATTRIBUTE_ARCHIVE;  // what a new file carries
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

void DiskStore::RememberAttributes(FileId id, DWORD attributes) {
    extras_[id] = attributes & kKeptAttributes;
}

DWORD DiskStore::GetAttributes(const std::string& path, DWORD& attributes) {
    Located located;
    if (DWORD error = Locate(path, located)) return error;
    if (!located.path.IsRoot() && HasWildcard(located.path.parts.back())) return ERROR_INVALID_NAME;
    if (!located.exists) return ERROR_FILE_NOT_FOUND;
    if (located.path.trailingSeparator && !located.IsDirectory()) return ERROR_INVALID_NAME;
    attributes = AttributesOf(located);
    return 0;
}

DWORD DiskStore::SetAttributes(const std::string& path, DWORD attributes) {
    Located located;
    if (DWORD error = Locate(path, located)) return error;
    if (!located.path.IsRoot() && HasWildcard(located.path.parts.back())) return ERROR_INVALID_NAME;
    if (!located.exists) return ERROR_FILE_NOT_FOUND;
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly != located.readOnly && !SetHostReadOnly(located.host, readOnly)) return ERROR_ACCESS_DENIED;
    RememberAttributes(located.id, attributes);
    return 0;
}

// ---- Files in use ----

std::string DiskStore::KeyOf(const std::string& windowsPath) {
    Located located;
    if (Locate(windowsPath, located) == 0) return located.Key();
    WindowsPath path;
    if (ParseWindowsPath(windowsPath, currentDirectory_, path) == 0) return UpperName(path.Text());
    return UpperName(windowsPath);
}

void DiskStore::MarkInUse(const std::string& windowsPath, DWORD deleteError) {
    const std::string key = KeyOf(windowsPath);
    std::erase_if(marks_, [&](const InUseMark& mark) { return mark.key == key; });
    marks_.push_back(InUseMark{key, key, deleteError});
}

void DiskStore::ClearInUse(const std::string& windowsPath) {
    const std::string key = KeyOf(windowsPath);
    std::erase_if(marks_, [&](const InUseMark& mark) { return mark.key == key || mark.givenKey == key; });
}

const DiskStore::InUseMark* DiskStore::MarkOf(const Located& file) const {
    const std::string key = file.Key();
    for (const auto& mark : marks_)
        if (mark.key == key) return &mark;
    return nullptr;
}

bool DiskStore::IsOpenWithoutShareDelete(FileId id) const {
    return std::any_of(files_.begin(), files_.end(), [&](const auto& entry) {
        return entry.second->id == id && (entry.second->share & FILE_SHARE_DELETE) == 0;
    });
}

// ---- Current directory and short paths ----

DWORD DiskStore::SetCurrentDirectory(const std::string& path) {
    Located located;
    if (DWORD error = Locate(path, located)) return error;
    if (!located.exists) return ERROR_FILE_NOT_FOUND;
    if (!located.IsDirectory()) return kErrorDirectory;
    currentDirectory_ = located.path.Text();
    return 0;
}

DWORD DiskStore::ShortPath(const std::string& path, std::string& shortPath) {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    if (HasWildcard(path)) return ERROR_INVALID_NAME;
    // The prefix (drive, root) is copied; then each name is checked in turn,
    // so the first missing one ends the walk with ERROR_FILE_NOT_FOUND.
    std::size_t at = 0;
    if (path.size() >= 2 && path[1] == ':') at = 2;
    while (at < path.size() && IsSeparator(path[at])) ++at;
    std::string result = path.substr(0, at);
    bool first = true;
    while (at < path.size()) {
        std::size_t end = at;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::string name = path.substr(at, end - at);
        Located located;
        const DWORD error = Locate(path.substr(0, end), located);
        if (error == ERROR_PATH_NOT_FOUND || (error == 0 && !located.exists)) return ERROR_FILE_NOT_FOUND;
        if (error) return error;
        if (!first) result += '\\';
        first = false;
        const bool keep = name == "." || name == ".." || IsValidShortName(name) || located.path.IsRoot();
        result += keep ? name : AliasOf(located.parentHost, located.actual.back());
        at = end;
        while (at < path.size() && IsSeparator(path[at])) ++at;
        if (at == path.size() && end < path.size()) result += '\\';  // keep a trailing separator
    }
    if (result.empty()) return ERROR_PATH_NOT_FOUND;
    shortPath = result;
    return 0;
}

}  // namespace qm::sim
