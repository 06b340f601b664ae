// A simulated Windows machine: registry, drives mapped onto host folders,
// private-profile files, processes, modules, what the program leaves for the
// next start, and fault injection. Used by the tests and by the command-line
// front end to try scripts on Linux.
//
// The Platform methods are implemented by area:
//   SimRegistry.cpp   the registry functions
//   SimFiles.cpp      files, folders, short names, current directory, shell deletion
//   SimProfile.cpp    the private-profile functions
//   SimSystem.cpp     system information, processes, modules, text, user interface
//   SimPlatform.cpp   construction, errors and handles
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/DiskStore.h"
#include "platform/sim/Faults.h"
#include "platform/sim/ModuleTable.h"
#include "platform/sim/ProcessTable.h"
#include "platform/sim/RegistryStore.h"
#include "platform/sim/SimSettings.h"

namespace qm::sim {

struct MachineOrigin;  // what a machine folder held when the machine was opened (MachineOrigin.h)

// What the program asked Windows to do later, or showed: recorded, not run.
struct WinExecCall {
    std::string commandLine;
    UINT show = 0;
};
struct DelayedMove {  // MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT
    std::string from;
    std::string to;  // empty: delete at the next start
};
struct MessageBoxCall {
    std::string text;
    std::string caption;
    UINT type = 0;
};
struct ShellExecuteCall {
    std::string operation;
    std::string file;
    std::string parameters;
};

class SimPlatform : public Platform {
public:
    // A machine whose drives live in a fresh host folder, removed again when
    // the machine is destroyed. The machine is empty: no folders, no keys.
    SimPlatform();
    // A machine whose drives live below hostRoot (drive C: in hostRoot/drive_c,
    // as in a Wine prefix). The folder is kept.
    explicit SimPlatform(std::filesystem::path hostRoot);
    ~SimPlatform() override;
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

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
    LONG RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, REGSAM desired, HKEY* result) override;
    LONG RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD reserved, WCHAR* keyClass, DWORD options, REGSAM desired, const void* securityAttributes, HKEY* result, DWORD* disposition) override;
    LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize, DWORD* reserved, WCHAR* keyClass, DWORD* classSize, FILETIME* lastWriteTime) override;
    LONG RegEnumValueW(HKEY key, DWORD index, WCHAR* valueName, DWORD* valueNameSize, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) override;
    // Answers kKeyNameInformation only (kStatusNotImplemented for the rest).
    NTSTATUS NtQueryKey(HKEY key, int informationClass, void* information, ULONG length, ULONG* resultLength) override;
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
    // The common and the user's folders from the Shell Folders values of
    // the registry, the profile from USERPROFILE; E_FAIL for any other.
    HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, char* path) override;
    // Whether the file is one of settings().protectedFiles.
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
    // kProcessBreakOnTermination only: the process's `critical` flag.
    NTSTATUS NtQueryInformationProcess(HANDLE process, int informationClass, void* information, ULONG length, ULONG* returnLength) override;
    BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, char* name, DWORD* size) override;
    // A program of the machine's regsvr32 (either system folder's) runs at
    // once, as that bitness of regsvr32 would; any other program runs as
    // settings().runProgram says, or keeps running. A wait without a limit
    // on a program that keeps running fails (nothing can end it meanwhile).
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

    // ---- The simulation's own controls ----
    Faults& faults() { return faults_; }
    SimSettings& settings() { return settings_; }
    RegistryStore& registry() { return registry_; }
    DiskStore& disk() { return disk_; }
    ProcessTable& processes() { return processes_; }
    ModuleTable& modules() { return modules_; }
    const std::filesystem::path& hostRoot() const { return hostRoot_; }

    // Starts a program from a file of the simulated disk: it shows in process
    // snapshots, and its file cannot be deleted while it runs (as Windows
    // refuses with ERROR_ACCESS_DENIED). Gives the new process's id.
    DWORD StartProcess(const std::string& exePath);
    // Ends a process; its file can be deleted again once no other process
    // runs from it. False when no process has that id.
    bool EndProcess(DWORD processId, DWORD exitCode = 0);

    const std::vector<WinExecCall>& winExecCalls() const { return winExecCalls_; }
    // The moves and deletions left for the next start, as Windows keeps them:
    // the Session Manager's PendingFileRenameOperations value.
    std::vector<DelayedMove> delayedMoves() const;
    const std::vector<MessageBoxCall>& messageBoxes() const { return messageBoxes_; }
    const std::vector<ShellExecuteCall>& shellExecutes() const { return shellExecutes_; }

    // Set by OpenMachineFolder, so SaveMachineFolder writes back only what changed.
    MachineOrigin* origin() { return origin_.get(); }
    void SetOrigin(std::shared_ptr<MachineOrigin> origin) { origin_ = std::move(origin); }

private:
    // The error of an injected fault for this call, if any; sets nothing.
    std::optional<DWORD> Injected(FailableCall call, std::string_view path) {
        return faults_.Check(call, path);
    }
    // Sets the last error and gives back the value a failing call returns.
    template <typename T>
    T Fail(DWORD error, T result) {
        lastError_ = error;
        return result;
    }
    HANDLE NewHandle() { return nextHandle_ += 4; }
    // The registry view an open below `base` with this access mask reaches.
    bool InWow32View(const RegistryStore::Opened& base, REGSAM desired) const;
    bool ValidViewFlags(REGSAM desired) const;
    // RegOpenKeyEx and RegCreateKeyEx, either width.
    LONG OpenRegistryKey(FailableCall call, HKEY key, std::u16string_view sub, REGSAM desired, bool create,
                         HKEY* result, DWORD* disposition);
    bool CanReadModules(const SimProcess& target) const;
    // What regsvr32 of that bitness does with its command line: its exit code.
    DWORD RunRegsvr32(int bits, const std::string& commandLine);
    // The module a file is (bound or by its content), or nothing.
    std::optional<std::string> ModuleNameOfFile(const std::string& path);

    std::filesystem::path hostRoot_;
    bool ownsHostRoot_ = false;
    DWORD lastError_ = 0;
    HANDLE nextHandle_ = 0x1000;
    Faults faults_;
    SimSettings settings_;
    RegistryStore registry_;
    DiskStore disk_;
    ProcessTable processes_;
    ModuleTable modules_;
    std::vector<WinExecCall> winExecCalls_;
    std::vector<MessageBoxCall> messageBoxes_;
    std::vector<ShellExecuteCall> shellExecutes_;
    std::string commandLine_;  // what GetCommandLineA last gave
    std::shared_ptr<MachineOrigin> origin_;
};

}  // namespace qm::sim
