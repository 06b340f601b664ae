// The processes running on the simulated machine, and the snapshot and
// process handles the program holds on them.
//
// Tests start and end processes directly; the program sees them through the
// Tool Help snapshot, OpenProcess, PSAPI and TerminateProcess (SimSystem.cpp),
// which use the handle records kept here.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace qm::sim {

struct SimProcess {
    DWORD id = 0;
    std::string exePath;  // full path of the executable, as it was started
    DWORD parentId = 0;
    int bits = 0;                  // 32 or 64; 0: the machine's own
    bool refuseOpen = false;       // OpenProcess fails with ERROR_ACCESS_DENIED
    bool refuseRead = false;       // OpenProcess for PSAPI's query and read access fails with ERROR_ACCESS_DENIED
    bool refuseTerminate = false;  // TerminateProcess fails with ERROR_ACCESS_DENIED
    bool critical = false;         // Windows cannot go on without it (NtQueryInformationProcess says so)
};

// A process list frozen when the snapshot was taken, with its read position.
struct ProcessSnapshot {
    std::vector<SimProcess> processes;
    bool nineXNames = false;  // the 9x family: szExeFile holds the full path
    std::size_t next = 0;     // index of the entry Process32Next gives
};

// What an OpenProcess handle refers to; the process may have ended since.
struct ProcessHandleRecord {
    DWORD processId = 0;
    DWORD access = 0;
    bool thread = false;  // the handle of the process's (one) thread
};

class ProcessTable {
public:
    // Starts a process from exePath (a full Windows path) and gives its id.
    // Ids are multiples of four, as on Windows, and never reused.
    DWORD Start(std::string exePath);
    // Ends a running process; false when no process has that id.
    bool End(DWORD processId, DWORD exitCode = 0);
    // The exit code of a process that has ended, if it has.
    std::optional<DWORD> ExitCode(DWORD processId) const;

    SimProcess* Find(DWORD processId);
    const std::vector<SimProcess>& running() const { return running_; }
    // Whether a running process was started from this file (the path compared
    // ignoring case, "/" as "\").
    bool IsImageRunning(std::string_view exePath) const;

    // ---- Handles (the values come from SimPlatform::NewHandle) ----
    void AddSnapshot(HANDLE handle, ProcessSnapshot snapshot);
    ProcessSnapshot* FindSnapshot(HANDLE handle);
    void AddProcessHandle(HANDLE handle, ProcessHandleRecord record);
    const ProcessHandleRecord* FindProcessHandle(HANDLE handle) const;
    // Releases a handle this store issued; false when it is not one of its own.
    bool CloseHandle(HANDLE handle);
    // Snapshot and process handles not yet closed, to find leaks.
    std::size_t openHandles() const { return snapshots_.size() + processHandles_.size(); }

    // ---- The simulated program's own process ----
    UINT errorMode = 0;  // SetErrorMode

private:
    std::vector<SimProcess> running_;
    std::map<DWORD, DWORD> exitCodes_;  // in start order, which is snapshot order
    DWORD nextId_ = 0x100;
    std::map<HANDLE, ProcessSnapshot> snapshots_;
    std::map<HANDLE, ProcessHandleRecord> processHandles_;
};

}  // namespace qm::sim
