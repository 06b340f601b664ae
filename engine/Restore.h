// Undoing a cleanup: the backups on this machine, listed, restored and
// deleted.
//
// A restore undoes the changes of a backup in reverse order; restored again,
// the backup retries only the changes that were kept or failed. It never
// replaces what now exists where an object was (a file, a key, a value
// written since): it reports it and leaves that object in the backup. It
// cancels the deletion at the next start of a file it puts back and registers
// again the servers it unregistered. What the restore itself replaces or
// removes is kept in a backup of its own (kind "restore"), so a restore loses
// nothing either. Stopped programs are not started again.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/ItemList.h"

namespace qm {

struct BackupInfo {
    std::string id;      // the folder's name: its date and time
    std::string folder;  // its full path
    std::string kind;    // "cleanup" or "restore"
    std::string script;  // the removal script of the cleanup
    std::string created;
    std::string of;      // a restore: the backup it undid
    int changes = 0;     // the changes made (a restore's steps)
    int restored = 0;    // of them, undone by an earlier restore
};

// Every backup on this machine, the newest first. A folder without a
// readable manifest is left out.
std::vector<BackupInfo> ListBackups();
// The backup with this id, or the newest for "latest".
std::optional<BackupInfo> FindBackup(const std::string& idOrLatest);

struct RestoreOutcome {
    int restored = 0;  // changes undone (or found already undone)
    int kept = 0;      // left in the backup: something is in the way, or no undo
    int failed = 0;
    int restoredBefore = 0;  // undone by an earlier restore of this backup: skipped
    int notRestorable = 0;   // stopped programs: not started again
    std::string backupFolder;  // the restore's own backup; empty when it changed nothing
};

// Undoes the backup's changes. Report lines as the removal's: caption,
// operation ("Restore ...", "Error Restore ...", "Not done: Restore ..."),
// path, name, and why. progress(done, total) after every change.
RestoreOutcome RestoreBackup(const BackupInfo& backup, ItemList* report,
                             const std::function<void(int, int)>& progress = {});

// Removes the backup's folder with everything in it; false with why.
bool DeleteBackup(const BackupInfo& backup, std::string& error);

}  // namespace qm
