// The backups on this machine: listed, restored, deleted.
#include "engine/Restore.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "engine/Backup.h"
#include "engine/BackupManifest.h"
#include "engine/DiskState.h"
#include "engine/UndoSteps.h"
#include "platform/Handles.h"
#include "platform/Platform.h"

namespace qm {

namespace {

// The changes a restore has undone, by their number in the manifest, one a
// line: restoring the backup again skips them and retries only what was
// kept or failed.
constexpr const char* kRestoredFile = "restored.txt";

std::set<int> ReadRestored(const std::string& folder) {
    std::set<int> numbers;
    const auto text = ReadFileBytes(folder + "\\" + kRestoredFile);
    if (!text) return numbers;
    for (size_t at = 0; at < text->size();) {
        size_t end = text->find('\n', at);
        if (end == std::string::npos) end = text->size();
        const std::string line = text->substr(at, end - at);
        if (!line.empty() && line.find_first_not_of("0123456789\r") == std::string::npos)
            numbers.insert(std::atoi(line.c_str()));
        at = end + 1;
    }
    return numbers;
}

// Appended at once, so that a restore that ends half-way still knows.
void NoteRestored(const std::string& folder, int number) {
    Platform& p = CurrentPlatform();
    FileHandle file(p, p.CreateFileA((folder + "\\" + kRestoredFile).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, kInvalidHandle));
    if (!file) return;
    p.SetFilePointer(file.get(), 0, nullptr, FILE_END);
    const std::string line = std::to_string(number) + "\r\n";
    DWORD written = 0;
    p.WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::optional<BackupInfo> ReadInfo(const std::string& folder, const std::string& id) {
    const auto text = ReadFileBytes(folder + "\\" + std::string(kManifestFile));
    if (!text) return std::nullopt;
    const auto manifest = ParseManifest(*text);
    if (!manifest) return std::nullopt;
    BackupInfo info{id, folder, manifest->kind, manifest->script, manifest->created, manifest->of, 0, 0};
    for (const BackupChange& change : manifest->changes)
        if (change.made && change.kind != "ini-after" && change.kind != "file-pending") ++info.changes;
    info.restored = static_cast<int>(ReadRestored(folder).size());
    return info;
}

int PictureOf(const std::string& category) {
    if (category == "Registry") return kPictureRegistryKey;
    if (category == "Disk") return kPictureDisk;
    if (category == "INI") return kPictureIniSection;
    if (category == "Server ") return kPictureRegisterServer;
    return kPictureProcess;
}

void AddLine(ItemList& report, const UndoResult& result) {
    const int row = report.AddRow();
    report.SetCaption(row, result.category);
    report.SetImageIndex(row, result.kind == UndoResult::kFailed ? kPictureFailed : PictureOf(result.category));
    const char* prefix = result.kind == UndoResult::kFailed                                   ? "Error "
                         : result.kind == UndoResult::kKept || result.kind == UndoResult::kNever ? "Not done: "
                                                                                                 : "";
    report.AddSubItem(row, prefix + result.words);
    report.AddSubItem(row, result.path);
    report.AddSubItem(row, result.name);
    if (!result.why.empty()) report.AddSubItem(row, result.why);
}

}  // namespace

std::vector<BackupInfo> ListBackups() {
    std::vector<BackupInfo> backups;
    const std::string root = BackupsFolder();
    if (root.empty()) return backups;
    for (const WIN32_FIND_DATAA& found : FolderEntries(root).value_or(std::vector<WIN32_FIND_DATAA>{})) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
        if (auto info = ReadInfo(root + "\\" + found.cFileName, found.cFileName)) backups.push_back(std::move(*info));
    }
    // Their names are their date and time: the newest sorts last.
    std::sort(backups.begin(), backups.end(), [](const BackupInfo& a, const BackupInfo& b) { return a.id > b.id; });
    return backups;
}

std::optional<BackupInfo> FindBackup(const std::string& idOrLatest) {
    const std::vector<BackupInfo> backups = ListBackups();
    if (idOrLatest == "latest") {
        if (backups.empty()) return std::nullopt;
        return backups.front();
    }
    for (const BackupInfo& backup : backups)
        if (backup.id == idOrLatest) return backup;
    return std::nullopt;
}

RestoreOutcome RestoreBackup(const BackupInfo& backup, ItemList* report, const std::function<void(int, int)>& progress) {
    RestoreOutcome outcome;
    const auto text = ReadFileBytes(backup.folder + "\\" + std::string(kManifestFile));
    const auto manifest = text ? ParseManifest(*text) : std::nullopt;
    if (!manifest) {
        ++outcome.failed;
        if (report != nullptr)
            AddLine(*report, {UndoResult::kFailed, "Disk", "Restore", backup.folder, "", "the backup's manifest cannot be read"});
        return outcome;
    }
    TBackup record("restore", manifest->script, backup.id);
    Undoer undoer(backup.folder, *manifest, record);
    const std::set<int> restoredBefore = ReadRestored(backup.folder);
    const int total = static_cast<int>(manifest->changes.size());
    int done = 0;
    for (auto it = manifest->changes.rbegin(); it != manifest->changes.rend(); ++it) {
        if (progress) progress(done, total);
        ++done;
        const int number = total - done + 1;
        if (!it->made) continue;
        if (restoredBefore.count(number) != 0) {
            ++outcome.restoredBefore;
            continue;
        }
        const UndoResult result = undoer.Undo(*it);
        switch (result.kind) {
            case UndoResult::kRestored:
                ++outcome.restored;
                NoteRestored(backup.folder, number);
                break;
            case UndoResult::kKept: ++outcome.kept; break;
            case UndoResult::kFailed: ++outcome.failed; break;
            case UndoResult::kNever: ++outcome.notRestorable; break;
            case UndoResult::kSkipped: continue;
        }
        if (report != nullptr) AddLine(*report, result);
    }
    if (progress) progress(total, total);
    record.Finish();
    outcome.backupFolder = record.Folder();
    if (report != nullptr && report->RowCount() == 0) report->SetCaption(report->AddRow(), "Nothing to restore.");
    return outcome;
}

namespace {

// Deletes a folder with its files and subfolders (a backup's folder keeps
// its saved copies in numbered subfolders); the manifest goes last, so a
// backup half deleted still lists what it has left.
bool DeleteFolderTree(const std::string& folder, std::string& error) {
    Platform& p = CurrentPlatform();
    struct Entry {
        std::string name;
        bool folder;
    };
    const auto found = FolderEntries(folder);
    if (!found) {
        error = "the backup cannot be read";
        return false;
    }
    std::vector<Entry> entries;
    for (const WIN32_FIND_DATAA& item : *found)
        entries.push_back({item.cFileName, (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    std::stable_partition(entries.begin(), entries.end(), [](const Entry& e) { return e.name != kManifestFile; });
    for (const Entry& entry : entries) {
        const std::string path = folder + "\\" + entry.name;
        if (entry.folder) {
            if (!DeleteFolderTree(path, error)) return false;
            continue;
        }
        // Some saved copies keep their read-only mark.
        p.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!p.DeleteFileA(path.c_str())) {
            error = "a file of the backup cannot be deleted (error " + std::to_string(p.GetLastError()) + "): " + path;
            return false;
        }
    }
    if (!p.RemoveDirectoryA(folder.c_str())) {
        error = "the backup's folder cannot be removed (error " + std::to_string(p.GetLastError()) + ")";
        return false;
    }
    return true;
}

}  // namespace

bool DeleteBackup(const BackupInfo& backup, std::string& error) { return DeleteFolderTree(backup.folder, error); }

}  // namespace qm
