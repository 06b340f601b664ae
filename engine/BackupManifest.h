// The manifest of a backup: every change of a cleanup (or of a restore), in
// the order it was made, with what undoing it takes. A text file,
// manifest.txt, in the backup's folder:
//
//   Quellmar backup<TAB>1
//   kind<TAB>cleanup          (or restore)
//   script<TAB>C:\...\pest.malware
//   created<TAB>2026-12-10 08:30:00
//   of<TAB>2026-12-10 08.20.00   (a restore: the backup it undid)
//   change<TAB><kind><TAB><field>...    one line per change, appended as it is made
//
// Fields escape "\" as "\\", a tab as "\t", a line end as "\n" and "\r".
// The change kinds and their fields:
//   key-removed      view path stored      a key tree was deleted; stored: its .reg file
//   key-created      view path             a key was made where none was
//   value-set        view path name stored type data
//                                          a value was written; stored: the .reg file of
//                                          the value it replaced ("-": none); type and
//                                          data (hex): what was written
//   value-removed    view path name stored a value was deleted; stored: its .reg file
//   ini-file         path stored attributes times parent-times
//                                          an INI file before the pass's first change to
//                                          it (stored "-": there was none)
//   ini-after        path hash             what the pass left in it (FNV-1a; "-": no file)
//   file-removed     path stored attributes times parent-times
//                                          a file moved into the backup as `stored`
//   file-pending     path stored road detail extra started-batch
//                                          the file was in use: `stored` is a copy ("-":
//                                          it was locked) and the file is deleted at the
//                                          next start by the road (batch, reboot or
//                                          wininit; see PendingRoad); started-batch: the
//                                          batch file started at once, if any
//   folder-removed   path listing attributes times parent-times
//                                          a folder's files moved into the backup; the
//                                          listing has one "entry" line a file or folder:
//                                          relative path, stored name ("-" for a folder),
//                                          attributes, times
//   folder-created   path parent-times     a folder was made
//   renamed          new old old-parent-times new-parent-times
//   server-unregistered path / server-registered path
//   process-stopped  path                  a running program was stopped (no undo)
//   file-added, folder-added, key-added (view path), value-added (view path name)
//                                          a restore put the object back
//   not-made                               the change before it did not happen
// view: 0, 64 or 32 (the program's own registry view, or KEY_WOW64_*);
// attributes: 8 hex digits; times: creation, last access and last write,
// 16 hex digits each ("-": unknown).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct BackupChange {
    std::string kind;
    std::vector<std::string> fields;
    bool made = true;  // false: a "not-made" line follows it
    std::string Field(std::size_t index) const { return index < fields.size() ? fields[index] : std::string(); }
};

struct BackupManifest {
    std::string kind;     // "cleanup" or "restore"
    std::string script;   // the removal script the cleanup ran
    std::string created;  // "YYYY-MM-DD HH:MM:SS"
    std::string of;       // a restore: the id of the backup it undid
    std::vector<BackupChange> changes;
};

inline constexpr std::string_view kManifestFile = "manifest.txt";
inline constexpr std::string_view kChangeNotMade = "not-made";

// The manifest's first lines.
std::string ManifestHead(const BackupManifest& manifest);
// One change's line, ended by CR LF.
std::string ChangeLine(const BackupChange& change);
// The "change" lines of a text (a manifest's, or a folder listing's), with
// "not-made" lines applied.
std::vector<BackupChange> ParseChangeLines(std::string_view text);
// The manifest in a file's text; nothing when it is not one.
std::optional<BackupManifest> ParseManifest(std::string_view text);

}  // namespace qm
