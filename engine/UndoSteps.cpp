// The undo of each kind of change, and the cancelling of a deletion left for
// the next start.
#include "engine/UndoSteps.h"

#include <vector>

#include "engine/CleanupBatch.h"
#include "engine/DiskState.h"
#include "engine/MachineHalves.h"
#include "engine/Quarn_link.h"
#include "engine/RegistryFiles.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"
#include "regfile/RegFileText.h"

namespace qm {

namespace {

constexpr const char* kRegistry = "Registry";
constexpr const char* kDisk = "Disk";
constexpr const char* kIni = "INI";
constexpr const char* kServer = "Server ";
constexpr const char* kProcess = "Process ";

constexpr const char* kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kSessionManagerKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char16_t* kPendingMoves = u"PendingFileRenameOperations";

REGSAM ViewFlag(const std::string& text) {
    if (text == "64") return KEY_WOW64_64KEY;
    if (text == "32") return KEY_WOW64_32KEY;
    return 0;
}

// Saved keys name the 64-bit view's places, so they go back in that view.
REGSAM ApplyView() { return SeesBothHalves() || IsWow64Program() ? KEY_WOW64_64KEY : 0; }

DWORD Hex8(const std::string& text) {
    try {
        return static_cast<DWORD>(std::stoul(text, nullptr, 16));
    } catch (const std::exception&) {
        return FILE_ATTRIBUTE_NORMAL;
    }
}

std::string HexBytes(const std::vector<BYTE>& bytes) {
    return qm::HexBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string ParentOf(const std::string& path) { return StripTrailingBackslash(ExtractFilePath(path)); }

void SetTimes(const std::string& path, const std::string& times) {
    if (const auto parsed = ParseTimes(times)) WriteTimes(path, *parsed);
}

bool Exists(const std::string& path) {
    return CurrentPlatform().GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FolderIsEmpty(const std::string& path) {
    const auto entries = FolderEntries(path);
    return !entries || entries->empty();
}

bool SameContents(const std::string& first, const std::string& second) {
    const auto a = ReadFileBytes(first);
    const auto b = ReadFileBytes(second);
    return a && b && *a == *b;
}

bool KeyOpens(const RegistryPathParts& parts, REGSAM view, RegKey& key, REGSAM access = KEY_READ) {
    Platform& p = CurrentPlatform();
    return p.RegOpenKeyExA(parts.RootKey, parts.SubKey.c_str(), 0, access | view, key.receive(p)) == ERROR_SUCCESS;
}

bool KeyIsEmpty(const RegKey& key) {
    DWORD subKeys = 0, values = 0;
    return CurrentPlatform().RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                              &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subKeys == 0 && values == 0;
}

struct ValueNow {
    DWORD type = 0;
    std::vector<BYTE> data;
};
std::optional<ValueNow> ReadValue(const RegistryPathParts& parts, REGSAM view, const std::string& name) {
    Platform& p = CurrentPlatform();
    RegKey key;
    if (!KeyOpens(parts, view, key)) return std::nullopt;
    const std::u16string wide = WideValueName(name);
    ValueNow value;
    DWORD size = 0;
    if (p.RegQueryValueExW(key.get(), wide.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (size > 0 && p.RegQueryValueExW(key.get(), wide.c_str(), nullptr, &value.type, value.data.data(), &size) !=
                        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

// Whether the value still holds what the pass wrote. The pass writes
// through the code-page calls, whose text the registry keeps as UTF-16, so
// a string is also compared as the code-page call reads it.
bool HoldsWhatWasWritten(const RegistryPathParts& parts, REGSAM view, const std::string& name, const ValueNow& now,
                         const std::string& type, const std::string& data) {
    if (std::to_string(now.type) != type) return false;
    if (HexBytes(now.data) == data) return true;
    if (!regfile::IsStringType(now.type)) return false;
    Platform& p = CurrentPlatform();
    RegKey key;
    if (!KeyOpens(parts, view, key)) return false;
    DWORD size = 0, ansiType = 0;
    if (p.RegQueryValueExA(key.get(), name.c_str(), nullptr, &ansiType, nullptr, &size) != ERROR_SUCCESS) return false;
    std::vector<BYTE> bytes(size);
    if (size > 0 && p.RegQueryValueExA(key.get(), name.c_str(), nullptr, &ansiType, bytes.data(), &size) != ERROR_SUCCESS)
        return false;
    bytes.resize(size);
    return HexBytes(bytes) == data;
}

bool DeleteValue(const RegistryPathParts& parts, REGSAM view, const std::string& name) {
    RegKey key;
    return KeyOpens(parts, view, key, KEY_SET_VALUE) &&
           CurrentPlatform().RegDeleteValueA(key.get(), name.c_str()) == ERROR_SUCCESS;
}

bool ApplySaved(const std::string& file, std::string& why) {
    const auto bytes = ReadFileBytes(file);
    if (!bytes) {
        why = "the saved copy is missing from the backup";
        return false;
    }
    return ApplyRegFile(*bytes, ApplyView(), why);
}

bool SameAscii(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto up = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

// Takes the deletion of `name` out of the Session Manager's list.
bool CancelDelayedDeletion(const std::string& name) {
    Platform& p = CurrentPlatform();
    RegKey key;
    if (p.RegOpenKeyExA(HKLM, kSessionManagerKey, 0, KEY_READ | KEY_WRITE, key.receive(p)) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    if (p.RegQueryValueExW(key.get(), kPendingMoves, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return true;  // nothing is pending any more
    std::vector<BYTE> data(size);
    if (p.RegQueryValueExW(key.get(), kPendingMoves, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) return false;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    std::vector<std::u16string> names;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find(u'\0', start);
        if (end == std::u16string::npos) end = text.size();
        names.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    // The list ends with an empty name after its last pair.
    while (!names.empty() && names.size() % 2 == 1 && names.back().empty()) names.pop_back();
    const std::u16string wanted = u"\\??\\" + WideValueName(name);
    std::u16string kept;
    bool found = false;
    for (std::size_t i = 0; i + 1 < names.size(); i += 2) {
        if (!found && names[i + 1].empty() && SameAscii(names[i], wanted)) {
            found = true;
            continue;
        }
        kept += names[i] + u'\0' + names[i + 1] + u'\0';
    }
    if (!found) return true;
    if (kept.empty()) return p.RegDeleteValueA(key.get(), "PendingFileRenameOperations") == ERROR_SUCCESS;
    kept += u'\0';
    std::vector<BYTE> bytes;
    for (char16_t c : kept) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return p.RegSetValueExW(key.get(), kPendingMoves, 0, REG_MULTI_SZ, bytes.data(), static_cast<DWORD>(bytes.size())) ==
           ERROR_SUCCESS;
}

// Takes "NUL=<name>" out of WININIT.INI.
bool CancelWininitDeletion(const std::string& iniFile, const std::string& name) {
    const auto bytes = ReadFileBytes(iniFile);
    if (!bytes) return !FileExists(iniFile);  // Windows has run it already
    const std::string wanted = AnsiUpperCase("NUL=" + name);
    std::string kept;
    bool found = false;
    for (std::size_t start = 0; start < bytes->size();) {
        std::size_t end = bytes->find('\n', start);
        end = end == std::string::npos ? bytes->size() : end + 1;
        const std::string line = bytes->substr(start, end - start);
        start = end;
        std::string bare = line;
        while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r')) bare.pop_back();
        if (!found && AnsiUpperCase(bare) == wanted) {
            found = true;
            continue;
        }
        kept += line;
    }
    return !found || WriteFileBytes(iniFile, kept);
}

bool CancelBatchDeletion(const std::string& batch, const std::string& root) {
    Platform& p = CurrentPlatform();
    bool ok = true;
    // A batch still at work ends at its stop file and removes itself and its
    // second file; one that has ended left the second file for the next start.
    if (FileExists(batch))
        ok = WriteFileBytes(CleanupBatchStopFile(batch), "");
    else if (FileExists(batch + ".bat"))
        ok = p.DeleteFileA((batch + ".bat").c_str()) != FALSE;
    RegKey key;
    if (p.RegOpenKeyExA(root == "HKCU" ? HKCU : HKLM, kRunOnceKey, 0, KEY_SET_VALUE, key.receive(p)) == ERROR_SUCCESS) {
        const LONG result = p.RegDeleteValueA(key.get(), ExtractFileName(batch).c_str());
        ok = ok && (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND);
    }
    return ok;
}

UndoResult Result(UndoResult::Kind kind, const char* category, std::string words, std::string path,
                  std::string name = {}, std::string why = {}) {
    return {kind, category, std::move(words), std::move(path), std::move(name), std::move(why)};
}

}  // namespace

Undoer::Undoer(std::string from, const BackupManifest& manifest, TBackup& record)
    : from_(std::move(from)), record_(record) {
    for (const BackupChange& change : manifest.changes) {
        if (change.kind == "ini-after") iniAfter_[AnsiUpperCase(change.Field(0))] = change.Field(1);
        if (change.kind == "file-removed" && change.made) fileRemoved_[change.Field(1)] = change;
    }
}

UndoResult Undoer::Undo(const BackupChange& change) {
    const std::string& kind = change.kind;
    if (kind == "key-removed") return KeyRemoved(change);
    if (kind == "key-created") return KeyCreated(change);
    if (kind == "value-set") return ValueSet(change);
    if (kind == "value-removed") return ValueRemoved(change);
    if (kind == "ini-file") return IniFile(change);
    if (kind == "file-removed") return FileRemoved(change);
    if (kind == "file-pending") return FilePending(change);
    if (kind == "folder-removed") return FolderRemoved(change);
    if (kind == "folder-created") return FolderCreated(change);
    if (kind == "renamed") return Renamed(change);
    if (kind == "server-unregistered") return Server(change, true);
    if (kind == "server-registered") return Server(change, false);
    if (kind == "process-stopped") return ProcessStopped(change);
    if (kind == "file-added" || kind == "folder-added" || kind == "key-added" || kind == "value-added")
        return Added(change);
    return Result(UndoResult::kSkipped, "", "", "");  // ini-after, and lines of later versions
}

UndoResult Undoer::KeyRemoved(const BackupChange& change) {
    const std::string path = change.Field(1);
    const RegistryPathParts parts = SplitRegistryPath(path);
    const REGSAM view = ViewFlag(change.Field(0));
    RegKey key;
    if (KeyOpens(parts, view, key)) return Result(UndoResult::kKept, kRegistry, "Restore key", path, "", "the key exists again");
    std::string why;
    if (!ApplySaved(Stored(change.Field(2)), why)) return Result(UndoResult::kFailed, kRegistry, "Restore key", path, "", why);
    record_.Restored("key-added", {change.Field(0), path});
    return Result(UndoResult::kRestored, kRegistry, "Restore key", path);
}

UndoResult Undoer::KeyCreated(const BackupChange& change) {
    const std::string path = change.Field(1);
    const RegistryPathParts parts = SplitRegistryPath(path);
    const REGSAM view = ViewFlag(change.Field(0));
    {
        RegKey key;
        if (!KeyOpens(parts, view, key)) return Result(UndoResult::kRestored, kRegistry, "Remove added key", path);
        if (!KeyIsEmpty(key))
            return Result(UndoResult::kKept, kRegistry, "Remove added key", path, "", "the key holds keys or values now");
    }
    return TakeKeyAway(view, path, "Remove added key");
}

UndoResult Undoer::ValueSet(const BackupChange& change) {
    const REGSAM view = ViewFlag(change.Field(0));
    const std::string path = change.Field(1), name = change.Field(2), stored = change.Field(3);
    const RegistryPathParts parts = SplitRegistryPath(path);
    const char* words = stored == "-" ? "Remove added value" : "Restore value";
    const auto now = ReadValue(parts, view, name);
    std::string why;
    if (!now) {
        if (stored == "-") return Result(UndoResult::kRestored, kRegistry, words, path, name);
        if (!ApplySaved(Stored(stored), why)) return Result(UndoResult::kFailed, kRegistry, words, path, name, why);
        record_.Restored("value-added", {change.Field(0), path, name});
        return Result(UndoResult::kRestored, kRegistry, words, path, name);
    }
    if (!HoldsWhatWasWritten(parts, view, name, *now, change.Field(4), change.Field(5)))
        return Result(UndoResult::kKept, kRegistry, words, path, name, "the value was changed since the cleanup");
    if (stored == "-") return TakeValueAway(view, path, name, words);
    const auto old = ReadFileBytes(Stored(stored));
    const auto saved = old ? ValueOfRegFile(*old) : std::nullopt;
    if (!saved) return Result(UndoResult::kFailed, kRegistry, words, path, name, "the saved copy is missing from the backup");
    if (auto failure = record_.Value(parts.RootKey, parts.SubKey, view, path, name, false, saved->type, saved->data))
        return Result(UndoResult::kFailed, kRegistry, words, path, name, *failure);
    if (!ApplyRegFile(*old, ApplyView(), why)) {
        record_.NotMade();
        return Result(UndoResult::kFailed, kRegistry, words, path, name, why);
    }
    return Result(UndoResult::kRestored, kRegistry, words, path, name);
}

UndoResult Undoer::ValueRemoved(const BackupChange& change) {
    const REGSAM view = ViewFlag(change.Field(0));
    const std::string path = change.Field(1), name = change.Field(2);
    const RegistryPathParts parts = SplitRegistryPath(path);
    if (ReadValue(parts, view, name))
        return Result(UndoResult::kKept, kRegistry, "Restore value", path, name, "the value exists again");
    std::string why;
    if (!ApplySaved(Stored(change.Field(3)), why))
        return Result(UndoResult::kFailed, kRegistry, "Restore value", path, name, why);
    record_.Restored("value-added", {change.Field(0), path, name});
    return Result(UndoResult::kRestored, kRegistry, "Restore value", path, name);
}

UndoResult Undoer::IniFile(const BackupChange& change) {
    Platform& p = CurrentPlatform();
    const std::string path = change.Field(0), stored = change.Field(1);
    const std::string name = ExtractFileName(path), folder = ExtractFilePath(path);
    const auto after = iniAfter_.find(AnsiUpperCase(path));
    if (after == iniAfter_.end())
        return Result(UndoResult::kKept, kIni, "Restore INI file", folder, name,
                      "the cleanup did not end; the old file is in the backup as " + stored);
    const auto now = FileExists(path) ? ReadFileBytes(path) : std::nullopt;
    if ((now ? HexText(ContentHash(*now)) : std::string("-")) != after->second)
        return Result(UndoResult::kKept, kIni, "Restore INI file", folder, name, "the file was changed since the cleanup");
    std::optional<std::string> old;
    if (stored != "-" && !(old = ReadFileBytes(Stored(stored))))
        return Result(UndoResult::kFailed, kIni, "Restore INI file", folder, name, "the saved copy is missing from the backup");
    if (auto failure = record_.IniFile(path)) return Result(UndoResult::kFailed, kIni, "Restore INI file", folder, name, *failure);
    if (now) p.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const bool ok = old ? WriteFileBytes(path, *old) : !now || p.DeleteFileA(path.c_str());
    if (!ok) return Result(UndoResult::kFailed, kIni, "Restore INI file", folder, name, "the file cannot be written");
    if (old) {
        SetTimes(path, change.Field(3));
        p.SetFileAttributesA(path.c_str(), Hex8(change.Field(2)));
    }
    SetTimes(ParentOf(path), change.Field(4));
    return Result(UndoResult::kRestored, kIni, "Restore INI file", folder, name);
}

bool Undoer::PutFileBack(const std::string& stored, const std::string& path, const std::string& attributes,
                         const std::string& times) {
    const std::string parent = ParentOf(path);
    if (!parent.empty() && !DirectoryExists(parent) && !ForceDirectories(parent)) return false;
    DWORD error = 0;
    if (!MoveFileAway(Stored(stored), path, error)) return false;
    SetTimes(path, times);
    CurrentPlatform().SetFileAttributesA(path.c_str(), Hex8(attributes));
    done_.insert(stored);
    return true;
}

UndoResult Undoer::FileRemoved(const BackupChange& change) {
    const std::string path = change.Field(0), stored = change.Field(1);
    if (done_.count(stored) != 0) return Result(UndoResult::kSkipped, "", "", "");
    const std::string name = ExtractFileName(path), folder = ExtractFilePath(path);
    if (Exists(path)) {
        if (SameContents(path, Stored(stored))) return Result(UndoResult::kRestored, kDisk, "Restore file", folder, name);
        return Result(UndoResult::kKept, kDisk, "Restore file", folder, name, "a file of that name exists again");
    }
    if (!PutFileBack(stored, path, change.Field(2), change.Field(3)))
        return Result(UndoResult::kFailed, kDisk, "Restore file", folder, name, "the file cannot be put back");
    SetTimes(ParentOf(path), change.Field(4));
    record_.Restored("file-added", {path});
    return Result(UndoResult::kRestored, kDisk, "Restore file", folder, name);
}

UndoResult Undoer::FilePending(const BackupChange& change) {
    const std::string path = change.Field(0), stored = change.Field(1), road = change.Field(2);
    const std::string name = ExtractFileName(path), folder = ExtractFilePath(path);
    bool cancelled = true;
    if (road == "batch") cancelled = CancelBatchDeletion(change.Field(3), change.Field(4));
    // A batch started for a road that failed is still waiting for the file.
    const std::string started = change.Field(5);
    if (road != "batch" && !started.empty() && FileExists(started))
        cancelled = WriteFileBytes(CleanupBatchStopFile(started), "") && cancelled;
    if (road == "reboot") cancelled = CancelDelayedDeletion(change.Field(3));
    if (road == "wininit") cancelled = CancelWininitDeletion(change.Field(3), change.Field(4));
    done_.insert(stored);
    if (!Exists(path)) {
        if (stored == "-")
            return Result(UndoResult::kFailed, kDisk, "Restore file", folder, name,
                          "it was locked, so no copy could be kept, and Windows has deleted it since");
        const auto removed = fileRemoved_.find(stored);
        const BackupChange none;
        const BackupChange& line = removed != fileRemoved_.end() ? removed->second : none;
        if (!PutFileBack(stored, path, line.Field(2), line.Field(3)))
            return Result(UndoResult::kFailed, kDisk, "Restore file", folder, name, "the file cannot be put back");
        SetTimes(ParentOf(path), line.Field(4));
        record_.Restored("file-added", {path});
    }
    if (!cancelled)
        return Result(UndoResult::kFailed, kDisk, "Restore file", folder, name,
                      "its deletion at the next start cannot be cancelled");
    return Result(UndoResult::kRestored, kDisk, "Restore file", folder, name);
}

UndoResult Undoer::FolderRemoved(const BackupChange& change) {
    Platform& p = CurrentPlatform();
    const std::string root = change.Field(0);
    const auto listing = ReadFileBytes(Stored(change.Field(1)));
    if (!listing) return Result(UndoResult::kFailed, kDisk, "Restore folder", root, "", "the folder's listing is missing from the backup");
    if (!DirectoryExists(root) && !ForceDirectories(root))
        return Result(UndoResult::kFailed, kDisk, "Restore folder", root, "", "the folder cannot be made");
    const std::vector<BackupChange> entries = ParseChangeLines(*listing);
    int kept = 0, failed = 0;
    for (const BackupChange& entry : entries) {
        const std::string place = root + "\\" + entry.Field(0);
        if (entry.Field(1) == "-") {
            if (!DirectoryExists(place) && !ForceDirectories(place)) ++failed;
        } else if (Exists(place)) {
            if (!SameContents(place, Stored(entry.Field(1)))) ++kept;
        } else if (!PutFileBack(entry.Field(1), place, entry.Field(2), entry.Field(3))) {
            ++failed;
        }
    }
    // Folders last, the deepest first: putting files back touched their times.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->Field(1) != "-") continue;
        const std::string place = root + "\\" + it->Field(0);
        SetTimes(place, it->Field(3));
        p.SetFileAttributesA(place.c_str(), Hex8(it->Field(2)));
    }
    SetTimes(root, change.Field(3));
    p.SetFileAttributesA(root.c_str(), Hex8(change.Field(2)));
    SetTimes(ParentOf(root), change.Field(4));
    record_.Restored("folder-added", {root});
    if (failed > 0)
        return Result(UndoResult::kFailed, kDisk, "Restore folder", root, "",
                      std::to_string(failed) + " of its files or folders cannot be put back");
    if (kept > 0)
        return Result(UndoResult::kKept, kDisk, "Restore folder", root, "",
                      std::to_string(kept) + " of its files exist again under their names; the backup keeps the old ones");
    return Result(UndoResult::kRestored, kDisk, "Restore folder", root);
}

UndoResult Undoer::FolderCreated(const BackupChange& change) {
    const std::string path = change.Field(0);
    if (!DirectoryExists(path)) return Result(UndoResult::kRestored, kDisk, "Remove added folder", path);
    if (!FolderIsEmpty(path))
        return Result(UndoResult::kKept, kDisk, "Remove added folder", path, "", "the folder is not empty now");
    if (auto failure = record_.TakeFolder(path))
        return Result(UndoResult::kFailed, kDisk, "Remove added folder", path, "", *failure);
    if (!CurrentPlatform().RemoveDirectoryA(path.c_str())) {
        record_.NotMade();
        return Result(UndoResult::kFailed, kDisk, "Remove added folder", path, "", "the folder cannot be removed");
    }
    SetTimes(ParentOf(path), change.Field(1));
    return Result(UndoResult::kRestored, kDisk, "Remove added folder", path);
}

UndoResult Undoer::Renamed(const BackupChange& change) {
    const std::string newPath = change.Field(0), oldPath = change.Field(1);
    const std::string name = ExtractFileName(oldPath), folder = ExtractFilePath(oldPath);
    if (Exists(oldPath)) return Result(UndoResult::kKept, kDisk, "Rename back", folder, name, "something has the old name again");
    if (!Exists(newPath)) return Result(UndoResult::kFailed, kDisk, "Rename back", folder, name, "the renamed object is gone");
    if (auto failure = record_.Renamed(oldPath, newPath))
        return Result(UndoResult::kFailed, kDisk, "Rename back", folder, name, *failure);
    if (!CurrentPlatform().MoveFileExA(newPath.c_str(), oldPath.c_str(), 0)) {
        record_.NotMade();
        return Result(UndoResult::kFailed, kDisk, "Rename back", folder, name, "it cannot be renamed");
    }
    SetTimes(ParentOf(newPath), change.Field(3));
    SetTimes(ParentOf(oldPath), change.Field(2));
    return Result(UndoResult::kRestored, kDisk, "Rename back", folder, name);
}

UndoResult Undoer::Server(const BackupChange& change, bool registerIt) {
    const std::string path = change.Field(0);
    const std::string name = ExtractFileName(path), folder = ExtractFilePath(path);
    const char* words = registerIt ? "Register again" : "Unregister again";
    if (!FileExists(path)) return Result(UndoResult::kFailed, kServer, words, folder, name, "the server's file is missing");
    if (auto failure = registerIt ? record_.ServerRegistered(path) : record_.ServerUnregistered(path))
        return Result(UndoResult::kFailed, kServer, words, folder, name, *failure);
    if (!CallRegistrationEntry(path, registerIt)) {
        record_.NotMade();
        return Result(UndoResult::kFailed, kServer, words, folder, name, "the server's registration failed");
    }
    return Result(UndoResult::kRestored, kServer, words, folder, name);
}

UndoResult Undoer::ProcessStopped(const BackupChange& change) {
    const std::string path = change.Field(0);
    return Result(UndoResult::kNever, kProcess, "Start", ExtractFilePath(path), ExtractFileName(path),
                  "a stopped program is not started again");
}

UndoResult Undoer::Added(const BackupChange& change) {
    const std::string& kind = change.kind;
    if (kind == "file-added" || kind == "folder-added") {
        const std::string path = change.Field(0);
        const bool folder = kind == "folder-added";
        const char* words = folder ? "Remove restored folder" : "Remove restored file";
        if (!(folder ? DirectoryExists(path) : FileExists(path))) return Result(UndoResult::kRestored, kDisk, words, path);
        if (folder) {
            if (auto failure = record_.TakeFolder(path)) return Result(UndoResult::kFailed, kDisk, words, path, "", *failure);
            if (!RemoveFolderTree(path))
                return Result(UndoResult::kFailed, kDisk, words, path, "", "the folder cannot be removed");
            return Result(UndoResult::kRestored, kDisk, words, path);
        }
        const TBackup::Taken taken = record_.TakeFile(path);
        if (taken.failure) return Result(UndoResult::kFailed, kDisk, words, path, "", *taken.failure);
        if (taken.how == TBackup::Taken::kCopied)
            return Result(UndoResult::kKept, kDisk, words, path, "", "the file is in use; a copy is in the backup");
        if (taken.how == TBackup::Taken::kLocked)
            return Result(UndoResult::kKept, kDisk, words, path, "", "the file is in use and locked");
        return Result(UndoResult::kRestored, kDisk, words, path);
    }
    const REGSAM view = ViewFlag(change.Field(0));
    const std::string path = change.Field(1);
    const RegistryPathParts parts = SplitRegistryPath(path);
    if (kind == "key-added") {
        RegKey key;
        if (!KeyOpens(parts, view, key)) return Result(UndoResult::kRestored, kRegistry, "Remove restored key", path);
        key.reset();
        return TakeKeyAway(view, path, "Remove restored key");
    }
    const std::string name = change.Field(2);
    if (!ReadValue(parts, view, name)) return Result(UndoResult::kRestored, kRegistry, "Remove restored value", path, name);
    return TakeValueAway(view, path, name, "Remove restored value");
}

UndoResult Undoer::TakeKeyAway(REGSAM view, const std::string& path, const char* words) {
    const RegistryPathParts parts = SplitRegistryPath(path);
    if (auto failure = record_.KeyTree(parts.RootKey, parts.SubKey, view, path))
        return Result(UndoResult::kFailed, kRegistry, words, path, "", *failure);
    if (!DeleteKeyTree(parts.RootKey, parts.SubKey, view)) {
        record_.NotMade();
        return Result(UndoResult::kFailed, kRegistry, words, path, "", "the key cannot be deleted");
    }
    return Result(UndoResult::kRestored, kRegistry, words, path);
}

UndoResult Undoer::TakeValueAway(REGSAM view, const std::string& path, const std::string& name,
                                 const char* words) {
    const RegistryPathParts parts = SplitRegistryPath(path);
    if (auto failure = record_.Value(parts.RootKey, parts.SubKey, view, path, name, true))
        return Result(UndoResult::kFailed, kRegistry, words, path, name, *failure);
    if (!DeleteValue(parts, view, name)) {
        record_.NotMade();
        return Result(UndoResult::kFailed, kRegistry, words, path, name, "the value cannot be deleted");
    }
    return Result(UndoResult::kRestored, kRegistry, words, path, name);
}

}  // namespace qm
