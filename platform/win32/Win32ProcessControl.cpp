// Starting programs and waiting for them, the program's own process, and
// whether a process is critical: pass-through to Windows.
#include <windows.h>

#include "platform/win32/RunTimeLookup.h"
#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

HANDLE Win32Platform::GetCurrentProcess() { return reinterpret_cast<HANDLE>(::GetCurrentProcess()); }

DWORD Win32Platform::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

NTSTATUS Win32Platform::NtQueryInformationProcess(HANDLE process, int informationClass, void* information,
                                                  ULONG length, ULONG* returnLength) {
    using Function = ::LONG(WINAPI*)(::HANDLE, int, ::PVOID, ::ULONG, ::PULONG);
    static const auto function = Lookup<Function>("ntdll.dll", "NtQueryInformationProcess");
    if (function == nullptr) return kStatusNotImplemented;
    ::ULONG got = 0;
    const NTSTATUS status =
        function(reinterpret_cast<::HANDLE>(process), informationClass, information, length, &got);
    if (returnLength != nullptr) *returnLength = got;
    return status;
}

const char* Win32Platform::GetCommandLineA() { return ::GetCommandLineA(); }

BOOL Win32Platform::CreateProcessA(const char* applicationName, char* commandLine, const void* processAttributes,
                                   const void* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                                   const void* environment, const char* currentDirectory,
                                   STARTUPINFOA* startupInfo, PROCESS_INFORMATION* processInformation) {
    ::STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (startupInfo != nullptr) {
        startup.dwFlags = startupInfo->dwFlags;
        startup.wShowWindow = startupInfo->wShowWindow;
    }
    ::PROCESS_INFORMATION started{};
    const ::BOOL ok = ::CreateProcessA(
        applicationName, commandLine,
        static_cast<::LPSECURITY_ATTRIBUTES>(const_cast<void*>(processAttributes)),
        static_cast<::LPSECURITY_ATTRIBUTES>(const_cast<void*>(threadAttributes)), inheritHandles, creationFlags,
        const_cast<void*>(environment), currentDirectory, &startup, &started);
    if (ok && processInformation != nullptr) {
        processInformation->hProcess = reinterpret_cast<HANDLE>(started.hProcess);
        processInformation->hThread = reinterpret_cast<HANDLE>(started.hThread);
        processInformation->dwProcessId = started.dwProcessId;
        processInformation->dwThreadId = started.dwThreadId;
    }
    return ok;
}

DWORD Win32Platform::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return ::WaitForSingleObject(reinterpret_cast<::HANDLE>(handle), milliseconds);
}

BOOL Win32Platform::GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
    ::DWORD code = 0;
    const ::BOOL ok = ::GetExitCodeProcess(reinterpret_cast<::HANDLE>(process), &code);
    if (ok && exitCode != nullptr) *exitCode = code;
    return ok;
}

}  // namespace qm::win32
