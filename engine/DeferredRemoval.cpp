// After the last record: the queued files and folders deleted, files in use
// handed to the cleanup batch file or scheduled for the next start, special
// folders never removed.
#include "engine/Quarn_link.h"

#include <exception>
#include <vector>

#include "engine/Backup.h"
#include "engine/CleanupBatch.h"
#include "engine/GuardRails.h"
#include "engine/WindowsFamily.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"
#include "reader/Quarn_ReadSpecialFile.h"

namespace qm {

namespace {

constexpr const char* kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

bool WriteText(const std::string& path, const std::string& text, DWORD creation, DWORD access) {
    Platform& p = CurrentPlatform();
    FileHandle file(p, p.CreateFileA(path.c_str(), access, 0, nullptr, creation, FILE_ATTRIBUTE_NORMAL, 0));
    if (!file) return false;
    if (access == FILE_APPEND_DATA) p.SetFilePointer(file.get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    return p.WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

// The RunOnce value under one root: opened, or created when missing, for writing.
bool WriteRunOnce(HKEY root, const std::string& name, const std::string& data) {
    Platform& p = CurrentPlatform();
    RegKey key;
    if (p.RegCreateKeyExA(root, kRunOnceKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                          key.receive(p), nullptr) != ERROR_SUCCESS)
        return false;
    return p.RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

std::string ShortForm(const std::string& path) {
    char buffer[261] = {};
    CurrentPlatform().GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return std::string(buffer);
}

bool DeleteWithBatch(const std::string& path, PendingRoad& road) {
    // Names come from the clock: two files in use deleted within one
    // millisecond would share a batch file and a RunOnce value, and the
    // second would replace the first's. A taken name gets a number.
    const std::string stem = InfoDir.GetWindowsFolder() + "\\" + MakeUniqueName();
    std::string batch = stem + ".bat";
    for (int n = 2; FileExists(batch) || FileExists(batch + ".bat"); ++n) batch = stem + "_" + std::to_string(n) + ".bat";
    try {
        if (WriteText(batch, CleanupBatchText(path), CREATE_ALWAYS, GENERIC_WRITE) &&
            CurrentPlatform().WinExec(batch.c_str(), SW_HIDE) > 31)
            road.startedBatch = batch;
    } catch (const std::exception&) {
        // The result depends on the RunOnce value alone.
    }
    const std::string name = ExtractFileName(batch);
    for (const auto& [root, rootName] : {std::pair{HKLM, "HKLM"}, std::pair{HKCU, "HKCU"}}) {
        if (!WriteRunOnce(root, name, batch + ".bat")) continue;
        road.kind = PendingRoad::kBatch;
        road.detail = batch;
        road.extra = rootName;
        return true;
    }
    return false;
}

bool ScheduleForRestart(const std::string& path, PendingRoad& road) {
    Platform& p = CurrentPlatform();
    if (IsWindowsNT()) {
        const std::string shortPath = ShortForm(path);
        if (!p.MoveFileExA(shortPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
        road.kind = PendingRoad::kReboot;
        road.detail = shortPath;
        road.extra.clear();
        return true;
    }
    // The 9x family deletes what WININIT.INI's [rename] section sends to NUL.
    char windows[261] = {};
    p.GetWindowsDirectoryA(windows, sizeof windows);
    const std::string ini = IncludeTrailingBackslash(windows) + "WININIT.INI";
    std::string shortPath = ShortForm(path);
    if (shortPath.empty()) shortPath = path;

    char keys[16384] = {};
    const DWORD length = p.GetPrivateProfileStringA("rename", nullptr, "", keys, sizeof keys, ini.c_str());
    bool hasNul = false;
    for (DWORD at = 0; at < length && keys[at] != '\0';) {
        const std::string key(keys + at);
        if (UpperCaseAZ(key) == "NUL") hasNul = true;
        at += static_cast<DWORD>(key.size()) + 1;
    }
    // A second NUL= line would replace the first through the profile
    // functions, so a further [rename] block is appended instead.
    const bool written =
        hasNul ? WriteText(ini, "[rename]\r\nNUL=" + shortPath + "\r\n", OPEN_EXISTING, FILE_APPEND_DATA)
               : p.WritePrivateProfileStringA("rename", "NUL", shortPath.c_str(), ini.c_str()) != FALSE;
    if (written) {
        road.kind = PendingRoad::kWininit;
        road.detail = ini;
        road.extra = shortPath;
    }
    return written;
}

}  // namespace

bool ForceDeleteFile(const std::string& Path, bool AtReboot, PendingRoad* Road) {
    PendingRoad ignored;
    PendingRoad& road = Road != nullptr ? *Road : ignored;
    // A batch started by an earlier call for this file stays recorded.
    road.kind = PendingRoad::kNone;
    try {
        // A pattern names no file: the batch file's del would delete every match.
        if (HasWildcard(Path)) return false;
        if (!FileExists(Path)) return true;
        if (CurrentPlatform().DeleteFileA(Path.c_str())) return true;
        return AtReboot ? ScheduleForRestart(Path, road) : DeleteWithBatch(Path, road);
    } catch (const std::exception&) {
        return false;
    }
}

bool RemoveFolderTree(const std::string& Path) {
    const std::string path = StripTrailingBackslash(Path);
    // A special folder, or one that holds one, is never removed.
    if (TGuardRails().Folder(path)) return false;
    if (!DirectoryExists(path)) return false;

    Platform& p = CurrentPlatform();
    const std::string from = path + std::string(2, '\0');
    SHFILEOPSTRUCTA operation;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    const int result = p.SHFileOperationA(&operation);
    return result == 0 && !operation.fAnyOperationsAborted &&
           p.GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void RemoveModuleFile(const std::string& ModulePath) {
    if (ModulePath.empty()) return;
    ForceDeleteFile(ModulePath, false);
    CurrentPlatform().Sleep(1000);
    ForceDeleteFile(ModulePath, true);
}

bool TlinkObject::StopNow() {
    if (!FStopped && FStopQuery && FStopQuery()) FStopped = true;
    return FStopped;
}

void TlinkObject::ProcessPendingLists() {
    OnProgress(nullptr, 0);
    OnProgressMax(nullptr, FPendingFiles->Count());
    int index = FPendingFiles->Count();
    // From the last to the first: a sub-folder sorts after its folder.
    for (auto it = FPendingFiles->rbegin(); it != FPendingFiles->rend(); ++it) {
        const std::string& entry = *it;
        OnProgress(nullptr, --index);
        if (StopNow()) {
            AddNotDoneLine(kCategoryDisk, "Delete ", ExtractFileName(entry), ExtractFilePath(entry));
            continue;
        }
        DeleteQueuedFile(entry);
        OnItemStatus(nullptr, entry, kOpDelete, 0);
    }
    OnProgress(nullptr, 0);
    OnProgressMax(nullptr, FPendingFolders->Count());
    index = FPendingFolders->Count();
    for (auto it = FPendingFolders->rbegin(); it != FPendingFolders->rend(); ++it) {
        const std::string& entry = *it;
        OnProgress(nullptr, --index);
        if (StopNow()) {
            AddNotDoneLine(kCategoryDisk, "Delete ", "", entry);
            continue;
        }
        DeleteQueuedFolder(entry);
        OnItemStatus(nullptr, entry, kOpDelete, 0);
    }
}

void TlinkObject::DeleteQueuedFile(const std::string& Path) {
    const std::string name = ExtractFileName(Path), folder = ExtractFilePath(Path);
    // Gone already, e.g. deleted under its other (short or long) name.
    if (!FileExists(Path)) {
        AddReportLine(kCategoryDisk, kOpDelete, false, name, folder);
        return;
    }
    std::string stored;
    if (FBackup != nullptr) {
        const TBackup::Taken taken = FBackup->TakeFile(Path);
        if (!BackedUp(taken.failure, kCategoryDisk, kOpDelete, name, folder)) return;
        if (taken.how == TBackup::Taken::kMoved) {
            AddReportLine(kCategoryDisk, kOpDelete, false, name, folder);
            return;
        }
        stored = taken.stored;  // in use: a copy is kept (none when it is locked)
    }
    PendingRoad road;
    const bool deleted = ForceDeleteFile(Path, false, &road) || ForceDeleteFile(Path, true, &road);
    if (FBackup != nullptr && road.kind != PendingRoad::kNone) FBackup->Pending(Path, stored, road);
    // Handed to the batch file or to the next start: still there, and
    // said so.
    if (deleted && FileExists(Path))
        AddPendingLine(name, folder, road.kind == PendingRoad::kBatch, FBackup != nullptr && stored.empty());
    else
        AddReportLine(kCategoryDisk, kOpDelete, !deleted, name, folder);
}

void TlinkObject::DeleteQueuedFolder(const std::string& Path) {
    if (FBackup != nullptr && !BackedUp(FBackup->TakeFolder(Path), kCategoryDisk, kOpDelete, "", Path)) return;
    RemoveFolderTree(Path);
    AddReportLine(kCategoryDisk, kOpDelete, DirectoryExists(Path), "", Path);
}

}  // namespace qm
