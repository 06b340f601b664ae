// One pass over a removal script, without widgets: one engine and one reader
// created, wired and freed, the way the wizard runs its scan and removal
// passes. Used by the wizard, the command-line front end and the tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/ItemList.h"
#include "engine/Quarn_link.h"

namespace qm {

// The lists the engine fills: the five item lists and the report list.
struct PassLists {
    ItemList* registry = nullptr;
    ItemList* disk = nullptr;
    ItemList* ini = nullptr;
    ItemList* process = nullptr;
    ItemList* server = nullptr;
    ItemList* report = nullptr;
};

struct PassCallbacks {
    TStatusProc status = nullptr;
    TProgressProc progress;
    TProgressProc progressMax;
    // Asked after every record and before every queued deletion: true ends
    // the pass there. The records read so far keep their rows; in a removal
    // pass the queued deletions not yet started, and the checked rows the
    // read never reached, get report lines "Not done: ...".
    std::function<bool()> stopRequested;
};

struct PassOptions {
    // The removal pass keeps what it changes in a backup first
    // (engine/Backup.h), so that the cleanup can be undone.
    bool keepBackup = false;
};

struct PassResult {
    bool scriptOpened = false;  // false: the script had vanished (the halt has run)
    bool hadErrors = false;     // a report line failed: the wizard offers Retry
    // Items the guard rails refused in a scan pass (the removal pass reports
    // them as lines of its own).
    std::vector<TRefusalNote> refusals;
    bool stopped = false;       // stopRequested ended the pass early
    // The removal pass's backup; empty when it kept none (nothing changed,
    // or no backup asked for).
    std::string backupFolder;
    int backupChanges = 0;
};

// Runs one pass over the script: the scan pass fills the item lists, the
// removal pass acts on their checked rows and fills the report. ModulePath
// receives the module extracted for this pass (empty when the script has
// none); the copy of an earlier pass is deleted first.
PassResult RunPass(const std::string& ScriptPath, bool ScanMode, const PassLists& Lists,
                   const PassCallbacks& Callbacks, std::string& ModulePath, const PassOptions& Options = {});

// The preview read: the description of the script's first record. A corrupt
// or unreadable script goes through the engine's halt; Ok tells whether the
// read ran to its end (the wizard then enables Next).
struct PreviewResult {
    bool Ok = false;
    std::string Description;
};
PreviewResult ReadPreview(const std::string& ScriptPath);

}  // namespace qm
