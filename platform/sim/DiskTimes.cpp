// Copies and the times of files on the simulated disk.
#include "platform/sim/DiskNames.h"
#include "platform/sim/DiskRecords.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::sim {

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

struct timespec TimespecOf(const FILETIME& time) {
    const std::int64_t ticks = static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                                         time.dwLowDateTime);
    struct timespec spec {};
    spec.tv_sec = static_cast<time_t>(ticks / kTicksPerSecond - kSecondsFrom1601To1970);
    spec.tv_nsec = static_cast<long>((ticks % kTicksPerSecond) * 100);
    return spec;
}

}  // namespace

FILETIME DiskStore::CreationTimeOf(FileId id, const struct ::stat& info) {
    auto it = creationTimes_.find(id);
    if (it == creationTimes_.end()) it = creationTimes_.emplace(id, FileTimeOf(info.st_mtim)).first;
    return it->second;
}

DWORD DiskStore::CopyFile(const std::string& existing, const std::string& newName, bool failIfExists) {
    Located from;
    if (DWORD error = Locate(existing, from)) return error;
    if (!from.exists) return ERROR_FILE_NOT_FOUND;
    if (from.IsDirectory()) return ERROR_ACCESS_DENIED;
    // A file another program holds open without sharing its reading cannot be read.
    if (const InUseMark* mark = MarkOf(from); mark && mark->error == ERROR_SHARING_VIOLATION) return mark->error;
    Located to;
    if (DWORD error = Locate(newName, to)) return error;
    if (to.path.IsRoot() || to.IsDirectory()) return ERROR_ACCESS_DENIED;
    if (to.writeProtected) return ERROR_WRITE_PROTECT;
    if (to.exists) {
        if (failIfExists) return ERROR_FILE_EXISTS;
        if (to.readOnly) return ERROR_ACCESS_DENIED;
        if (const InUseMark* mark = MarkOf(to)) return mark->error;
        if (IsOpenWithoutShareDelete(to.id)) return ERROR_SHARING_VIOLATION;
    }
    const std::filesystem::path target = to.exists ? to.host : HostChild(to.parentHost, to.path.parts.back());
    {
        HostWriteAccess writable(to.parentHost);
        if (to.exists && to.readOnly) SetHostReadOnly(to.host, false);
        std::error_code ec;
        std::filesystem::copy_file(from.host, target, std::filesystem::copy_options::overwrite_existing, ec);
        if (ec) return ErrorFromErrno(ec.value());
    }
    if (!to.exists) NoteChanges(to, {{to.path.parts.back(), true}});
    struct stat source {}, copy {};
    if (!HostStat(from.host, source) || !HostStat(target, copy)) return ERROR_FILE_NOT_FOUND;
    // The copy keeps the attributes and the last write time.
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    ::utimensat(AT_FDCWD, target.c_str(), times, 0);
    RememberAttributes(IdOf(copy), AttributesOf(from));
    SetHostReadOnly(target, from.readOnly);
    creationTimes_.erase(IdOf(copy));
    AliasOf(to.parentHost, to.path.parts.back());
    return 0;
}

DWORD DiskStore::GetTimes(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) {
    auto it = files_.find(file);
    if (it == files_.end()) return ERROR_INVALID_HANDLE;
    struct stat info {};
    if (::fstat(it->second->fd.get(), &info) != 0) return ErrorFromErrno(errno);
    if (creation) *creation = CreationTimeOf(it->second->id, info);
    if (lastAccess) *lastAccess = FileTimeOf(info.st_atim);
    if (lastWrite) *lastWrite = FileTimeOf(info.st_mtim);
    return 0;
}

DWORD DiskStore::SetTimes(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                          const FILETIME* lastWrite) {
    auto it = files_.find(file);
    if (it == files_.end()) return ERROR_INVALID_HANDLE;
    OpenFileRecord& record = *it->second;
    if (!record.writeAttributes) return ERROR_ACCESS_DENIED;
    struct timespec times[2];
    times[0].tv_nsec = times[1].tv_nsec = UTIME_OMIT;
    if (lastAccess) times[0] = TimespecOf(*lastAccess);
    if (lastWrite) times[1] = TimespecOf(*lastWrite);
    if ((lastAccess || lastWrite) && ::futimens(record.fd.get(), times) != 0) return ErrorFromErrno(errno);
    if (creation) creationTimes_[record.id] = *creation;
    return 0;
}

}  // namespace qm::sim
