// A freshly installed Windows: XP, or Windows 7 on a 64-bit machine.
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

// Sets a string value unless the machine already has one of that name; view:
// the registry view's flag, or 0 for the program's own.
void SetString(SimPlatform& machine, HKEY root, const std::string& key, const std::string& name,
               const std::string& text, REGSAM view = 0) {
    HKEY handle = 0;
    if (machine.RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | view,
                                nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return;
    if (machine.RegQueryValueExA(handle, name.c_str(), nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        machine.RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1));
    machine.RegCloseKey(handle);
}

void WriteFileIfMissing(SimPlatform& machine, const std::string& path, const std::string& bytes) {
    const HANDLE file =
        machine.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == kInvalidHandle) return;
    DWORD written = 0;
    machine.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    machine.CloseHandle(file);
}

}  // namespace

void StartSystemProcesses(SimPlatform& machine) {
    const std::string system = WithoutBackslash(machine.settings().systemDirectory);
    const bool windows7 = machine.settings().majorVersion >= 6;
    struct Program {
        std::string path;
        bool critical;
    };
    std::vector<Program> programs = {{system + "\\smss.exe", true},     {system + "\\csrss.exe", true},
                                     {system + "\\winlogon.exe", true}, {system + "\\services.exe", true},
                                     {system + "\\lsass.exe", true},    {system + "\\svchost.exe", false},
                                     {system + "\\svchost.exe", false}};
    if (windows7) programs.push_back({system + "\\wininit.exe", true});
    programs.push_back({WithoutBackslash(machine.settings().windowsDirectory) + "\\explorer.exe", false});
    for (const Program& program : programs) {
        const DWORD id = machine.StartProcess(program.path);
        machine.processes().Find(id)->critical = program.critical;
    }
}

void InstallStandardMachine(SimPlatform& machine) {
    const SimSettings& s = machine.settings();
    const bool windows7 = s.platformId == VER_PLATFORM_WIN32_NT && s.majorVersion >= 6;
    const bool x64 = s.machineBits == 64;
    const std::string windows = WithoutBackslash(s.windowsDirectory);
    const std::string system = WithoutBackslash(s.systemDirectory);
    const std::string drive = windows.substr(0, 2);
    const std::string programFiles = drive + "\\Program Files";
    const std::string commonFiles = programFiles + "\\Common Files";
    const std::string programFilesX86 = drive + "\\Program Files (x86)";
    const std::string commonFilesX86 = programFilesX86 + "\\Common Files";
    const std::string homePath = (windows7 ? "\\Users\\" : "\\Documents and Settings\\") + s.userName;
    const std::string profile = drive + homePath;
    const std::string program = s.programPath.substr(0, s.programPath.find_last_of('\\'));
    // Where the per-user folders lie: Windows XP's layout, or that of Windows
    // Vista and later.
    const std::string roaming = windows7 ? profile + "\\AppData\\Roaming" : profile + "\\Application Data";
    const std::string local = windows7 ? profile + "\\AppData\\Local" : profile + "\\Local Settings";
    const std::string shell = windows7 ? roaming + "\\Microsoft\\Windows" : profile;
    const std::string startMenu = shell + "\\Start Menu";

    const std::vector<std::pair<const char*, std::string>> shellFolders = {
        {"AppData", roaming},
        {"Cookies", shell + "\\Cookies"},
        {"Desktop", profile + "\\Desktop"},
        {"Favorites", profile + "\\Favorites"},
        {"Fonts", windows + "\\Fonts"},
        {"Local Settings", local},
        {"Personal", profile + (windows7 ? "\\Documents" : "\\My Documents")},
        {"Programs", startMenu + "\\Programs"},
        {"Recent", shell + "\\Recent"},
        {"SendTo", shell + "\\SendTo"},
        {"Start Menu", startMenu},
        {"Startup", startMenu + "\\Programs\\Startup"},
        {"Templates", shell + "\\Templates"},
    };

    // The folders all users share.
    const std::string allUsers = windows7 ? drive + "\\ProgramData" : drive + "\\Documents and Settings\\All Users";
    const std::string commonStartMenu =
        windows7 ? allUsers + "\\Microsoft\\Windows\\Start Menu" : allUsers + "\\Start Menu";
    const std::string publicFolder = windows7 ? drive + "\\Users\\Public" : allUsers;
    const std::vector<std::pair<const char*, std::string>> commonFolders = {
        {"Common AppData", windows7 ? allUsers : allUsers + "\\Application Data"},
        {"Common Desktop", publicFolder + "\\Desktop"},
        {"Common Documents", publicFolder + (windows7 ? "\\Documents" : "\\Documents")},
        {"Common Start Menu", commonStartMenu},
        {"Common Programs", commonStartMenu + "\\Programs"},
        {"Common Startup", commonStartMenu + "\\Programs\\Startup"},
    };
    const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

    for (const std::string& folder :
         {windows, system, WithoutBackslash(s.tempPath), programFiles, commonFiles, program})
        CreateFolder(machine, folder);
    for (const auto& [name, folder] : shellFolders) {
        CreateFolder(machine, folder);
        SetString(machine, HKCU, kShellFolders, name, folder);
    }
    const std::string localAppData = windows7 ? local : local + "\\Application Data";
    CreateFolder(machine, localAppData);
    SetString(machine, HKCU, kShellFolders, "Local AppData", localAppData);
    for (const auto& [name, folder] : commonFolders) {
        CreateFolder(machine, folder);
        SetString(machine, HKLM, kShellFolders, name, folder);
    }
    // What Windows File Protection guards, and the images of the processes
    // Windows cannot go on without: files that exist on any Windows.
    for (const std::string& folder : x64 ? std::vector<std::string>{system, WithoutBackslash(s.systemWow64Directory)}
                                         : std::vector<std::string>{system}) {
        for (const char* name : {"kernel32.dll", "ntdll.dll", "user32.dll", "shell32.dll", "smss.exe", "csrss.exe",
                                 "winlogon.exe", "services.exe", "lsass.exe", "svchost.exe", "regedit.exe"}) {
            const std::string path = folder + "\\" + name;
            WriteFileIfMissing(machine, path, "MZ");
            machine.settings().protectedFiles.push_back(path);
        }
    }
    WriteFileIfMissing(machine, windows + "\\explorer.exe", "MZ");
    machine.settings().protectedFiles.push_back(windows + "\\explorer.exe");
    // Both registry views of a 64-bit machine hold these, each with its own
    // Program Files.
    const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    for (const REGSAM view : x64 ? std::vector<REGSAM>{KEY_WOW64_64KEY, KEY_WOW64_32KEY} : std::vector<REGSAM>{0}) {
        const bool wow32 = view == KEY_WOW64_32KEY;
        SetString(machine, HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", windows, view);
        SetString(machine, HKLM, kCurrentVersion, "ProgramFilesDir", wow32 ? programFilesX86 : programFiles, view);
        SetString(machine, HKLM, kCurrentVersion, "CommonFilesDir", wow32 ? commonFilesX86 : commonFiles, view);
        if (!x64) continue;
        SetString(machine, HKLM, kCurrentVersion, "ProgramFilesDir (x86)", programFilesX86, view);
        SetString(machine, HKLM, kCurrentVersion, "CommonFilesDir (x86)", commonFilesX86, view);
    }
    SetString(machine, HKCU, "Volatile Environment", "HOMEPATH", homePath);
    SetString(machine, HKCU, "Volatile Environment", "HOMEDRIVE", drive);
    if (x64) {
        const std::string wow64 = WithoutBackslash(s.systemWow64Directory);
        for (const std::string& folder : {wow64, programFilesX86, commonFilesX86}) CreateFolder(machine, folder);
        // The two regsvr32 programs that register COM servers of each bitness.
        for (const std::string& folder : {system, wow64}) WriteFileIfMissing(machine, folder + "\\regsvr32.exe", "MZ");
    }

    std::vector<std::pair<const char*, std::string>> environment = {
        {"PATH", system + ";" + windows + ";" + system + "\\Wbem"},
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
    if (x64) {
        environment.emplace_back("ProgramFiles(x86)", programFilesX86);
        environment.emplace_back("ProgramW6432", programFiles);
        environment.emplace_back("PROCESSOR_ARCHITECTURE", s.programBits == 64 ? "AMD64" : "x86");
    }
    for (const auto& [name, value] : environment) {
        char probe[1];
        if (machine.GetEnvironmentVariableA(name, probe, 1) == 0) machine.SetEnvironmentVariableA(name, value.c_str());
    }
}

}  // namespace qm::sim
