// The real Windows backend: every method passes straight through to the
// Windows function of the same name. Compiled only for Windows.
//
// Only this folder includes <windows.h>; the records of WinTypes.h are copied
// to and from the real structures here.
#pragma once

#include "platform/Platform.h"

namespace qm::win32 {

class Win32Platform : public Platform {
public:
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;
    LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM desired, HKEY* result) override;
    LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options, REGSAM desired, const void* securityAttributes, HKEY* result, DWORD* disposition) override;
    LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) override;
    LONG RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) override;
    LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize) override;
    LONG RegSetValueExW(HKEY key, const WCHAR* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize) override;
    LONG RegDeleteValueA(HKEY key, const char* valueName) override;
    LONG RegDeleteKeyA(HKEY key, const char* subKey) override;
    LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved, char* keyClass, DWORD* classSize, FILETIME* lastWriteTime) override;
    LONG RegQueryInfoKeyA(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen, DWORD* securityDescriptorSize, FILETIME* lastWriteTime) override;
    LONG RegCloseKey(HKEY key) override;
    LONG RegDeleteKeyExA(HKEY key, const char* subKey, REGSAM desired, DWORD reserved) override;
    NTSTATUS NtQueryKey(HKEY key, int informationClass, void* information, ULONG length, ULONG* resultLength) override;
    LONG RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, REGSAM desired, HKEY* result) override;
    LONG RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD reserved, WCHAR* keyClass, DWORD options, REGSAM desired, const void* securityAttributes, HKEY* result, DWORD* disposition) override;
    LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize, DWORD* reserved, WCHAR* keyClass, DWORD* classSize, FILETIME* lastWriteTime) override;
    LONG RegEnumValueW(HKEY key, DWORD index, WCHAR* valueName, DWORD* valueNameSize, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) override;
    DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultText, char* buffer, DWORD size, const char* fileName) override;
    BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* text, const char* fileName) override;
    HANDLE CreateFileA(const char* fileName, DWORD access, DWORD shareMode, const void* securityAttributes, DWORD creation, DWORD flags, HANDLE templateFile) override;
    BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped) override;
    BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped) override;
    DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) override;
    DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) override;
    BOOL CloseHandle(HANDLE handle) override;
    HANDLE FindFirstFileA(const char* fileName, WIN32_FIND_DATAA* data) override;
    BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) override;
    BOOL FindClose(HANDLE find) override;
    DWORD GetFileAttributesA(const char* fileName) override;
    BOOL SetFileAttributesA(const char* fileName, DWORD attributes) override;
    BOOL CreateDirectoryA(const char* pathName, const void* securityAttributes) override;
    BOOL RemoveDirectoryA(const char* pathName) override;
    BOOL DeleteFileA(const char* fileName) override;
    BOOL MoveFileA(const char* existing, const char* newName) override;
    BOOL MoveFileExA(const char* existing, const char* newName, DWORD flags) override;
    DWORD GetShortPathNameA(const char* longPath, char* shortPath, DWORD size) override;
    DWORD GetFullPathNameA(const char* fileName, DWORD bufferLength, char* buffer, char** filePart) override;
    DWORD GetLongPathNameA(const char* shortPath, char* longPath, DWORD size) override;
    BOOL CopyFileA(const char* existing, const char* newName, BOOL failIfExists) override;
    BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) override;
    BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite) override;
    HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, char* path) override;
    BOOL SfcIsFileProtected(HANDLE rpc, const WCHAR* fileName) override;
    UINT GetWindowsDirectoryA(char* buffer, UINT size) override;
    UINT GetSystemDirectoryA(char* buffer, UINT size) override;
    DWORD GetTempPathA(DWORD size, char* buffer) override;
    DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) override;
    UINT GetSystemWow64DirectoryA(char* buffer, UINT size) override;
    DWORD GetCurrentDirectoryA(DWORD size, char* buffer) override;
    BOOL SetCurrentDirectoryA(const char* pathName) override;
    UINT SetErrorMode(UINT mode) override;
    int SHFileOperationA(SHFILEOPSTRUCTA* operation) override;
    BOOL GetUserNameA(char* buffer, DWORD* size) override;
    BOOL GetComputerNameA(char* buffer, DWORD* size) override;
    DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) override;
    BOOL SetEnvironmentVariableA(const char* name, const char* value) override;
    BOOL GetVersionExA(OSVERSIONINFOA* info) override;
    void GetNativeSystemInfo(SYSTEM_INFO* info) override;
    BOOL IsWow64Process(HANDLE process, BOOL* wow64) override;
    const char* GetCommandLineA() override;
    void GetLocalTime(SYSTEMTIME* time) override;
    void GetSystemTime(SYSTEMTIME* time) override;
    void Sleep(DWORD milliseconds) override;
    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
    BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) override;
    BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) override;
    BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD size, DWORD* needed) override;
    DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, char* buffer, DWORD size) override;
    HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) override;
    BOOL TerminateProcess(HANDLE process, UINT exitCode) override;
    UINT WinExec(const char* commandLine, UINT show) override;
    HANDLE GetCurrentProcess() override;
    DWORD GetCurrentProcessId() override;
    NTSTATUS NtQueryInformationProcess(HANDLE process, int informationClass, void* information, ULONG length, ULONG* returnLength) override;
    BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, char* name, DWORD* size) override;
    BOOL CreateProcessA(const char* applicationName, char* commandLine, const void* processAttributes, const void* threadAttributes, BOOL inheritHandles, DWORD creationFlags, const void* environment, const char* currentDirectory, STARTUPINFOA* startupInfo, PROCESS_INFORMATION* processInformation) override;
    DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;
    BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) override;
    HMODULE LoadLibraryA(const char* fileName) override;
    FARPROC GetProcAddress(HMODULE module, const char* procName) override;
    BOOL FreeLibrary(HMODULE module) override;
    int CompareStringA(LCID locale, DWORD flags, const char* string1, int count1, const char* string2, int count2) override;
    DWORD CharUpperBuffA(char* text, DWORD length) override;
    int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count, WCHAR* wide, int wideCount) override;
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;
    std::intptr_t ShellExecuteA(HWND owner, const char* operation, const char* file, const char* parameters, const char* directory, int show) override;
};

}  // namespace qm::win32
