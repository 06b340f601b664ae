// The shell's special folders and Windows File Protection on the simulated
// machine: both answer from what the machine holds (its registry, its
// environment, the list of protected files in its settings).
#include <cstring>
#include <string>

#include "platform/sim/CodePage.h"
#include "platform/sim/SamePath.h"
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

// Where Windows keeps each folder's path in the registry.
struct ShellFolderSource {
    int csidl;
    HKEY root;
    const char* valueName;
};
constexpr ShellFolderSource kSources[] = {
    {CSIDL_APPDATA, HKCU, "AppData"},
    {CSIDL_LOCAL_APPDATA, HKCU, "Local AppData"},
    {CSIDL_DESKTOPDIRECTORY, HKCU, "Desktop"},
    {CSIDL_COMMON_APPDATA, HKLM, "Common AppData"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, HKLM, "Common Desktop"},
    {CSIDL_COMMON_STARTMENU, HKLM, "Common Start Menu"},
    {CSIDL_COMMON_PROGRAMS, HKLM, "Common Programs"},
    {CSIDL_COMMON_STARTUP, HKLM, "Common Startup"},
    {CSIDL_COMMON_DOCUMENTS, HKLM, "Common Documents"},
};
constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

}  // namespace

HRESULT SimPlatform::SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, char* path) {
    if (auto error = Injected(FailableCall::SHGetFolderPathA, "")) return static_cast<HRESULT>(*error);
    if (path == nullptr) return E_FAIL;
    path[0] = '\0';
    std::string text;
    if (folder == CSIDL_PROFILE) {
        char profile[MAX_PATH] = {};
        GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile);
        text = profile;
    }
    for (const ShellFolderSource& source : kSources) {
        if (source.csidl != folder) continue;
        const std::string root = source.root == HKLM ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
        text = registry_.GetString(root + kShellFolders, source.valueName).value_or("");
    }
    if (text.empty() || text.size() >= MAX_PATH) return E_FAIL;
    std::memcpy(path, text.c_str(), text.size() + 1);
    return S_OK;
}

BOOL SimPlatform::SfcIsFileProtected(HANDLE, const WCHAR* fileName) {
    if (fileName == nullptr) return FALSE;
    const std::string path = Utf16ToAnsi(fileName);
    for (const std::string& file : settings_.protectedFiles)
        if (SamePath(file, path)) return TRUE;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

}  // namespace qm::sim
