// Placeholder: filled in by the simulated machine's DiskStore.
#pragma once

#include <filesystem>

#include "platform/WinTypes.h"

namespace qm::sim {

class DiskStore {
public:
    explicit DiskStore(std::filesystem::path hostRoot) : hostRoot_(std::move(hostRoot)) {}
    bool CloseHandle(HANDLE) { return false; }

private:
    std::filesystem::path hostRoot_;
};

}  // namespace qm::sim
