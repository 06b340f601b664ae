// The table of the simulated machine's calls that fault injection can make
// fail: one entry per Platform method that can fail on Windows, by its
// Windows name. Fault rules name their call from this table; a name that is
// not in it is refused at once, so a misspelt rule cannot pass unnoticed.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace qm::sim {

// The one list: FailableCall's enumerators and their names are made from it.
#define QM_SIM_FAILABLE_CALLS(X)                                                                      \
    X(RegOpenKeyExA) X(RegCreateKeyExA) X(RegQueryValueExA) X(RegQueryValueExW) X(RegSetValueExA)      \
    X(RegSetValueExW) X(RegDeleteValueA) X(RegDeleteKeyA) X(RegEnumKeyExA) X(RegQueryInfoKeyA)         \
    X(RegCloseKey) X(RegDeleteKeyExA) X(NtQueryKey) X(RegOpenKeyExW) X(RegCreateKeyExW) X(RegEnumKeyExW)  \
    X(RegEnumValueW)                                                                                   \
    X(GetPrivateProfileStringA) X(WritePrivateProfileStringA)                                          \
    X(CreateFileA) X(ReadFile) X(WriteFile) X(SetFilePointer) X(GetFileSize) X(FindFirstFileA)         \
    X(FindNextFileA) X(FindClose) X(GetFileAttributesA) X(SetFileAttributesA) X(CreateDirectoryA)      \
    X(RemoveDirectoryA) X(DeleteFileA) X(MoveFileA) X(MoveFileExA) X(GetShortPathNameA)                \
    X(GetCurrentDirectoryA) X(SetCurrentDirectoryA) X(SHFileOperationA) X(GetFullPathNameA)            \
    X(GetLongPathNameA) X(CopyFileA) X(GetFileTime) X(SetFileTime) X(SHGetFolderPathA)                 \
    X(GetWindowsDirectoryA) X(GetSystemDirectoryA) X(GetSystemWow64DirectoryA) X(GetTempPathA)         \
    X(GetModuleFileNameA) X(IsWow64Process)                                                            \
    X(GetUserNameA) X(GetComputerNameA) X(GetEnvironmentVariableA) X(SetEnvironmentVariableA) X(GetVersionExA)             \
    X(CreateToolhelp32Snapshot) X(Process32First) X(Process32Next) X(OpenProcess) X(TerminateProcess)  \
    X(EnumProcessModules) X(GetModuleFileNameExA) X(QueryFullProcessImageNameA) X(WinExec)             \
    X(CreateProcessA) X(WaitForSingleObject) X(GetExitCodeProcess) X(LoadLibraryA) X(GetProcAddress)   \
    X(FreeLibrary) X(CompareStringA) X(MultiByteToWideChar) X(MessageBoxA) X(ShellExecuteA)

enum class FailableCall : int {
#define QM_SIM_ENUMERATOR(name) name,
    QM_SIM_FAILABLE_CALLS(QM_SIM_ENUMERATOR)
#undef QM_SIM_ENUMERATOR
};

inline constexpr std::string_view kFailableCallNames[] = {
#define QM_SIM_NAME(name) #name,
    QM_SIM_FAILABLE_CALLS(QM_SIM_NAME)
#undef QM_SIM_NAME
};
inline constexpr std::size_t kFailableCallCount = std::size(kFailableCallNames);

constexpr std::string_view NameOf(FailableCall call) { return kFailableCallNames[static_cast<std::size_t>(call)]; }

// The call of that exact name (case matters, as in Windows' export table).
std::optional<FailableCall> FailableCallNamed(std::string_view name);

}  // namespace qm::sim
