// Host-side helpers of the simulated disk.
#include "platform/sim/DiskHost.h"

#include <cerrno>
#include <cstdint>

#include <unistd.h>

namespace qm::sim {

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

HostWriteAccess::HostWriteAccess(std::filesystem::path folder) : folder_(std::move(folder)) {
    struct stat info {};
    if (::stat(folder_.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
        mode_ = info.st_mode & 07777;
        restore_ = ::chmod(folder_.c_str(), mode_ | S_IWUSR) == 0;
    }
}

HostWriteAccess::~HostWriteAccess() {
    if (restore_) ::chmod(folder_.c_str(), mode_);
}

bool IsWithin(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const std::string& p = path.native();
    const std::string& f = folder.native();
    if (p.size() < f.size() || p.compare(0, f.size(), f) != 0) return false;
    return p.size() == f.size() || f.back() == '/' || p[f.size()] == '/';
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR: return ERROR_ACCESS_DENIED;
        case EEXIST: return ERROR_ALREADY_EXISTS;
        case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
        case ENOSPC:
        case EDQUOT: return ERROR_DISK_FULL;
        case EROFS: return ERROR_WRITE_PROTECT;
        case ENAMETOOLONG: return ERROR_INVALID_NAME;
        case EBADF: return ERROR_INVALID_HANDLE;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        default: return ERROR_ACCESS_DENIED;
    }
}

bool HostStat(const std::filesystem::path& path, struct stat& info) {
    return ::lstat(path.c_str(), &info) == 0;
}

bool SetHostReadOnly(const std::filesystem::path& path, bool readOnly) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    mode_t mode = info.st_mode & 07777;
    mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    return ::chmod(path.c_str(), mode) == 0;
}

FILETIME FileTimeOf(const struct timespec& time) {
    constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
    const std::int64_t ticks =
        (static_cast<std::int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * 10000000 + time.tv_nsec / 100;
    const auto value = static_cast<std::uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

}  // namespace qm::sim
