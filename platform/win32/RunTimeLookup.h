// Functions that some Windows versions lack, found by name at run time.
#pragma once

#include <windows.h>

namespace qm::win32 {

// The export of a module the process has loaded already (kernel32, advapi32,
// ntdll), or null. void (*)() is the one pointer type that converts to every
// other without a warning.
template <typename Function>
Function Lookup(const char* module, const char* name) {
    const ::HMODULE loaded = ::GetModuleHandleA(module);
    if (loaded == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(loaded, name)));
}

// The same for a module that may not be loaded yet (sfc.dll, shfolder.dll):
// loaded on first use and kept for the life of the process.
template <typename Function>
Function LookupLoading(const char* module, const char* name) {
    const ::HMODULE loaded = ::LoadLibraryA(module);
    if (loaded == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(loaded, name)));
}

}  // namespace qm::win32
