// What tells a program which Windows and which bitness it runs on, on the
// simulated machine: the native processor, WOW64, the program's own
// process, its command line and the full path of a process's image.
#include <cstring>

#include "platform/sim/SimPlatform.h"

namespace qm::sim {

void SimPlatform::GetNativeSystemInfo(SYSTEM_INFO* info) {
    if (info == nullptr) return;
    info->wProcessorArchitecture =
        settings_.machineBits == 64 ? PROCESSOR_ARCHITECTURE_AMD64 : PROCESSOR_ARCHITECTURE_INTEL;
    info->dwPageSize = 4096;
    info->dwNumberOfProcessors = 1;
}

BOOL SimPlatform::IsWow64Process(HANDLE process, BOOL* wow64) {
    if (auto error = Injected(FailableCall::IsWow64Process, "")) return Fail(*error, FALSE);
    // Exported by kernel32 from Windows XP SP2 on; the 9x family lacks it.
    if (settings_.platformId != VER_PLATFORM_WIN32_NT) return Fail(ERROR_PROC_NOT_FOUND, FALSE);
    int bits = 0;
    if (process == GetCurrentProcess()) {
        bits = settings_.programBits;
    } else if (const ProcessHandleRecord* record = processes_.FindProcessHandle(process)) {
        const SimProcess* target = processes_.Find(record->processId);
        bits = target != nullptr && target->bits != 0 ? target->bits : settings_.machineBits;
    } else {
        return Fail(ERROR_INVALID_HANDLE, FALSE);
    }
    if (wow64 == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    *wow64 = settings_.machineBits == 64 && bits == 32;
    return TRUE;
}

const char* SimPlatform::GetCommandLineA() {
    commandLine_ = settings_.commandLine.empty() ? "\"" + settings_.programPath + "\"" : settings_.commandLine;
    return commandLine_.c_str();
}

HANDLE SimPlatform::GetCurrentProcess() { return kInvalidHandle; }  // (HANDLE)-1, as on Windows

DWORD SimPlatform::GetCurrentProcessId() { return settings_.programProcessId; }

NTSTATUS SimPlatform::NtQueryInformationProcess(HANDLE process, int informationClass, void* information,
                                                ULONG length, ULONG* returnLength) {
    if (informationClass != kProcessBreakOnTermination) return kStatusNotImplemented;
    if (returnLength != nullptr) *returnLength = sizeof(ULONG);
    if (length < sizeof(ULONG) || information == nullptr) return kStatusBufferTooSmall;
    ULONG critical = 0;
    if (process != GetCurrentProcess()) {
        const ProcessHandleRecord* record = processes_.FindProcessHandle(process);
        if (record == nullptr || record->thread) return kStatusInvalidHandle;
        const SimProcess* target = processes_.Find(record->processId);
        if (target == nullptr) return kStatusInvalidHandle;
        critical = target->critical ? 1 : 0;
    }
    std::memcpy(information, &critical, sizeof critical);
    return kStatusSuccess;
}

BOOL SimPlatform::QueryFullProcessImageNameA(HANDLE process, DWORD /*flags*/, char* name, DWORD* size) {
    if (auto error = Injected(FailableCall::QueryFullProcessImageNameA, "")) return Fail(*error, FALSE);
    // Windows Vista and later.
    if (settings_.platformId != VER_PLATFORM_WIN32_NT || settings_.majorVersion < 6)
        return Fail(ERROR_PROC_NOT_FOUND, FALSE);
    std::string image;
    if (process == GetCurrentProcess()) {
        image = settings_.programPath;
    } else {
        const ProcessHandleRecord* record = processes_.FindProcessHandle(process);
        if (record == nullptr || record->thread) return Fail(ERROR_INVALID_HANDLE, FALSE);
        if ((record->access & (PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_QUERY_INFORMATION)) == 0)
            return Fail(ERROR_ACCESS_DENIED, FALSE);
        const SimProcess* target = processes_.Find(record->processId);
        if (target == nullptr) return Fail(ERROR_INVALID_HANDLE, FALSE);
        image = target->exePath;
    }
    if (name == nullptr || size == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    if (*size <= image.size()) return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
    std::memcpy(name, image.c_str(), image.size() + 1);
    *size = static_cast<DWORD>(image.size());
    return TRUE;
}

}  // namespace qm::sim
