// What a test's registry key and folder hold, for "undone means exactly as
// before" checks: every key below the key with its values (type and data,
// enumeration order ignored), and every file and folder below the folder
// with its attributes, contents and times.
#pragma once

#include <map>
#include <string>

#include "platform/Platform.h"

namespace qm::test {

struct AreaSnapshot {
    // "key <path>", "value <path> | <name>", "file <path>", "folder <path>",
    // each mapped to what it holds; paths relative to the area.
    std::map<std::string, std::string> entries;
    bool operator==(const AreaSnapshot&) const = default;
};

struct SnapshotOptions {
    // Wine keeps no creation time of its own: it reports the last change.
    bool creationTimes = true;
};

AreaSnapshot TakeSnapshot(Platform& platform, HKEY root, const std::string& subKey, const std::string& folder,
                          const SnapshotOptions& options = {});
// The same for a whole machine: keys and folders added under a name of their
// own ("HKLM", "C:").
void AddKeyTree(Platform& platform, HKEY root, const std::string& subKey, const std::string& name,
                AreaSnapshot& shot);
void AddFolderTree(Platform& platform, const std::string& folder, const std::string& name, AreaSnapshot& shot,
                   const SnapshotOptions& options = {});

// The entries that differ, one per line, for a failure message.
std::string Differences(const AreaSnapshot& before, const AreaSnapshot& after);

}  // namespace qm::test
