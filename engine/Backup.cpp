// The backup of a pass: its folder, its manifest and what each change keeps.
#include "engine/Backup.h"

#include <cstdio>
#include <vector>

#include "engine/BackupManifest.h"
#include "engine/DiskState.h"
#include "engine/RegistryFiles.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Platform.h"

namespace qm {

namespace {

std::string ShellFolder(int csidl) {
    char path[MAX_PATH + 1] = {};
    if (CurrentPlatform().SHGetFolderPathA(0, csidl, 0, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
    return path;
}

std::string Hex8(DWORD value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string ViewText(REGSAM view) { return std::to_string(view == KEY_WOW64_64KEY ? 64 : view == KEY_WOW64_32KEY ? 32 : 0); }

std::string TimesOrDash(const std::string& path) {
    const auto times = ReadTimes(path);
    return times ? TimesText(*times) : "-";
}

std::string ParentOf(const std::string& path) { return StripTrailingBackslash(ExtractFilePath(path)); }

std::string ErrorText(const char* what) {
    return std::string(what) + " (error " + std::to_string(CurrentPlatform().GetLastError()) + ")";
}

// A file that cannot leave its place because it is in use.
bool InUse(DWORD error) {
    return error == static_cast<DWORD>(ERROR_SHARING_VIOLATION) || error == static_cast<DWORD>(ERROR_ACCESS_DENIED) ||
           error == static_cast<DWORD>(ERROR_LOCK_VIOLATION);
}

struct FolderEntry {
    std::string relative;  // below the folder
    bool folder = false;
    DWORD attributes = 0;
    std::string times;
};

// Every file and folder below `root`, parents before their children,
// without recursion.
bool ListTree(const std::string& root, std::vector<FolderEntry>& entries) {
    Platform& p = CurrentPlatform();
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
        const std::string relative = std::move(pending.back());
        pending.pop_back();
        const std::string folder = relative.empty() ? root : root + "\\" + relative;
        const auto found = FolderEntries(folder);
        if (!found) {
            if (p.GetLastError() == ERROR_FILE_NOT_FOUND) continue;
            return false;
        }
        for (const WIN32_FIND_DATAA& item : *found) {
            const std::string name = item.cFileName;
            FolderEntry entry;
            entry.relative = relative.empty() ? name : relative + "\\" + name;
            entry.folder = (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entry.attributes = item.dwFileAttributes;
            entry.times = TimesOrDash(root + "\\" + entry.relative);
            if (entry.folder) pending.push_back(entry.relative);
            entries.push_back(std::move(entry));
        }
    }
    return true;
}

}  // namespace

std::string QuellmarDataFolder() {
    std::string common = ShellFolder(CSIDL_COMMON_APPDATA);
    if (common.empty()) common = InfoDir.GetWindowsFolder();
    return common.empty() ? std::string() : IncludeTrailingBackslash(common) + "Quellmar";
}

std::string BackupsFolder() {
    const std::string data = QuellmarDataFolder();
    return data.empty() ? std::string() : data + "\\Backups";
}

std::string_view PendingRoadName(PendingRoad::Kind kind) {
    switch (kind) {
        case PendingRoad::kBatch: return "batch";
        case PendingRoad::kReboot: return "reboot";
        case PendingRoad::kWininit: return "wininit";
        default: return "none";
    }
}

TBackup::TBackup(std::string kind, std::string script, std::string of)
    : kind_(std::move(kind)), script_(std::move(script)), of_(std::move(of)) {}

TBackup::~TBackup() { Finish(); }

BackupFailure TBackup::Begin() {
    if (manifest_) return std::nullopt;
    Platform& p = CurrentPlatform();
    const std::string backups = BackupsFolder();
    if (backups.empty() || !ForceDirectories(backups)) return ErrorText("the backup folder cannot be made");
    SYSTEMTIME now{};
    p.GetLocalTime(&now);
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u.%02u.%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    std::string id = stamp;
    for (int n = 2; !p.CreateDirectoryA((backups + "\\" + id).c_str(), nullptr); ++n) {
        if (p.GetLastError() != ERROR_ALREADY_EXISTS || n > 999) return ErrorText("the backup folder cannot be made");
        id = std::string(stamp) + " (" + std::to_string(n) + ")";
    }
    const std::string folder = backups + "\\" + id;
    BackupManifest head;
    head.kind = kind_;
    head.script = script_;
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    head.created = stamp;
    head.of = of_;
    const std::string manifestPath = folder + "\\" + std::string(kManifestFile);
    FileHandle manifest(p, p.CreateFileA(manifestPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, 0));
    const std::string text = ManifestHead(head);
    DWORD written = 0;
    if (!manifest || !p.WriteFile(manifest.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        const BackupFailure failure = ErrorText("the backup's manifest cannot be written");
        manifest.reset();
        p.DeleteFileA(manifestPath.c_str());
        p.RemoveDirectoryA(folder.c_str());
        return failure;
    }
    manifest_ = std::move(manifest);
    folder_ = folder;
    id_ = id;
    return std::nullopt;
}

BackupFailure TBackup::Append(const std::string& kind, std::initializer_list<std::string> fields) {
    if (BackupFailure failure = Begin()) return failure;
    const std::string line = ChangeLine({kind, std::vector<std::string>(fields)});
    DWORD written = 0;
    if (!CurrentPlatform().WriteFile(manifest_.get(), line.data(), static_cast<DWORD>(line.size()), &written,
                                     nullptr) ||
        written != line.size())
        return ErrorText("the backup's manifest cannot be written");
    // Lines that complete another change are not changes of their own.
    if (kind != kChangeNotMade && kind != "ini-after" && kind != "file-pending") ++changes_;
    return std::nullopt;
}

std::string TBackup::NextName(std::string_view extension) {
    // A few hundred copies a folder: a file system that looks names up without
    // regard to case (as Wine does on Linux) scans the folder for each new
    // file, which over one folder of 20,000 copies takes minutes.
    const int number = ++next_;
    char group[16];
    std::snprintf(group, sizeof group, "%04d", (number - 1) / kCopiesPerFolder);
    if ((number - 1) % kCopiesPerFolder == 0) CurrentPlatform().CreateDirectoryA(StoredPath(group).c_str(), nullptr);
    char name[32];
    std::snprintf(name, sizeof name, "%s\\%06d", group, number);
    return name + std::string(extension);
}

void TBackup::NotMade() {
    if (!manifest_) return;
    if (!Append(std::string(kChangeNotMade), {})) --changes_;
}

BackupFailure TBackup::KeyTree(HKEY root, const std::string& subKey, REGSAM view, const std::string& path) {
    std::string error;
    const auto file = KeyTreeAsRegFile(root, subKey, view, roots_, error);
    if (!file) return "the key cannot be kept in the backup: " + error;
    if (BackupFailure failure = Begin()) return failure;
    const std::string stored = NextName(".reg");
    if (!WriteFileBytes(StoredPath(stored), *file)) return ErrorText("the key cannot be written to the backup");
    return Append("key-removed", {ViewText(view), path, stored});
}

BackupFailure TBackup::KeyCreated(REGSAM view, const std::string& path) {
    return Append("key-created", {ViewText(view), path});
}

BackupFailure TBackup::Value(HKEY root, const std::string& subKey, REGSAM view, const std::string& path,
                             const std::string& name, bool removing, DWORD type, std::string_view data) {
    Platform& p = CurrentPlatform();
    bool exists = false;
    {
        RegKey key;
        if (p.RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | view, key.receive(p)) == ERROR_SUCCESS)
            exists = p.RegQueryValueExW(key.get(), WideValueName(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
                     ERROR_SUCCESS;
    }
    std::string stored = "-";
    if (exists) {
        std::string error;
        const auto file = ValueAsRegFile(root, subKey, view, WideValueName(name), roots_, error);
        if (!file) return "the value cannot be kept in the backup: " + error;
        if (BackupFailure failure = Begin()) return failure;
        stored = NextName(".reg");
        if (!WriteFileBytes(StoredPath(stored), *file)) return ErrorText("the value cannot be written to the backup");
    }
    if (removing) return Append("value-removed", {ViewText(view), path, name, stored});
    return Append("value-set", {ViewText(view), path, name, stored, std::to_string(type), HexBytes(data)});
}

BackupFailure TBackup::IniFile(const std::string& path) {
    const std::string key = AnsiUpperCase(path);
    if (iniFiles_.count(key) != 0) return std::nullopt;
    std::string stored = "-", attributes = "-", times = "-";
    if (FileExists(path)) {
        const auto bytes = ReadFileBytes(path);
        if (!bytes) return ErrorText("the INI file cannot be read for the backup");
        if (BackupFailure failure = Begin()) return failure;
        stored = NextName(".bak");
        if (!WriteFileBytes(StoredPath(stored), *bytes)) return ErrorText("the INI file cannot be written to the backup");
        attributes = Hex8(CurrentPlatform().GetFileAttributesA(path.c_str()));
        times = TimesOrDash(path);
    }
    if (BackupFailure failure = Append("ini-file", {path, stored, attributes, times, TimesOrDash(ParentOf(path))}))
        return failure;
    iniFiles_.insert(key);
    iniOrder_.push_back(path);
    return std::nullopt;
}

TBackup::Taken TBackup::TakeFile(const std::string& path) {
    Taken taken;
    Platform& p = CurrentPlatform();
    const DWORD attributes = p.GetFileAttributesA(path.c_str());
    const auto times = ReadTimes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !times) {
        taken.failure = ErrorText("the file cannot be read for the backup");
        return taken;
    }
    if ((taken.failure = Begin())) return taken;
    taken.stored = NextName(".bak");
    if ((taken.failure = Append("file-removed", {path, taken.stored, Hex8(attributes), TimesText(*times),
                                                 TimesOrDash(ParentOf(path))})))
        return taken;
    DWORD error = 0;
    if (MoveFileAway(path, StoredPath(taken.stored), error)) return taken;
    // In use: a copy is kept, the file stays for the caller to delete.
    if (InUse(error)) {
        if (p.CopyFileA(path.c_str(), StoredPath(taken.stored).c_str(), TRUE)) {
            taken.how = Taken::kCopied;
            return taken;
        }
        if (p.GetLastError() == static_cast<DWORD>(ERROR_SHARING_VIOLATION)) {
            NotMade();
            taken.how = Taken::kLocked;
            taken.stored.clear();
            return taken;
        }
    }
    NotMade();
    taken.failure = "the file cannot be moved or copied into the backup (error " + std::to_string(error) + ")";
    return taken;
}

void TBackup::Pending(const std::string& path, const std::string& stored, const PendingRoad& road) {
    Append("file-pending", {path, stored.empty() ? "-" : stored, std::string(PendingRoadName(road.kind)), road.detail,
                            road.extra, road.startedBatch});
}

BackupFailure TBackup::TakeFolder(const std::string& path) {
    Platform& p = CurrentPlatform();
    const std::string root = StripTrailingBackslash(path);
    const DWORD attributes = p.GetFileAttributesA(root.c_str());
    std::vector<FolderEntry> entries;
    if (attributes == INVALID_FILE_ATTRIBUTES || !ListTree(root, entries))
        return ErrorText("the folder cannot be read for the backup");
    if (BackupFailure failure = Begin()) return failure;
    // The listing: one line a file or folder, its name in the backup ("-" for a folder).
    const std::string listing = NextName(".txt");
    std::vector<std::string> stored(entries.size());
    std::string text;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].folder) stored[i] = NextName(".bak");
        text += ChangeLine({"entry", {entries[i].relative, entries[i].folder ? "-" : stored[i],
                                      Hex8(entries[i].attributes), entries[i].times}});
    }
    if (!WriteFileBytes(StoredPath(listing), text)) return ErrorText("the folder's listing cannot be written to the backup");
    if (BackupFailure failure = Append("folder-removed", {root, listing, Hex8(attributes), TimesOrDash(root),
                                                          TimesOrDash(ParentOf(root))}))
        return failure;
    std::vector<std::size_t> moved;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].folder) continue;
        const std::string from = root + "\\" + entries[i].relative;
        DWORD error = 0;
        if (MoveFileAway(from, StoredPath(stored[i]), error)) {
            moved.push_back(i);
            continue;
        }
        // In use: a copy is kept; the file stays, and so does its folder.
        if (InUse(error) && p.CopyFileA(from.c_str(), StoredPath(stored[i]).c_str(), TRUE)) continue;
        for (std::size_t back : moved) {
            DWORD ignored = 0;
            const std::string place = root + "\\" + entries[back].relative;
            MoveFileAway(StoredPath(stored[back]), place, ignored);
            if (const auto times = ParseTimes(entries[back].times)) WriteTimes(place, *times);
        }
        NotMade();
        return "a file of the folder cannot be moved or copied into the backup (error " + std::to_string(error) +
               "): " + from;
    }
    return std::nullopt;
}

BackupFailure TBackup::FolderCreated(const std::string& path) {
    return Append("folder-created", {StripTrailingBackslash(path), TimesOrDash(ParentOf(StripTrailingBackslash(path)))});
}

BackupFailure TBackup::Renamed(const std::string& newPath, const std::string& oldPath) {
    return Append("renamed", {newPath, oldPath, TimesOrDash(ParentOf(oldPath)), TimesOrDash(ParentOf(newPath))});
}

BackupFailure TBackup::ServerUnregistered(const std::string& path) { return Append("server-unregistered", {path}); }

BackupFailure TBackup::ServerRegistered(const std::string& path) { return Append("server-registered", {path}); }

void TBackup::ProcessStopped(const std::string& path) { Append("process-stopped", {path}); }

void TBackup::Finish() {
    if (finished_ || !manifest_) return;
    finished_ = true;
    for (const std::string& path : iniOrder_) {
        const auto bytes = FileExists(path) ? ReadFileBytes(path) : std::nullopt;
        Append("ini-after", {path, bytes ? HexText(ContentHash(*bytes)) : std::string("-")});
    }
    manifest_.reset();
}

}  // namespace qm
