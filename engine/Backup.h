// The backup of a removal pass (or of a restore): before the pass changes
// anything, what it changes is kept in a folder of its own, with a manifest
// of every change in order (engine/BackupManifest.h), so that the change can
// be undone (engine/Restore.h).
//
//   <common application data>\Quellmar\Backups\<YYYY-MM-DD HH.MM.SS>:
//       manifest.txt     the changes
//       0000\000001.reg ...   registry keys and values, as regedit imports them
//       0000\000002.bak ...   files, under neutral names that nothing starts
//       0000\000003.txt ...   the listing of a folder's files
//       0001\000201.reg ...   (200 copies a folder)
//
// The folder is made at the first change, so a pass that changes nothing
// leaves no backup. Every method is called before its change; a method that
// fails says why, and the caller then leaves the item as it is.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RegistryFiles.h"
#include "platform/Handles.h"
#include "platform/WinTypes.h"

namespace qm {

// <common application data>\Quellmar (the Windows folder's when the system
// has no common application data), and its Backups folder.
std::string QuellmarDataFolder();
std::string BackupsFolder();

// Why a backup could not be made; nothing when it was.
using BackupFailure = std::optional<std::string>;

// How a file in use will be deleted at the next start, so that a restore can
// cancel it.
struct PendingRoad {
    enum Kind { kNone, kBatch, kReboot, kWininit } kind = kNone;
    // batch: the batch file; reboot: the name given to MoveFileExA;
    // wininit: the WININIT.INI file.
    std::string detail;
    // batch: the RunOnce value's root ("HKLM" or "HKCU"); wininit: the name
    // after "NUL=".
    std::string extra;
    // The batch file started at once, whichever road was taken: it keeps
    // trying until the file is free, even when its RunOnce value could not
    // be written.
    std::string startedBatch;
};
std::string_view PendingRoadName(PendingRoad::Kind kind);

class TBackup {
public:
    // kind: "cleanup" or "restore"; script: the removal script the pass
    // runs; of: a restore's backup id.
    TBackup(std::string kind, std::string script, std::string of = {});
    ~TBackup();
    TBackup(const TBackup&) = delete;
    TBackup& operator=(const TBackup&) = delete;

    // Empty until the first change is kept.
    const std::string& Folder() const { return folder_; }
    const std::string& Id() const { return id_; }
    int ChangeCount() const { return changes_; }

    // ---- Registry (view: a KEY_WOW64_* flag, 0 for the program's own) ----
    BackupFailure KeyTree(HKEY root, const std::string& subKey, REGSAM view, const std::string& path);
    BackupFailure KeyCreated(REGSAM view, const std::string& path);
    // Before a value is deleted (removing) or written with type and data.
    BackupFailure Value(HKEY root, const std::string& subKey, REGSAM view, const std::string& path,
                        const std::string& name, bool removing, DWORD type = 0, std::string_view data = {});

    // ---- INI files: the whole file, once a pass ----
    BackupFailure IniFile(const std::string& path);

    // ---- Files and folders ----
    struct Taken {
        // copied: in use, still in its place; locked: in use and not even
        // readable (no copy is kept, the caller may still delete it at the
        // next start, which a restore before then cancels).
        enum How { kMoved, kCopied, kLocked } how = kMoved;
        std::string stored;
        BackupFailure failure;
    };
    // Moves the file into the backup (on another volume: copies, then
    // deletes it). A file in use is copied: the caller deletes it or leaves
    // it for the next start, and then tells Pending how (stored empty when
    // it was locked).
    Taken TakeFile(const std::string& path);
    void Pending(const std::string& path, const std::string& stored, const PendingRoad& road);
    // Moves every file below the folder into the backup, keeping a listing;
    // the caller then removes the emptied tree. A failure moves back what
    // was moved.
    BackupFailure TakeFolder(const std::string& path);
    BackupFailure FolderCreated(const std::string& path);
    BackupFailure Renamed(const std::string& newPath, const std::string& oldPath);

    // ---- Servers and programs ----
    BackupFailure ServerUnregistered(const std::string& path);
    BackupFailure ServerRegistered(const std::string& path);
    void ProcessStopped(const std::string& path);

    // A restore's own lines: what it put back ("file-added", "folder-added",
    // "key-added", "value-added"), undone by taking the object away again.
    BackupFailure Restored(const std::string& kind, std::initializer_list<std::string> fields) {
        return Append(kind, fields);
    }

    // The change last kept was not made after all: a restore skips it.
    void NotMade();
    // Records what the INI files hold after the pass. Called at its end.
    void Finish();

private:
    BackupFailure Begin();
    BackupFailure Append(const std::string& kind, std::initializer_list<std::string> fields);
    // The next copy's name, "0000\\000001.reg", its folder made when new.
    std::string NextName(std::string_view extension);
    static constexpr int kCopiesPerFolder = 200;
    std::string StoredPath(const std::string& stored) const { return folder_ + "\\" + stored; }

    std::string kind_, script_, of_;
    std::string folder_, id_;
    FileHandle manifest_;  // kept open for appending
    int next_ = 0;
    int changes_ = 0;
    std::set<std::string> iniFiles_;        // upper case: kept once
    std::vector<std::string> iniOrder_;     // as given, in order
    bool finished_ = false;
    RegistryRoots roots_;  // the root keys' names, read at the first key saved
};

}  // namespace qm
