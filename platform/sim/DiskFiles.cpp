// Open files of the simulated disk: CreateFileA's dispositions, share modes,
// reading, writing, the file pointer and the size.
#include "platform/sim/DiskRecords.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace qm::sim {

namespace {

constexpr DWORD kDelete = 0x00010000;  // DELETE

struct Rights {
    bool read = false, write = false, append = false, remove = false;
    bool Any() const { return read || write || append || remove; }
};

Rights RightsOf(DWORD access) {
    Rights rights;
    rights.read = (access & (GENERIC_READ | kFileReadData | kGenericAll)) != 0;
    rights.write = (access & (GENERIC_WRITE | kFileWriteData | kGenericAll)) != 0;
    rights.append = rights.write || (access & FILE_APPEND_DATA) != 0;
    rights.remove = (access & (kDelete | kGenericAll)) != 0;
    return rights;
}

// Whether an open with these rights and share mode may sit beside one that
// holds otherRights and otherShare; opens without data or delete access never
// conflict.
bool Compatible(const Rights& rights, DWORD share, const Rights& otherRights, DWORD otherShare) {
    if (!rights.Any() || !otherRights.Any()) return true;
    auto allows = [](const Rights& r, DWORD s) {
        return (!r.read || (s & FILE_SHARE_READ)) && (!(r.write || r.append) || (s & FILE_SHARE_WRITE)) &&
               (!r.remove || (s & FILE_SHARE_DELETE));
    };
    return allows(rights, otherShare) && allows(otherRights, share);
}

}  // namespace

DWORD DiskStore::OpenFile(HANDLE handle, const std::string& path, DWORD access, DWORD shareMode,
                          DWORD creation, DWORD flagsAndAttributes, bool& existed) {
    existed = false;
    if (creation < CREATE_NEW || creation > TRUNCATE_EXISTING) return ERROR_INVALID_PARAMETER;
    Located file;
    if (DWORD error = Locate(path, file)) return error;
    if (file.path.IsRoot()) return ERROR_ACCESS_DENIED;
    if (HasWildcard(file.path.parts.back())) return ERROR_INVALID_NAME;
    if (file.IsDirectory()) {
        // A folder opens only for its times and attributes.
        if (creation != OPEN_EXISTING || (flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) == 0)
            return creation == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED;
        UniqueFd folder(::open(file.host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder) return ErrorFromErrno(errno);
        auto record = std::make_unique<OpenFileRecord>();
        record->fd = std::move(folder);
        record->id = file.id;
        record->path = path;
        record->share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        record->writeAttributes = (access & (GENERIC_WRITE | FILE_WRITE_ATTRIBUTES | kGenericAll)) != 0;
        record->directory = true;
        files_[handle] = std::move(record);
        existed = true;
        return 0;
    }
    if (file.path.trailingSeparator) return ERROR_INVALID_NAME;

    const Rights rights = RightsOf(access);
    const bool truncates = creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING;
    const DWORD requested = flagsAndAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                  FILE_ATTRIBUTE_SYSTEM);
    UniqueFd fd;
    if (file.exists) {
        existed = true;
        if (creation == CREATE_NEW) return ERROR_FILE_EXISTS;
        if (creation == TRUNCATE_EXISTING && !rights.write) return ERROR_INVALID_PARAMETER;
        if (file.writeProtected && (rights.write || rights.append || rights.remove || truncates)) return ERROR_WRITE_PROTECT;
        if (file.readOnly && (rights.write || rights.append || truncates)) return ERROR_ACCESS_DENIED;
        // Overwriting a hidden or system file must ask for those attributes.
        const DWORD guarded = AttributesOf(file) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (creation == CREATE_ALWAYS && (guarded & ~requested) != 0) return ERROR_ACCESS_DENIED;
        for (const auto& [other, record] : files_) {
            const Rights held{record->read, record->write, record->append, record->remove};
            if (record->id == file.id && !Compatible(rights, shareMode, held, record->share))
                return ERROR_SHARING_VIOLATION;
        }
        int flags = (rights.write || rights.append || truncates) ? O_RDWR : O_RDONLY;
        if (truncates) flags |= O_TRUNC;
        fd = UniqueFd(::open(file.host.c_str(), flags | O_CLOEXEC));
        if (!fd) return ErrorFromErrno(errno);
        if (creation == CREATE_ALWAYS) {
            RememberAttributes(file.id, requested | FILE_ATTRIBUTE_ARCHIVE);
            if (requested & FILE_ATTRIBUTE_READONLY) SetHostReadOnly(file.host, true);
        }
    } else {
        if (creation == OPEN_EXISTING || creation == TRUNCATE_EXISTING) return ERROR_FILE_NOT_FOUND;
        if (file.writeProtected) return ERROR_WRITE_PROTECT;
        {
            HostWriteAccess writable(file.parentHost);
            fd = UniqueFd(::open(file.host.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        }
        if (!fd) return ErrorFromErrno(errno);
        NoteChanges(file, {{file.actual.back(), true}});
        struct stat created {};
        if (::fstat(fd.get(), &created) != 0) return ErrorFromErrno(errno);
        RememberAttributes(IdOf(created), requested | FILE_ATTRIBUTE_ARCHIVE);
        if (requested & FILE_ATTRIBUTE_READONLY) SetHostReadOnly(file.host, true);
        AliasOf(file.parentHost, file.actual.back());
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return ErrorFromErrno(errno);
    auto record = std::make_unique<OpenFileRecord>();
    record->fd = std::move(fd);
    record->id = IdOf(info);
    record->path = path;
    record->share = shareMode;
    record->read = rights.read;
    record->write = rights.write;
    record->append = rights.append;
    record->remove = rights.remove;
    record->writeAttributes = (access & (GENERIC_WRITE | FILE_WRITE_ATTRIBUTES | kGenericAll)) != 0 && !file.writeProtected;
    files_[handle] = std::move(record);
    return 0;
}

bool DiskStore::CloseHandle(HANDLE handle) { return files_.erase(handle) > 0; }

const std::string* DiskStore::OpenedAs(HANDLE handle) const {
    if (auto it = files_.find(handle); it != files_.end()) return &it->second->path;
    if (auto it = finds_.find(handle); it != finds_.end()) return &it->second.pattern;
    return nullptr;
}

DWORD DiskStore::ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD& read) {
    read = 0;
    auto it = files_.find(file);
    if (it == files_.end()) return ERROR_INVALID_HANDLE;
    if (!it->second->read) return ERROR_ACCESS_DENIED;
    auto* bytes = static_cast<char*>(buffer);
    while (read < toRead) {
        const ssize_t got = ::read(it->second->fd.get(), bytes + read, toRead - read);
        if (got < 0) {
            if (errno == EINTR) continue;
            return ErrorFromErrno(errno);
        }
        if (got == 0) break;  // end of file: success with what was read
        read += static_cast<DWORD>(got);
    }
    return 0;
}

DWORD DiskStore::WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD& written) {
    written = 0;
    auto it = files_.find(file);
    if (it == files_.end()) return ERROR_INVALID_HANDLE;
    OpenFileRecord& record = *it->second;
    if (!record.write && !record.append) return ERROR_ACCESS_DENIED;
    // A handle with FILE_APPEND_DATA but no FILE_WRITE_DATA writes at the end.
    if (!record.write && ::lseek(record.fd.get(), 0, SEEK_END) < 0) return ErrorFromErrno(errno);
    const auto* bytes = static_cast<const char*>(buffer);
    while (written < toWrite) {
        const ssize_t put = ::write(record.fd.get(), bytes + written, toWrite - written);
        if (put < 0) {
            if (errno == EINTR) continue;
            return ErrorFromErrno(errno);
        }
        written += static_cast<DWORD>(put);
    }
    struct stat info {};
    if (toWrite > 0 && ::fstat(record.fd.get(), &info) == 0) {
        auto extra = extras_.find(IdOf(info));
        if (extra != extras_.end()) extra->second |= FILE_ATTRIBUTE_ARCHIVE;  // changed since the last backup
    }
    return 0;
}

DWORD DiskStore::SetFilePointer(HANDLE file, std::int64_t distance, DWORD method, std::uint64_t& position) {
    auto it = files_.find(file);
    if (it == files_.end()) return ERROR_INVALID_HANDLE;
    const int fd = it->second->fd.get();
    std::int64_t base = 0;
    if (method == FILE_CURRENT) {
        base = ::lseek(fd, 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat info {};
        if (::fstat(fd, &info) != 0) return ErrorFromErrno(errno);
        base = info.st_size;
    } else if (method != FILE_BEGIN) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::int64_t target = base + distance;
    if (target < 0) return kErrorNegativeSeek;
    if (::lseek(fd, target, SEEK_SET) < 0) return ErrorFromErrno(errno);
    position = static_cast<std::uint64_t>(target);
    return 0;
}

DWORD DiskStore::GetFileSize(HANDLE file, std::uint64_t& size) {
    auto it = files_.find(file);
    if (it == files_.end()) return ERROR_INVALID_HANDLE;
    struct stat info {};
    if (::fstat(it->second->fd.get(), &info) != 0) return ErrorFromErrno(errno);
    size = static_cast<std::uint64_t>(info.st_size);
    return 0;
}

}  // namespace qm::sim
