// What a removal script may never harm, one rule each. Every operation that
// deletes, renames, unregisters or stops asks here first; a refused item
// gets no row that could act, and the removal pass reports the refusal with
// its reason.
//
//   folders    a drive's root, every special folder of the system and the
//              user (and their 32-bit twins), the folder of the user
//              profiles, Quellmar's own folder and its backups - and every
//              folder that holds one of them;
//   files      a name with * or ? (a pattern, not a file), a file Windows
//              File Protection guards, the program file of a process Windows
//              needs, and Quellmar's own program;
//   processes  Quellmar itself, process ids 0 and 4, the processes Windows
//              needs (by their program file in the system or Windows folder,
//              not by their name), and any process Windows marks critical;
//   registry   the keys listed in ProtectedRegistryKeys() and their ancestors,
//              deleted as a whole (their values and sub-keys stay reachable).
//
// Paths are compared as Windows resolves them: the full path (".", "..",
// repeated separators, trailing dots and blanks), long names for 8.3 names,
// case ignored.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace qm {

// Why an object may not be touched, or nothing when it may.
using Refusal = std::optional<std::string>;

class TGuardRails {
public:
    // Reads from this machine what to protect.
    TGuardRails();

    Refusal Folder(const std::string& path) const;  // deleting or renaming a folder
    Refusal File(const std::string& path) const;    // deleting, renaming or unregistering a file

    struct ProtectedFolder {
        std::string canonical;
        std::string name;  // what it is, for the reason
    };
    const std::vector<ProtectedFolder>& ProtectedFolders() const { return folders_; }

private:
    std::vector<ProtectedFolder> folders_;
};

// The path as Windows resolves it, long names for short ones as far as it
// exists, upper case, without a trailing separator (but a root's).
std::string CanonicalPath(const std::string& path);
bool HasWildcard(const std::string& path);

// Stopping a process started from `image`.
Refusal ProcessRefusal(DWORD processId, const std::string& image);
// Deleting the key at `path` with everything below it.
Refusal RegistryKeyRefusal(const std::string& path);
// The keys whose deletion as a whole breaks Windows (canonical: the root as
// HKLM, HKCU, HKU or HKCC, HKCR as HKLM\SOFTWARE\CLASSES, upper case).
const std::vector<std::string>& ProtectedRegistryKeys();

}  // namespace qm
