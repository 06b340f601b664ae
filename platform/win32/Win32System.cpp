// Errors, handles, system information, processes, modules, text and user
// interface: pass-through to Windows.
//
// Tool Help and PSAPI are reached by name at run time, as on the systems that
// lack them: the first use decides once whether they are there.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "platform/win32/Win32Platform.h"

namespace qm::win32 {

namespace {

::HANDLE Real(HANDLE handle) { return reinterpret_cast<::HANDLE>(handle); }
::HMODULE RealModule(HMODULE module) { return reinterpret_cast<::HMODULE>(module); }

// Function pointers found at run time; void (*)() is the one pointer type
// that converts to every other without a warning.
template <typename Function>
Function As(::FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// The ANSI process entry exactly as kernel32 lays it out for this build
// (written out here so that no UNICODE setting can swap it for the wide one).
struct RealProcessEntry {
    ::DWORD dwSize;
    ::DWORD cntUsage;
    ::DWORD th32ProcessID;
    ::ULONG_PTR th32DefaultHeapID;
    ::DWORD th32ModuleID;
    ::DWORD cntThreads;
    ::DWORD th32ParentProcessID;
    ::LONG pcPriClassBase;
    ::DWORD dwFlags;
    ::CHAR szExeFile[MAX_PATH];
};

struct ToolHelp {
    ::HANDLE(WINAPI* snapshot)(::DWORD, ::DWORD) = nullptr;
    ::BOOL(WINAPI* first)(::HANDLE, RealProcessEntry*) = nullptr;
    ::BOOL(WINAPI* next)(::HANDLE, RealProcessEntry*) = nullptr;
};

const ToolHelp& Tools() {
    static const ToolHelp tools = [] {
        ToolHelp found;
        if (::HMODULE kernel = ::GetModuleHandleA("kernel32.dll")) {
            found.snapshot = As<decltype(found.snapshot)>(::GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
            found.first = As<decltype(found.first)>(::GetProcAddress(kernel, "Process32First"));
            found.next = As<decltype(found.next)>(::GetProcAddress(kernel, "Process32Next"));
        }
        return found;
    }();
    return tools;
}

struct Psapi {
    ::BOOL(WINAPI* enumModules)(::HANDLE, ::HMODULE*, ::DWORD, ::DWORD*) = nullptr;
    ::DWORD(WINAPI* fileNameEx)(::HANDLE, ::HMODULE, ::LPSTR, ::DWORD) = nullptr;
};

const Psapi& PsapiFunctions() {
    // Loaded once and kept for the life of the process, like a linked DLL.
    static const Psapi psapi = [] {
        Psapi found;
        if (::HMODULE library = ::LoadLibraryA("PSAPI.dll")) {
            found.enumModules = As<decltype(found.enumModules)>(::GetProcAddress(library, "EnumProcessModules"));
            found.fileNameEx = As<decltype(found.fileNameEx)>(::GetProcAddress(library, "GetModuleFileNameExA"));
        }
        return found;
    }();
    return psapi;
}

// The caller's dwSize of 296 means "the ANSI record", whatever its size in
// this build; any other size goes to Windows as given, for it to judge.
::DWORD RealEntrySize(DWORD callerSize) {
    return callerSize == kProcessEntry32Size ? sizeof(RealProcessEntry) : callerSize;
}

void CopyEntry(const RealProcessEntry& real, PROCESSENTRY32& entry) {
    entry.cntUsage = real.cntUsage;
    entry.th32ProcessID = real.th32ProcessID;
    entry.th32DefaultHeapID = real.th32DefaultHeapID;
    entry.th32ModuleID = real.th32ModuleID;
    entry.cntThreads = real.cntThreads;
    entry.th32ParentProcessID = real.th32ParentProcessID;
    entry.pcPriClassBase = real.pcPriClassBase;
    entry.dwFlags = real.dwFlags;
    std::memcpy(entry.szExeFile, real.szExeFile, sizeof entry.szExeFile);
}

void CopyTime(const ::SYSTEMTIME& real, SYSTEMTIME& time) {
    time.wYear = real.wYear;
    time.wMonth = real.wMonth;
    time.wDayOfWeek = real.wDayOfWeek;
    time.wDay = real.wDay;
    time.wHour = real.wHour;
    time.wMinute = real.wMinute;
    time.wSecond = real.wSecond;
    time.wMilliseconds = real.wMilliseconds;
}

}  // namespace

// ---- Errors and handles ----

DWORD Win32Platform::GetLastError() { return ::GetLastError(); }

void Win32Platform::SetLastError(DWORD error) { ::SetLastError(error); }

BOOL Win32Platform::CloseHandle(HANDLE handle) { return ::CloseHandle(Real(handle)); }

// ---- Folders and the program's own file ----

UINT Win32Platform::GetWindowsDirectoryA(char* buffer, UINT size) {
    return ::GetWindowsDirectoryA(buffer, size);
}

UINT Win32Platform::GetSystemDirectoryA(char* buffer, UINT size) {
    return ::GetSystemDirectoryA(buffer, size);
}

DWORD Win32Platform::GetTempPathA(DWORD size, char* buffer) { return ::GetTempPathA(size, buffer); }

DWORD Win32Platform::GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
    return ::GetModuleFileNameA(RealModule(module), buffer, size);
}

UINT Win32Platform::SetErrorMode(UINT mode) { return ::SetErrorMode(mode); }

// ---- User, environment, version and clock ----

BOOL Win32Platform::GetUserNameA(char* buffer, DWORD* size) {
    ::DWORD realSize = size != nullptr ? *size : 0;
    const BOOL result = ::GetUserNameA(buffer, size != nullptr ? &realSize : nullptr);
    if (size != nullptr) *size = realSize;
    return result;
}

BOOL Win32Platform::GetComputerNameA(char* buffer, DWORD* size) {
    ::DWORD realSize = size != nullptr ? *size : 0;
    const BOOL result = ::GetComputerNameA(buffer, size != nullptr ? &realSize : nullptr);
    if (size != nullptr) *size = realSize;
    return result;
}

DWORD Win32Platform::GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) {
    return ::GetEnvironmentVariableA(name, buffer, size);
}

BOOL Win32Platform::SetEnvironmentVariableA(const char* name, const char* value) {
    return ::SetEnvironmentVariableA(name, value);
}

BOOL Win32Platform::GetVersionExA(OSVERSIONINFOA* info) {
    if (info == nullptr) return ::GetVersionExA(nullptr);
    // Room for the extended record: Windows accepts 148 and 156 only, and
    // checks the size before it writes anything.
    ::OSVERSIONINFOEXA real{};
    real.dwOSVersionInfoSize = info->dwOSVersionInfoSize == kOsVersionInfoASize
                                   ? ::DWORD{sizeof(::OSVERSIONINFOA)}
                                   : ::DWORD{info->dwOSVersionInfoSize};
    if (!::GetVersionExA(reinterpret_cast<::OSVERSIONINFOA*>(&real))) return FALSE;
    info->dwMajorVersion = real.dwMajorVersion;
    info->dwMinorVersion = real.dwMinorVersion;
    info->dwBuildNumber = real.dwBuildNumber;
    info->dwPlatformId = real.dwPlatformId;
    std::memcpy(info->szCSDVersion, real.szCSDVersion, sizeof info->szCSDVersion);
    return TRUE;
}

void Win32Platform::GetLocalTime(SYSTEMTIME* time) {
    ::SYSTEMTIME real{};
    ::GetLocalTime(&real);
    if (time != nullptr) CopyTime(real, *time);
}

void Win32Platform::GetSystemTime(SYSTEMTIME* time) {
    ::SYSTEMTIME real{};
    ::GetSystemTime(&real);
    if (time != nullptr) CopyTime(real, *time);
}

void Win32Platform::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

// ---- Processes ----

HANDLE Win32Platform::CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    if (Tools().snapshot == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return kInvalidHandle;
    }
    return reinterpret_cast<HANDLE>(Tools().snapshot(flags, processId));
}

BOOL Win32Platform::Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
    if (Tools().first == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    RealProcessEntry real{};
    real.dwSize = entry != nullptr ? RealEntrySize(entry->dwSize) : 0;
    if (!Tools().first(Real(snapshot), entry != nullptr ? &real : nullptr)) return FALSE;
    CopyEntry(real, *entry);
    return TRUE;
}

BOOL Win32Platform::Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
    if (Tools().next == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    RealProcessEntry real{};
    real.dwSize = entry != nullptr ? RealEntrySize(entry->dwSize) : 0;
    if (!Tools().next(Real(snapshot), entry != nullptr ? &real : nullptr)) return FALSE;
    CopyEntry(real, *entry);
    return TRUE;
}

BOOL Win32Platform::EnumProcessModules(HANDLE process, HMODULE* modules, DWORD size, DWORD* needed) {
    if (PsapiFunctions().enumModules == nullptr) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    static_assert(sizeof(HMODULE) == sizeof(::HMODULE), "module handles pass through unchanged");
    ::DWORD realNeeded = 0;
    const BOOL result = PsapiFunctions().enumModules(
        Real(process), reinterpret_cast<::HMODULE*>(modules), size, needed != nullptr ? &realNeeded : nullptr);
    if (needed != nullptr) *needed = realNeeded;
    return result;
}

DWORD Win32Platform::GetModuleFileNameExA(HANDLE process, HMODULE module, char* buffer, DWORD size) {
    if (PsapiFunctions().fileNameEx == nullptr) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return PsapiFunctions().fileNameEx(Real(process), RealModule(module), buffer, size);
}

HANDLE Win32Platform::OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) {
    return reinterpret_cast<HANDLE>(::OpenProcess(access, inheritHandle, processId));
}

BOOL Win32Platform::TerminateProcess(HANDLE process, UINT exitCode) {
    return ::TerminateProcess(Real(process), exitCode);
}

UINT Win32Platform::WinExec(const char* commandLine, UINT show) { return ::WinExec(commandLine, show); }

// ---- Modules ----

HMODULE Win32Platform::LoadLibraryA(const char* fileName) {
    return reinterpret_cast<HMODULE>(::LoadLibraryA(fileName));
}

FARPROC Win32Platform::GetProcAddress(HMODULE module, const char* procName) {
    return As<FARPROC>(::GetProcAddress(RealModule(module), procName));
}

BOOL Win32Platform::FreeLibrary(HMODULE module) { return ::FreeLibrary(RealModule(module)); }

// ---- Text in the system code page ----

int Win32Platform::CompareStringA(LCID locale, DWORD flags, const char* string1, int count1,
                                  const char* string2, int count2) {
    return ::CompareStringA(locale, flags, string1, count1, string2, count2);
}

DWORD Win32Platform::CharUpperBuffA(char* text, DWORD length) { return ::CharUpperBuffA(text, length); }

int Win32Platform::MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count,
                                       WCHAR* wide, int wideCount) {
    static_assert(sizeof(WCHAR) == sizeof(wchar_t), "UTF-16 code units on both sides");
    return ::MultiByteToWideChar(codePage, flags, text, count, reinterpret_cast<wchar_t*>(wide), wideCount);
}

// ---- User interface ----

int Win32Platform::MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    return ::MessageBoxA(reinterpret_cast<::HWND>(owner), text, caption, type);
}

std::intptr_t Win32Platform::ShellExecuteA(HWND owner, const char* operation, const char* file,
                                           const char* parameters, const char* directory, int show) {
    return reinterpret_cast<std::intptr_t>(::ShellExecuteA(reinterpret_cast<::HWND>(owner), operation,
                                                           file, parameters, directory, show));
}

}  // namespace qm::win32
