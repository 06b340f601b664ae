// What the simulated disk's source files share beyond DiskStore.h: the record
// of an open file and the host's view of an entry. Read only by
// platform/sim/Disk*.cpp.
#pragma once

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

}  // namespace qm::sim
