// The one interface through which Quellmar's core reaches Windows.
//
// One method per Windows function, with the same name, the same arguments, the
// same return values and the same error codes (through GetLastError for the
// functions that use it). The core is written line by line against these, so
// an algorithm reads like the Windows code it stands for.
//
// Two implementations exist: platform/win32 (a pass-through to the real
// functions) and platform/sim (a simulated Windows machine for tests and for
// trying scripts on Linux). The contract tests in tests/contract run unchanged
// against both.
#pragma once

#include "platform/WinTypes.h"

namespace qm {

class Platform {
public:
    virtual ~Platform() = default;

    // ---- Errors ----
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD error) = 0;

    // ---- Registry (advapi32). LONG results are Win32 error codes. ----
    virtual LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired,
                               HKEY* result) = 0;
    // lpClass and security attributes are accepted for fidelity and ignored by
    // the simulation; disposition may be null.
    virtual LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass,
                                 DWORD options, REGSAM desired, const void* securityAttributes,
                                 HKEY* result, DWORD* disposition) = 0;
    virtual LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                  BYTE* data, DWORD* dataSize) = 0;
    virtual LONG RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type,
                                  BYTE* data, DWORD* dataSize) = 0;
    virtual LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type,
                                const BYTE* data, DWORD dataSize) = 0;
    virtual LONG RegSetValueExW(HKEY key, const WCHAR* valueName, DWORD reserved, DWORD type,
                                const BYTE* data, DWORD dataSize) = 0;
    virtual LONG RegDeleteValueA(HKEY key, const char* valueName) = 0;
    virtual LONG RegDeleteKeyA(HKEY key, const char* subKey) = 0;
    virtual LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize,
                               DWORD* reserved, char* keyClass, DWORD* classSize,
                               FILETIME* lastWriteTime) = 0;
    virtual LONG RegQueryInfoKeyA(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved,
                                  DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen,
                                  DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                                  DWORD* securityDescriptorSize, FILETIME* lastWriteTime) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
    // The above open, create and delete in the view that KEY_WOW64_64KEY or
    // KEY_WOW64_32KEY in the access mask names; without either, in the
    // program's own view. RegDeleteKeyExA (Windows XP x64 and later) is
    // looked up at run time; where it is missing there is only one view and
    // RegDeleteKeyA stands in for it.
    virtual LONG RegDeleteKeyExA(HKEY key, const char* subKey, REGSAM desired, DWORD reserved) = 0;
    // The UTF-16 calls, for names that the code page cannot hold: a backup
    // keeps keys and values exactly. Sizes of names are in characters.
    virtual LONG RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, REGSAM desired, HKEY* result) = 0;
    virtual LONG RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD reserved, WCHAR* keyClass, DWORD options,
                                 REGSAM desired, const void* securityAttributes, HKEY* result,
                                 DWORD* disposition) = 0;
    virtual LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize, DWORD* reserved,
                               WCHAR* keyClass, DWORD* classSize, FILETIME* lastWriteTime) = 0;
    virtual LONG RegEnumValueW(HKEY key, DWORD index, WCHAR* valueName, DWORD* valueNameSize, DWORD* reserved,
                               DWORD* type, BYTE* data, DWORD* dataSize) = 0;
    // ntdll: with kKeyNameInformation, the key's full kernel name
    // (KEY_NAME_INFORMATION: a ULONG byte count, then UTF-16 without a
    // terminator): two handles to one key give the same name, whatever view
    // or path opened them.
    virtual NTSTATUS NtQueryKey(HKEY key, int informationClass, void* information, ULONG length,
                                ULONG* resultLength) = 0;

    // ---- Private-profile (INI) functions (kernel32) ----
    virtual DWORD GetPrivateProfileStringA(const char* section, const char* key,
                                           const char* defaultText, char* buffer, DWORD size,
                                           const char* fileName) = 0;
    virtual BOOL WritePrivateProfileStringA(const char* section, const char* key,
                                            const char* text, const char* fileName) = 0;

    // ---- Files and folders (kernel32) ----
    virtual HANDLE CreateFileA(const char* fileName, DWORD access, DWORD shareMode,
                               const void* securityAttributes, DWORD creation, DWORD flags,
                               HANDLE templateFile) = 0;
    virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read,
                          void* overlapped) = 0;
    virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
                           void* overlapped) = 0;
    virtual DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh,
                                 DWORD method) = 0;
    virtual DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;

    virtual HANDLE FindFirstFileA(const char* fileName, WIN32_FIND_DATAA* data) = 0;
    virtual BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) = 0;
    virtual BOOL FindClose(HANDLE find) = 0;
    virtual DWORD GetFileAttributesA(const char* fileName) = 0;
    virtual BOOL SetFileAttributesA(const char* fileName, DWORD attributes) = 0;
    virtual BOOL CreateDirectoryA(const char* pathName, const void* securityAttributes) = 0;
    virtual BOOL RemoveDirectoryA(const char* pathName) = 0;
    virtual BOOL DeleteFileA(const char* fileName) = 0;
    virtual BOOL MoveFileA(const char* existing, const char* newName) = 0;
    virtual BOOL MoveFileExA(const char* existing, const char* newName, DWORD flags) = 0;
    virtual DWORD GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) = 0;
    // The full path as Windows resolves it (".", "..", repeated separators,
    // trailing dots and blanks), whether or not it exists; filePart may be null.
    virtual DWORD GetFullPathNameA(const char* fileName, DWORD bufferLength, char* buffer, char** filePart) = 0;
    // Every 8.3 name of an existing path replaced by its long name.
    virtual DWORD GetLongPathNameA(const char* shortPath, char* longPath, DWORD size) = 0;
    virtual BOOL CopyFileA(const char* existing, const char* newName, BOOL failIfExists) = 0;
    virtual BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) = 0;
    virtual BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                             const FILETIME* lastWrite) = 0;
    // A special folder by its CSIDL (shell32, looked up at run time; from
    // shfolder.dll where shell32 lacks it). path: MAX_PATH characters.
    virtual HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, char* path) = 0;
    // Whether Windows File Protection guards the file (sfc, looked up at run
    // time; FALSE where the system has none).
    virtual BOOL SfcIsFileProtected(HANDLE rpc, const WCHAR* fileName) = 0;
    virtual UINT GetWindowsDirectoryA(char* buffer, UINT size) = 0;
    virtual UINT GetSystemDirectoryA(char* buffer, UINT size) = 0;
    virtual DWORD GetTempPathA(DWORD size, char* buffer) = 0;
    virtual DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) = 0;
    // The 32-bit system folder of 64-bit Windows (SysWOW64); 0 with
    // ERROR_CALL_NOT_IMPLEMENTED on 32-bit Windows. Looked up at run time.
    virtual UINT GetSystemWow64DirectoryA(char* buffer, UINT size) = 0;
    virtual DWORD GetCurrentDirectoryA(DWORD size, char* buffer) = 0;
    virtual BOOL SetCurrentDirectoryA(const char* pathName) = 0;
    virtual UINT SetErrorMode(UINT mode) = 0;
    // shell32
    virtual int SHFileOperationA(SHFILEOPSTRUCTA* operation) = 0;

    // ---- System information ----
    virtual BOOL GetUserNameA(char* buffer, DWORD* size) = 0;  // advapi32
    // The NetBIOS name; size in characters, with the terminator on success
    // excluded, as kernel32 counts it.
    virtual BOOL GetComputerNameA(char* buffer, DWORD* size) = 0;
    virtual DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) = 0;
    virtual BOOL SetEnvironmentVariableA(const char* name, const char* value) = 0;
    virtual BOOL GetVersionExA(OSVERSIONINFOA* info) = 0;
    // The processor of the machine itself (PROCESSOR_ARCHITECTURE_AMD64 on
    // 64-bit Windows, also for a 32-bit program). Looked up at run time;
    // where it is missing, GetSystemInfo answers for the machine.
    virtual void GetNativeSystemInfo(SYSTEM_INFO* info) = 0;
    // Whether the process is a 32-bit program on 64-bit Windows. Looked up at
    // run time; where it is missing (the 9x family, early NT) it fails with
    // ERROR_PROC_NOT_FOUND, and there is no 64-bit Windows.
    virtual BOOL IsWow64Process(HANDLE process, BOOL* wow64) = 0;
    virtual const char* GetCommandLineA() = 0;
    virtual void GetLocalTime(SYSTEMTIME* time) = 0;
    virtual void GetSystemTime(SYSTEMTIME* time) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;

    // ---- Processes ----
    // Tool Help: looked up by name in kernel32 on first use; where it is
    // missing the snapshot fails with ERROR_PROC_NOT_FOUND.
    virtual HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) = 0;
    virtual BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) = 0;
    virtual BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) = 0;
    // PSAPI: loaded on first use; where it cannot be loaded both fail with
    // ERROR_MOD_NOT_FOUND.
    virtual BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD size,
                                    DWORD* needed) = 0;
    virtual DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, char* buffer,
                                       DWORD size) = 0;
    // Returns 0 (no handle) on failure, as Windows does.
    virtual HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) = 0;
    virtual BOOL TerminateProcess(HANDLE process, UINT exitCode) = 0;
    virtual UINT WinExec(const char* commandLine, UINT show) = 0;
    // The pseudo handle of the calling process ((HANDLE)-1); never closed.
    virtual HANDLE GetCurrentProcess() = 0;
    virtual DWORD GetCurrentProcessId() = 0;
    // ntdll: with kProcessBreakOnTermination, whether the process is one
    // that Windows cannot go on without (a ULONG, 1 for critical).
    virtual NTSTATUS NtQueryInformationProcess(HANDLE process, int informationClass, void* information,
                                               ULONG length, ULONG* returnLength) = 0;
    // The full path of the process's executable, with only
    // PROCESS_QUERY_LIMITED_INFORMATION (Windows Vista and later; looked up
    // at run time). size: the buffer's size in, the length out.
    virtual BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, char* name, DWORD* size) = 0;
    // Starts a program; the caller closes both handles it gets back.
    virtual BOOL CreateProcessA(const char* applicationName, char* commandLine, const void* processAttributes,
                                const void* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                                const void* environment, const char* currentDirectory, STARTUPINFOA* startupInfo,
                                PROCESS_INFORMATION* processInformation) = 0;
    virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;
    // STILL_ACTIVE while the process runs.
    virtual BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) = 0;

    // ---- Modules ----
    virtual HMODULE LoadLibraryA(const char* fileName) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, const char* procName) = 0;
    virtual BOOL FreeLibrary(HMODULE module) = 0;

    // ---- Text in the system code page (user32, kernel32) ----
    virtual int CompareStringA(LCID locale, DWORD flags, const char* string1, int count1,
                               const char* string2, int count2) = 0;
    virtual DWORD CharUpperBuffA(char* text, DWORD length) = 0;
    virtual int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count,
                                    WCHAR* wide, int wideCount) = 0;

    // ---- User interface ----
    virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) = 0;
    // Returns a value above 32 on success, as Windows does.
    virtual std::intptr_t ShellExecuteA(HWND owner, const char* operation, const char* file,
                                        const char* parameters, const char* directory,
                                        int show) = 0;
};

// The instance the core uses. Programs install theirs at start-up; tests
// replace it for their own duration with ScopedPlatform.
Platform& CurrentPlatform();
void SetCurrentPlatform(Platform* platform);
// Counts the changes of the current platform, so what is cached from one
// machine (the special folders) is never taken for another's.
std::uint64_t CurrentPlatformGeneration();

class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous_;
};

}  // namespace qm
