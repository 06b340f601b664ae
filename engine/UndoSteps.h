// The undo of each kind of change in a backup's manifest: what a restore
// does for one manifest line. Used by RestoreBackup only.
#pragma once

#include <map>
#include <set>
#include <string>

#include "engine/Backup.h"
#include "engine/BackupManifest.h"

namespace qm {

// What undoing one change came to.
struct UndoResult {
    // skipped: no line of its own; never: a change no restore undoes (a
    // stopped program), said so but not counted against the restore.
    enum Kind { kRestored, kKept, kFailed, kSkipped, kNever } kind = kRestored;
    std::string category;  // "Registry", "Disk", "INI", "Process ", "Server "
    std::string words;     // what was undone: "Restore key", ...
    std::string path;
    std::string name;
    std::string why;  // kept or failed: the reason
};

class Undoer {
public:
    // from: the backup's folder; record: the restore's own backup.
    Undoer(std::string from, const BackupManifest& manifest, TBackup& record);

    UndoResult Undo(const BackupChange& change);

private:
    UndoResult KeyRemoved(const BackupChange& change);
    UndoResult KeyCreated(const BackupChange& change);
    UndoResult ValueSet(const BackupChange& change);
    UndoResult ValueRemoved(const BackupChange& change);
    UndoResult IniFile(const BackupChange& change);
    UndoResult FileRemoved(const BackupChange& change);
    UndoResult FilePending(const BackupChange& change);
    UndoResult FolderRemoved(const BackupChange& change);
    UndoResult FolderCreated(const BackupChange& change);
    UndoResult Renamed(const BackupChange& change);
    UndoResult Server(const BackupChange& change, bool registerIt);
    UndoResult ProcessStopped(const BackupChange& change);
    // A restore's own changes: what it put back is taken away again.
    UndoResult Added(const BackupChange& change);

    // Keeps the key tree (or the value) in the restore's own backup, then
    // deletes it; `words` name the step in the report.
    UndoResult TakeKeyAway(REGSAM view, const std::string& path, const char* words);
    UndoResult TakeValueAway(REGSAM view, const std::string& path, const std::string& name, const char* words);
    // Puts a stored file back at `path` with its attributes and times.
    bool PutFileBack(const std::string& stored, const std::string& path, const std::string& attributes,
                     const std::string& times);
    std::string Stored(const std::string& name) const { return from_ + "\\" + name; }

    std::string from_;
    TBackup& record_;
    std::map<std::string, std::string> iniAfter_;  // upper-case path: its hash after the pass
    std::set<std::string> done_;                   // stored names already put back
    std::map<std::string, BackupChange> fileRemoved_;  // by stored name
};

}  // namespace qm
