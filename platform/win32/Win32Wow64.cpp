// The system functions of 64-bit Windows (WOW64): pass-through to Windows,
// each looked up by name at run time, since the 9x family, early NT and
// 32-bit Windows XP lack them. Where one is missing the system has one view
// of everything, and the stand-in says so the way Windows would. (The
// registry's are in Win32Registry.cpp.)
#include <windows.h>

#include "platform/win32/RunTimeLookup.h"
#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

UINT Win32Platform::GetSystemWow64DirectoryA(char* buffer, UINT size) {
    using Function = ::UINT(WINAPI*)(::LPSTR, ::UINT);
    static const auto function = Lookup<Function>("kernel32.dll", "GetSystemWow64DirectoryA");
    if (function == nullptr) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    return function(buffer, size);
}

void Win32Platform::GetNativeSystemInfo(SYSTEM_INFO* info) {
    using Function = void(WINAPI*)(::LPSYSTEM_INFO);
    static const auto function = Lookup<Function>("kernel32.dll", "GetNativeSystemInfo");
    ::SYSTEM_INFO real{};
    if (function != nullptr)
        function(&real);
    else
        ::GetSystemInfo(&real);
    if (info == nullptr) return;
    info->wProcessorArchitecture = real.wProcessorArchitecture;
    info->dwPageSize = real.dwPageSize;
    info->dwNumberOfProcessors = real.dwNumberOfProcessors;
}

BOOL Win32Platform::IsWow64Process(HANDLE process, BOOL* wow64) {
    using Function = ::BOOL(WINAPI*)(::HANDLE, ::PBOOL);
    static const auto function = Lookup<Function>("kernel32.dll", "IsWow64Process");
    if (function == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    ::BOOL result = FALSE;
    if (!function(reinterpret_cast<::HANDLE>(process), &result)) return FALSE;
    if (wow64 != nullptr) *wow64 = result;
    return TRUE;
}

BOOL Win32Platform::QueryFullProcessImageNameA(HANDLE process, DWORD flags, char* name, DWORD* size) {
    using Function = ::BOOL(WINAPI*)(::HANDLE, ::DWORD, ::LPSTR, ::PDWORD);
    static const auto function = Lookup<Function>("kernel32.dll", "QueryFullProcessImageNameA");
    if (function == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    ::DWORD length = size != nullptr ? *size : 0;
    const ::BOOL ok = function(reinterpret_cast<::HANDLE>(process), flags, name, size != nullptr ? &length : nullptr);
    if (size != nullptr) *size = length;
    return ok;
}

}  // namespace qm::win32
