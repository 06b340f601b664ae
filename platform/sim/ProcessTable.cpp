// The simulated machine's process list and its snapshot and process handles.
#include "platform/sim/ProcessTable.h"

#include <algorithm>
#include <cctype>

#include "platform/sim/SamePath.h"

namespace qm::sim {

DWORD ProcessTable::Start(std::string exePath) {
    SimProcess process;
    process.id = nextId_;
    nextId_ += 4;
    process.exePath = std::move(exePath);
    running_.push_back(std::move(process));
    return running_.back().id;
}

bool ProcessTable::End(DWORD processId, DWORD exitCode) {
    auto it = std::find_if(running_.begin(), running_.end(),
                           [&](const SimProcess& p) { return p.id == processId; });
    if (it == running_.end()) return false;
    running_.erase(it);
    exitCodes_[processId] = exitCode;
    return true;
}

std::optional<DWORD> ProcessTable::ExitCode(DWORD processId) const {
    auto it = exitCodes_.find(processId);
    if (it == exitCodes_.end()) return std::nullopt;
    return it->second;
}

SimProcess* ProcessTable::Find(DWORD processId) {
    for (SimProcess& process : running_)
        if (process.id == processId) return &process;
    return nullptr;
}

bool ProcessTable::IsImageRunning(std::string_view exePath) const {
    return std::any_of(running_.begin(), running_.end(),
                       [&](const SimProcess& p) { return SamePath(p.exePath, exePath); });
}

void ProcessTable::AddSnapshot(HANDLE handle, ProcessSnapshot snapshot) {
    snapshots_[handle] = std::move(snapshot);
}

ProcessSnapshot* ProcessTable::FindSnapshot(HANDLE handle) {
    auto it = snapshots_.find(handle);
    return it == snapshots_.end() ? nullptr : &it->second;
}

void ProcessTable::AddProcessHandle(HANDLE handle, ProcessHandleRecord record) {
    processHandles_[handle] = record;
}

const ProcessHandleRecord* ProcessTable::FindProcessHandle(HANDLE handle) const {
    auto it = processHandles_.find(handle);
    return it == processHandles_.end() ? nullptr : &it->second;
}

bool ProcessTable::CloseHandle(HANDLE handle) {
    return snapshots_.erase(handle) > 0 || processHandles_.erase(handle) > 0;
}

}  // namespace qm::sim
