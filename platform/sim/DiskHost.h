// Small helpers for the host side of the simulated disk: owned descriptors,
// host errors as Win32 errors, times as FILETIME.
#pragma once

#include <filesystem>
#include <utility>

#include <sys/stat.h>

#include "platform/WinTypes.h"

namespace qm::sim {

// Owns a host file descriptor and closes it once.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Gives up ownership (the caller closes it).
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};

// A read-only simulated folder is a host folder without its owner-write bit,
// which would also stop the host from changing its entries. This gives the
// bit back for the life of the object, so the simulation can create, delete
// and rename inside such a folder as Windows can.
class HostWriteAccess {
public:
    explicit HostWriteAccess(std::filesystem::path folder);
    ~HostWriteAccess();
    // The folder was renamed while writable: its mode goes back under the new name.
    void MovedTo(std::filesystem::path folder) { folder_ = std::move(folder); }
    HostWriteAccess(const HostWriteAccess&) = delete;
    HostWriteAccess& operator=(const HostWriteAccess&) = delete;

private:
    std::filesystem::path folder_;
    bool restore_ = false;
    mode_t mode_ = 0;
};

// Whether path is folder or lies below it (both resolved already).
bool IsWithin(const std::filesystem::path& path, const std::filesystem::path& folder);

// The Win32 error that matches a host errno value.
DWORD ErrorFromErrno(int error);

// lstat that reports success.
bool HostStat(const std::filesystem::path& path, struct stat& info);

// Read-only is the missing owner-write bit.
inline bool IsHostReadOnly(const struct stat& info) { return (info.st_mode & S_IWUSR) == 0; }
bool SetHostReadOnly(const std::filesystem::path& path, bool readOnly);

// A host time as Windows counts it: 100 ns steps since 1601-01-01 UTC.
FILETIME FileTimeOf(const struct timespec& time);

}  // namespace qm::sim
