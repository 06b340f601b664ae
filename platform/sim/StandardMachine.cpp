// A freshly installed Windows XP machine.
#include "platform/sim/StandardMachine.h"

#include <string>
#include <utility>
#include <vector>

namespace qm::sim {

namespace {

std::string WithoutBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

void CreateFolder(SimPlatform& machine, const std::string& path) {
    // One level at a time, from the drive down.
    for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        machine.CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        if (at == std::string::npos) break;
    }
}

// Sets a string value unless the machine already has one of that name.
void SetString(SimPlatform& machine, HKEY root, const std::string& key, const std::string& name,
               const std::string& text) {
    HKEY handle = 0;
    if (machine.RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                &handle, nullptr) != ERROR_SUCCESS)
        return;
    if (machine.RegQueryValueExA(handle, name.c_str(), nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        machine.RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1));
    machine.RegCloseKey(handle);
}

}  // namespace

void InstallStandardMachine(SimPlatform& machine) {
    const SimSettings& s = machine.settings();
    const std::string windows = WithoutBackslash(s.windowsDirectory);
    const std::string drive = windows.substr(0, 2);
    const std::string programFiles = drive + "\\Program Files";
    const std::string commonFiles = programFiles + "\\Common Files";
    const std::string homePath = "\\Documents and Settings\\" + s.userName;
    const std::string profile = drive + homePath;
    const std::string program = s.programPath.substr(0, s.programPath.find_last_of('\\'));

    const std::vector<std::pair<const char*, std::string>> shellFolders = {
        {"AppData", profile + "\\Application Data"},
        {"Cookies", profile + "\\Cookies"},
        {"Desktop", profile + "\\Desktop"},
        {"Favorites", profile + "\\Favorites"},
        {"Fonts", windows + "\\Fonts"},
        {"Local Settings", profile + "\\Local Settings"},
        {"Personal", profile + "\\My Documents"},
        {"Programs", profile + "\\Start Menu\\Programs"},
        {"Recent", profile + "\\Recent"},
        {"SendTo", profile + "\\SendTo"},
        {"Start Menu", profile + "\\Start Menu"},
        {"Startup", profile + "\\Start Menu\\Programs\\Startup"},
        {"Templates", profile + "\\Templates"},
    };

    for (const std::string& folder : {windows, WithoutBackslash(s.systemDirectory), WithoutBackslash(s.tempPath),
                                      programFiles, commonFiles, program})
        CreateFolder(machine, folder);
    for (const auto& [name, folder] : shellFolders) {
        CreateFolder(machine, folder);
        SetString(machine, HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name,
                  folder);
    }
    SetString(machine, HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", windows);
    SetString(machine, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", programFiles);
    SetString(machine, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir", commonFiles);
    SetString(machine, HKCU, "Volatile Environment", "HOMEPATH", homePath);
    SetString(machine, HKCU, "Volatile Environment", "HOMEDRIVE", drive);

    const std::vector<std::pair<const char*, std::string>> environment = {
        {"PATH", WithoutBackslash(s.systemDirectory) + ";" + windows + ";" + WithoutBackslash(s.systemDirectory) +
                     "\\Wbem"},
        {"windir", windows},
        {"SystemRoot", windows},
        {"TEMP", WithoutBackslash(s.tempPath)},
        {"TMP", WithoutBackslash(s.tempPath)},
        {"USERPROFILE", profile},
        {"HOMEDRIVE", drive},
        {"HOMEPATH", homePath},
        {"ProgramFiles", programFiles},
        {"USERNAME", s.userName},
    };
    for (const auto& [name, value] : environment) {
        char probe[1];
        if (machine.GetEnvironmentVariableA(name, probe, 1) == 0) machine.SetEnvironmentVariableA(name, value.c_str());
    }
}

}  // namespace qm::sim
