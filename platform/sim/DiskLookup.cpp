// Lookups on the simulated disk: drives, the walk from folder to folder by
// descriptor, each folder's name index, aliases and the links that may be
// followed.
#include <algorithm>
#include <cerrno>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>

#include "platform/sim/DiskNames.h"
#include "platform/sim/DiskRecords.h"

namespace qm::sim {

namespace {

namespace fs = std::filesystem;

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool NameOrder(const std::pair<std::string, std::string>& a, const std::pair<std::string, std::string>& b) {
    return a.first < b.first;
}

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

// ---- Drives ----

void DiskStore::MapDrive(char letter, fs::path hostPath, bool writeProtected) {
    Drive drive;
    drive.root = std::move(hostPath);
    drive.writeProtected = writeProtected;
    drives_[UpperName(std::string(1, letter))[0]] = std::move(drive);
}

bool DiskStore::IsMapped(char letter) const { return drives_.count(UpperName(std::string(1, letter))[0]) != 0; }

DiskStore::Drive* DiskStore::FindDrive(char letter) {
    auto it = drives_.find(letter);
    return it == drives_.end() ? nullptr : &it->second;
}

fs::path DiskStore::Fence(Drive& drive) {
    if (!drive.fence) {
        std::error_code ec;
        const fs::path home = fs::weakly_canonical(hostRoot_, ec);
        const fs::path root = fs::weakly_canonical(drive.root, ec);
        // A drive inside the machine's folder may link anywhere inside it; a
        // drive mapped from elsewhere only inside its own folder.
        const bool ofMachine = IsWithin(drive.root.lexically_normal(), hostRoot_.lexically_normal());
        drive.fence = ofMachine ? home : root;
        drive.rootInside = IsWithin(root, *drive.fence);
    }
    return *drive.fence;
}

std::optional<std::string> DiskStore::WindowsPathOf(const fs::path& host) const {
    std::error_code ec;
    const fs::path file = fs::weakly_canonical(host, ec);
    for (const auto& [letter, drive] : drives_) {
        const fs::path root = fs::weakly_canonical(drive.root, ec);
        if (ec || !IsWithin(file, root)) continue;
        std::string path{letter, ':'};
        for (const auto& part : file.lexically_relative(root))
            if (part != ".") path += "\\" + AnsiName(part.string());
        if (path.size() == 2) path += "\\";
        return path;
    }
    return std::nullopt;
}

// ---- The walk ----

bool DiskStore::OpenFolder(const fs::path& host, WalkFolder& folder) {
    ++hostLookups_;
    folder.fd = UniqueFd(::open(host.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!folder.fd || ::fstat(folder.fd.get(), &info) != 0) return false;
    folder.host = host;
    folder.id = IdOf(info);
    folder.stamp = StampOf(info);
    return true;
}

bool DiskStore::Enter(WalkFolder& folder, const HostEntry& entry) {
    ++hostLookups_;
    UniqueFd next(::openat(folder.fd.get(), entry.hostName.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!next || ::fstat(next.get(), &info) != 0) return false;
    folder.fd = std::move(next);
    folder.host /= entry.hostName;
    folder.id = IdOf(info);
    folder.stamp = StampOf(info);
    return true;
}

DWORD DiskStore::CheckLink(Drive& drive, const fs::path& link) {
    std::error_code ec;
    fs::path target = fs::read_symlink(link, ec);
    if (!ec) {
        if (target.is_relative()) target = link.parent_path() / target;
        target = fs::weakly_canonical(target, ec);  // follows the links on the way, too
        if (!ec && IsWithin(target, Fence(drive))) return 0;
    }
    const std::string what = link.string() + " -> " + target.string();
    if (std::find(refusedLinks_.begin(), refusedLinks_.end(), what) == refusedLinks_.end()) refusedLinks_.push_back(what);
    return ERROR_ACCESS_DENIED;
}

DWORD DiskStore::FindIn(WalkFolder& folder, Drive& drive, std::string_view name, std::optional<HostEntry>& found) {
    found.reset();
    HostEntry entry;
    auto exact = [&](const std::string& hostName) {
        ++hostLookups_;
        return ::fstatat(folder.fd.get(), hostName.c_str(), &entry.info, AT_SYMLINK_NOFOLLOW) == 0;
    };
    const std::string hostName = HostName(name);
    if (exact(hostName)) {
        entry.hostName = hostName;
    } else if (!IsAscii(name) && exact(std::string(name))) {
        entry.hostName = std::string(name);  // a host name that is not UTF-8
    } else {
        // Without regard to case, or by an alias: the folder's index.
        FolderIndex& index = IndexOf(folder.host, folder.id, folder.stamp, folder.fd.get());
        auto it = index.names.find(UpperName(name));
        if (it == index.names.end() && name.find('~') != std::string_view::npos && IsValidShortName(name)) {
            // An alias works before its folder was listed.
            AliasAll(folder.host, folder.id, folder.stamp, folder.fd.get(), {});
            const std::string owner = shortNames_[folder.id].LongNameOf(name);
            if (!owner.empty()) it = index.names.find(owner);
        }
        if (it == index.names.end()) return 0;
        entry.name = it->second.front().first;
        if (!exact(it->second.front().second)) return 0;  // gone meanwhile
        entry.hostName = it->second.front().second;
    }
    if (entry.name.empty()) entry.name = std::string(name);
    if (S_ISLNK(entry.info.st_mode)) {
        if (DWORD error = CheckLink(drive, folder.host / entry.hostName)) return error;
        entry.link = true;
        struct stat target {};
        if (::fstatat(folder.fd.get(), entry.hostName.c_str(), &target, 0) == 0) entry.info = target;
    }
    found = std::move(entry);
    return 0;
}

DWORD DiskStore::Locate(const std::string& text, Located& out) {
    WindowsPath path;
    if (DWORD error = ParseWindowsPath(text, currentDirectory_, path)) return error;
    return LocateParsed(path, out);
}

DWORD DiskStore::LocateParsed(const WindowsPath& path, Located& out) {
    out = Located{};
    out.path = path;
    Drive* drive = FindDrive(path.drive);
    WalkFolder folder;
    if (!drive || !OpenFolder(drive->root, folder)) return ERROR_PATH_NOT_FOUND;
    out.writeProtected = drive->writeProtected;
    Fence(*drive);
    if (!*drive->rootInside) return CheckLink(*drive, drive->root);
    for (std::size_t i = 0; i + 1 < path.parts.size(); ++i) {
        if (HasWildcard(path.parts[i])) return ERROR_INVALID_NAME;
        std::optional<HostEntry> entry;
        if (DWORD error = FindIn(folder, *drive, path.parts[i], entry)) return error;
        if (!entry || !S_ISDIR(entry->info.st_mode) || !Enter(folder, *entry)) return ERROR_PATH_NOT_FOUND;
        out.actual.push_back(entry->name);
    }
    out.parentHost = folder.host;
    out.parentId = folder.id;
    out.parentStamp = folder.stamp;
    if (path.IsRoot()) {
        out.host = folder.host;
        struct stat info {};
        if (::fstat(folder.fd.get(), &info) == 0) Fill(out, info);
        return 0;
    }
    const std::string& last = path.parts.back();
    std::optional<HostEntry> entry;
    if (!HasWildcard(last))
        if (DWORD error = FindIn(folder, *drive, last, entry)) return error;
    out.actual.push_back(entry ? entry->name : last);
    out.host = folder.host / (entry ? entry->hostName : HostName(last));
    if (entry) {
        Fill(out, entry->info);
        out.link = entry->link;
    }
    return 0;
}

std::optional<fs::path> DiskStore::HostPath(const std::string& windowsPath) {
    Located located;
    if (Locate(windowsPath, located) != 0) return std::nullopt;
    return located.host;
}

// ---- Folder indexes and aliases ----

DiskStore::FolderIndex& DiskStore::IndexOf(const fs::path& folder, FileId id, std::int64_t stamp, int dirfd) {
    auto it = indexes_.find(id);
    if (it != indexes_.end() && it->second.stamp == stamp) return it->second;
    FolderIndex index;
    index.stamp = stamp;
    const int fd = dirfd >= 0 ? ::openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                              : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr) {
        while (const dirent* item = ::readdir(dir)) {
            const std::string host = item->d_name;
            if (host == "." || host == "..") continue;
            ++hostLookups_;
            std::string ansi = AnsiName(host);
            index.names[UpperName(ansi)].emplace_back(std::move(ansi), host);
        }
        ::closedir(dir);
    } else if (fd >= 0) {
        ::close(fd);
    }
    for (auto& [upper, spellings] : index.names) std::sort(spellings.begin(), spellings.end(), NameOrder);
    return indexes_[id] = std::move(index);
}

std::string DiskStore::AliasIn(const fs::path& folder, FileId id, std::int64_t stamp, const std::string& name) {
    if (IsValidShortName(name)) return {};
    FolderShortNames& names = shortNames_[id];
    if (const std::string* known = names.Known(name)) return *known;
    const FolderIndex& index = IndexOf(folder, id, stamp, -1);
    return names.AliasOf(name, [&](std::string_view candidate) { return index.names.count(UpperName(candidate)) != 0; });
}

void DiskStore::AliasAll(const fs::path& folder, FileId id, std::int64_t stamp, int dirfd, std::string_view skip) {
    FolderIndex& index = IndexOf(folder, id, stamp, dirfd);
    if (index.aliased) return;
    std::vector<std::string> names;
    for (const auto& [upper, spellings] : index.names)
        for (const auto& spelling : spellings)
            if (spelling.first != skip) names.push_back(spelling.first);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string ua = UpperName(a), ub = UpperName(b);
        return ua != ub ? ua < ub : a < b;
    });
    for (const auto& longName : names) AliasIn(folder, id, stamp, longName);
    index.aliased = true;
}

std::string DiskStore::AliasOf(const fs::path& folder, const std::string& name) {
    if (IsValidShortName(name)) return {};
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return {};
    // The names that were there before take their aliases first, as they
    // would have on Windows, where a name gets its alias when it is made.
    AliasAll(folder, IdOf(info), StampOf(info), -1, name);
    return AliasIn(folder, IdOf(info), StampOf(info), name);
}

std::vector<std::string> DiskStore::ListFolder(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(AnsiName(it->path().filename().string()));
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string ua = UpperName(a), ub = UpperName(b);
        return ua != ub ? ua < ub : a < b;
    });
    return names;
}

void DiskStore::NoteChanges(const Located& at, const std::vector<std::pair<std::string, bool>>& changes) {
    auto it = indexes_.find(at.parentId);
    if (it == indexes_.end()) return;
    struct stat info {};
    // An index older than the walk missed a change made outside: it is read again when next needed.
    if (it->second.stamp != at.parentStamp || ::stat(at.parentHost.c_str(), &info) != 0) {
        indexes_.erase(it);
        return;
    }
    FolderIndex& index = it->second;
    for (const auto& [name, added] : changes) {
        auto& spellings = index.names[UpperName(name)];
        std::erase_if(spellings, [&](const auto& spelling) { return spelling.first == name; });
        if (added) {
            spellings.emplace_back(name, HostName(name));
            std::sort(spellings.begin(), spellings.end(), NameOrder);
        }
        if (spellings.empty()) index.names.erase(UpperName(name));
    }
    index.stamp = StampOf(info);
}

}  // namespace qm::sim
