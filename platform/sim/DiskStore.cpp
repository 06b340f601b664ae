// The simulated disk: attributes, files in use and the current directory.
#include "platform/sim/DiskStore.h"

#include <algorithm>
#include <system_error>

#include "platform/sim/DiskNames.h"
#include "platform/sim/DiskRecords.h"

namespace qm::sim {

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

}  // namespace

DiskStore::DiskStore(std::filesystem::path hostRoot) : hostRoot_(std::move(hostRoot)) {
    MapDrive('C', hostRoot_ / "drive_c");
}

DiskStore::~DiskStore() = default;

// ---- Attributes ----

DWORD DiskStore::AttributesOf(FileId id, bool directory, bool readOnly) const {
    DWORD attributes = 0;
    if (directory) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (readOnly) attributes |= FILE_ATTRIBUTE_READONLY;
    auto it = extras_.find(id);
    if (it != extras_.end())
        attributes |= it->second;
    else if (!directory)
        attributes |= FILE_ATTRIBUTE_ARCHIVE;  // what a new file carries
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

void DiskStore::RememberAttributes(FileId id, DWORD attributes) {
    extras_[id] = attributes & kKeptAttributes;
}

DWORD DiskStore::GetAttributes(const std::string& path, DWORD& attributes) {
    Located located;
    if (DWORD error = Locate(path, located)) return error;
    if (!located.path.IsRoot() && HasWildcard(located.path.parts.back())) return ERROR_INVALID_NAME;
    if (!located.exists) return ERROR_FILE_NOT_FOUND;
    if (located.path.trailingSeparator && !located.IsDirectory()) return ERROR_INVALID_NAME;
    attributes = AttributesOf(located);
    return 0;
}

DWORD DiskStore::SetAttributes(const std::string& path, DWORD attributes) {
    Located located;
    if (DWORD error = Locate(path, located)) return error;
    if (!located.path.IsRoot() && HasWildcard(located.path.parts.back())) return ERROR_INVALID_NAME;
    if (!located.exists) return ERROR_FILE_NOT_FOUND;
    if (located.writeProtected) return ERROR_WRITE_PROTECT;
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly != located.readOnly && !SetHostReadOnly(located.host, readOnly)) return ERROR_ACCESS_DENIED;
    RememberAttributes(located.id, attributes);
    return 0;
}

// ---- Files in use ----

std::string DiskStore::KeyOf(const std::string& windowsPath) {
    Located located;
    if (Locate(windowsPath, located) == 0) return located.Key();
    WindowsPath path;
    if (ParseWindowsPath(windowsPath, currentDirectory_, path) == 0) return UpperName(path.Text());
    return UpperName(windowsPath);
}

void DiskStore::MarkInUse(const std::string& windowsPath, DWORD deleteError) {
    const std::string key = KeyOf(windowsPath);
    std::erase_if(marks_, [&](const InUseMark& mark) { return mark.key == key; });
    marks_.push_back(InUseMark{key, key, deleteError});
}

void DiskStore::ClearInUse(const std::string& windowsPath) {
    const std::string key = KeyOf(windowsPath);
    std::erase_if(marks_, [&](const InUseMark& mark) { return mark.key == key || mark.givenKey == key; });
}

const DiskStore::InUseMark* DiskStore::MarkOf(const Located& file) const {
    const std::string key = file.Key();
    for (const auto& mark : marks_)
        if (mark.key == key) return &mark;
    return nullptr;
}

bool DiskStore::IsOpenWithoutShareDelete(FileId id) const {
    return std::any_of(files_.begin(), files_.end(), [&](const auto& entry) {
        return entry.second->id == id && (entry.second->share & FILE_SHARE_DELETE) == 0;
    });
}

// ---- Current directory and short paths ----

DWORD DiskStore::SetCurrentDirectory(const std::string& path) {
    Located located;
    if (DWORD error = Locate(path, located)) return error;
    if (!located.exists) return ERROR_FILE_NOT_FOUND;
    if (!located.IsDirectory()) return kErrorDirectory;
    currentDirectory_ = located.path.Text();
    return 0;
}

}  // namespace qm::sim
