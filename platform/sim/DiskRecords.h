// What the simulated disk's source files share beyond DiskStore.h: the record
// of an open file and the host's view of an entry. Read only by
// platform/sim/Disk*.cpp.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include <sys/stat.h>

#include "platform/sim/DiskHost.h"
#include "platform/sim/DiskStore.h"

namespace qm::sim {

struct OpenFileRecord {
    UniqueFd fd;
    FileId id;
    std::string path;  // as given to CreateFileA
    DWORD share = 0;
    bool read = false, write = false, append = false, remove = false;
    bool writeAttributes = false;  // may set the times
    bool directory = false;        // a folder opened for its times (FILE_FLAG_BACKUP_SEMANTICS)
};

inline FileId IdOf(const struct stat& info) {
    return FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// When a folder's entries last changed on the host, in nanoseconds.
inline std::int64_t StampOf(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

struct WalkFolder {
    std::filesystem::path host;
    UniqueFd fd;  // O_PATH: only for looking up names in it
    FileId id;
    std::int64_t stamp = 0;
};

struct HostEntry {
    std::string name;      // ANSI, as stored
    std::string hostName;  // as the host spells it
    struct stat info {};   // of the entry, or of where its link leads
    bool link = false;
};

}  // namespace qm::sim
