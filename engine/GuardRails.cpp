// The guard rails: what a removal script may never harm.
#include "engine/GuardRails.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "engine/Backup.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"

namespace qm {

namespace {

bool IsRoot(const std::string& canonical) { return canonical.size() == 3 && canonical[1] == ':'; }

// Whether `inner` is `outer` or lies below it (both canonical).
bool IsSameOrBelow(const std::string& inner, const std::string& outer) {
    if (inner == outer) return true;
    const std::string prefix = IsRoot(outer) ? outer : outer + "\\";
    return inner.size() > prefix.size() && inner.compare(0, prefix.size(), prefix) == 0;
}

// Long names for the part of the path that exists; the rest as it is.
std::string LongAsFarAsItExists(const std::string& path) {
    Platform& p = CurrentPlatform();
    std::string rest;
    std::string prefix = path;
    while (!prefix.empty()) {
        char buffer[MAX_PATH * 4] = {};
        const DWORD length = p.GetLongPathNameA(prefix.c_str(), buffer, sizeof buffer);
        if (length > 0 && length < sizeof buffer) return std::string(buffer, length) + rest;
        const auto slash = prefix.find_last_of('\\');
        if (slash == std::string::npos || slash < 3) break;  // nothing left but the drive
        rest = prefix.substr(slash) + rest;
        prefix.erase(slash);
    }
    return path;
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH + 1] = {};
    if (CurrentPlatform().SHGetFolderPathA(0, csidl, 0, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
    return path;
}

std::string ProgramFile() {
    char path[MAX_PATH + 1] = {};
    CurrentPlatform().GetModuleFileNameA(0, path, MAX_PATH);
    return path;
}

// The program files of the processes Windows cannot go on without.
constexpr std::array<std::string_view, 8> kSystemProcessImages = {
    "SMSS.EXE", "CSRSS.EXE", "WININIT.EXE", "WINLOGON.EXE", "SERVICES.EXE", "LSASS.EXE", "LSM.EXE", "SVCHOST.EXE"};

// Why this canonical program file must stay, if it must.
Refusal SystemImageRefusal(const std::string& canonical) {
    for (const std::string& folder : {InfoDir.GetSystemFolder(), InfoDir.GetSystemWow64Folder()}) {
        if (folder.empty()) continue;
        for (const std::string_view name : kSystemProcessImages)
            if (canonical == CanonicalPath(folder + "\\" + std::string(name)))
                return "the program of a process Windows needs (" + std::string(name) + ")";
    }
    if (canonical == CanonicalPath(InfoDir.GetWindowsFolder() + "\\explorer.exe"))
        return std::string("the program of the Windows shell (EXPLORER.EXE)");
    if (canonical == CanonicalPath(ProgramFile())) return std::string("Quellmar itself");
    return std::nullopt;
}

}  // namespace

std::string CanonicalPath(const std::string& path) {
    std::string text = path;
    if (text.rfind("\\\\?\\", 0) == 0) text.erase(0, 4);
    char full[MAX_PATH * 4] = {};
    const DWORD length = CurrentPlatform().GetFullPathNameA(text.c_str(), sizeof full, full, nullptr);
    if (length > 0 && length < sizeof full) text.assign(full, length);
    text = LongAsFarAsItExists(text);
    while (text.size() > 3 && text.back() == '\\') text.pop_back();
    return AnsiUpperCase(text);
}

bool HasWildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

TGuardRails::TGuardRails() {
    const std::string profile = ShellFolder(CSIDL_PROFILE);
    const std::string home = InfoDir.GetHomeDrive() + InfoDir.GetHomePath();
    const std::pair<std::string, const char*> folders[] = {
        {InfoDir.GetWindowsFolder(), "Windows folder"},
        {InfoDir.GetSystemFolder(), "system folder"},
        {InfoDir.GetSystemWow64Folder(), "32-bit system folder"},
        {InfoDir.GetSystemRoot(), "Windows folder"},
        {InfoDir.GetTempFolder(), "temporary folder"},
        {InfoDir.GetProgramFolder(), "folder of Quellmar itself"},
        {QuellmarDataFolder(), "folder of Quellmar's data and backups"},
        {InfoDir.GetProgramFilesFolder(), "Program Files folder"},
        {InfoDir.GetProgramFilesX86Folder(), "Program Files (x86) folder"},
        {InfoDir.GetCommonFilesFolder(), "Common Files folder"},
        {InfoDir.GetCommonFilesX86Folder(), "Common Files (x86) folder"},
        {InfoDir.GetFontsFolder(), "Fonts folder"},
        {profile, "user's profile"},
        {InfoDir.GetHomePath().empty() ? std::string() : home, "user's profile"},
        {profile.empty() ? std::string() : ExtractFilePath(profile), "folder of the user profiles"},
        {InfoDir.GetAppDataFolder(), "user's application data"},
        {ShellFolder(CSIDL_LOCAL_APPDATA), "user's local application data"},
        {InfoDir.GetLocalSettingsFolder(), "user's local settings"},
        {InfoDir.GetCookiesFolder(), "Cookies folder"},
        {InfoDir.GetDesktopFolder(), "Desktop"},
        {InfoDir.GetFavoritesFolder(), "Favorites"},
        {InfoDir.GetPersonalFolder(), "user's documents"},
        {InfoDir.GetProgramsFolder(), "Programs menu"},
        {InfoDir.GetRecentFolder(), "Recent folder"},
        {InfoDir.GetSendToFolder(), "SendTo folder"},
        {InfoDir.GetStartMenuFolder(), "Start menu"},
        {ParentFolder(InfoDir.GetStartMenuFolder()), "user's profile"},
        {InfoDir.GetStartupFolder(), "Startup folder"},
        {InfoDir.GetTemplatesFolder(), "Templates folder"},
        {ShellFolder(CSIDL_COMMON_APPDATA), "application data of all users"},
        {ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY), "Desktop of all users"},
        {ShellFolder(CSIDL_COMMON_DOCUMENTS), "documents of all users"},
        {ShellFolder(CSIDL_COMMON_STARTMENU), "Start menu of all users"},
        {ShellFolder(CSIDL_COMMON_PROGRAMS), "Programs menu of all users"},
        {ShellFolder(CSIDL_COMMON_STARTUP), "Startup folder of all users"},
    };
    for (const auto& [path, name] : folders) {
        if (path.empty()) continue;
        const std::string canonical = CanonicalPath(path);
        if (canonical.size() < 2 || canonical[1] != ':') continue;  // not a folder of a drive
        folders_.push_back({canonical, name});
    }
}

Refusal TGuardRails::Folder(const std::string& path) const {
    if (HasWildcard(path)) return std::string("a name with * or ? is a pattern, not a folder");
    const std::string target = CanonicalPath(path);
    if (IsRoot(target)) return std::string("the root of a drive");
    for (const ProtectedFolder& folder : folders_)
        if (folder.canonical == target) return "the " + folder.name;
    for (const ProtectedFolder& folder : folders_)
        if (IsSameOrBelow(folder.canonical, target)) return "it holds the " + folder.name;
    const std::string data = QuellmarDataFolder();
    if (!data.empty() && IsSameOrBelow(target, CanonicalPath(data))) return std::string("a folder of Quellmar's backups");
    return std::nullopt;
}

Refusal TGuardRails::File(const std::string& path) const {
    if (HasWildcard(path)) return std::string("a name with * or ? is a pattern, not a file");
    const std::string target = CanonicalPath(path);
    if (Refusal refusal = SystemImageRefusal(target)) return refusal;
    const std::string data = QuellmarDataFolder();
    if (!data.empty() && IsSameOrBelow(target, CanonicalPath(data)))
        return std::string("a file of Quellmar's backups");
    // Windows File Protection answers for the full path, in UTF-16.
    Platform& p = CurrentPlatform();
    const int length = p.MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, nullptr, 0);
    if (length > 0) {
        std::u16string wide(static_cast<size_t>(length), u'\0');
        p.MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, wide.data(), length);
        if (p.SfcIsFileProtected(0, wide.c_str())) return std::string("a file Windows protects");
    }
    return std::nullopt;
}

Refusal ProcessRefusal(DWORD processId, const std::string& image) {
    if (processId == 0 || processId == 4) return std::string("the system's own process");
    Platform& p = CurrentPlatform();
    if (processId == p.GetCurrentProcessId()) return std::string("Quellmar itself");
    if (!image.empty())
        if (Refusal refusal = SystemImageRefusal(CanonicalPath(image))) return refusal;
    // A process Windows itself marks critical ends Windows with it.
    ProcessHandle process(p, p.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) process = ProcessHandle(p, p.OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    ULONG critical = 0;
    if (process && p.NtQueryInformationProcess(process.get(), kProcessBreakOnTermination, &critical,
                                               sizeof critical, nullptr) == kStatusSuccess &&
        critical != 0)
        return std::string("a process Windows marks critical");
    return std::nullopt;
}

// ---- Registry ----

namespace {

// Each entry protects the key and, by the rule, all of its ancestors.
constexpr const char* kProtectedKeys[] = {
    "HKLM\\SOFTWARE\\CLASSES\\CLSID", "HKLM\\SOFTWARE\\CLASSES\\INTERFACE", "HKLM\\SOFTWARE\\CLASSES\\TYPELIB",
    "HKLM\\SOFTWARE\\CLASSES\\APPID", "HKLM\\SOFTWARE\\CLASSES\\*", "HKLM\\SOFTWARE\\CLASSES\\EXEFILE",
    "HKLM\\SOFTWARE\\CLASSES\\.EXE", "HKLM\\SOFTWARE\\CLASSES\\BATFILE", "HKLM\\SOFTWARE\\CLASSES\\COMFILE",
    "HKLM\\SOFTWARE\\CLASSES\\LNKFILE", "HKLM\\SOFTWARE\\CLASSES\\.LNK", "HKLM\\SOFTWARE\\CLASSES\\DIRECTORY",
    "HKLM\\SOFTWARE\\CLASSES\\FOLDER", "HKLM\\SOFTWARE\\CLASSES\\DRIVE", "HKLM\\SOFTWARE\\CLASSES\\PROTOCOLS",
    "HKLM\\SOFTWARE\\CLASSES\\HTTP", "HKLM\\SOFTWARE\\CLASSES\\HTMLFILE",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCE",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCEEX",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNSERVICES",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNSERVICESONCE",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\POLICIES",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHELL EXTENSIONS\\APPROVED",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHELLSERVICEOBJECTDELAYLOAD",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELL FOLDERS",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\USER SHELL FOLDERS",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\BROWSER HELPER OBJECTS",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELLEXECUTEHOOKS",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINDOWS",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\IMAGE FILE EXECUTION OPTIONS",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\SVCHOST",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\FONTS",
    "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\PROFILELIST",
    "HKLM\\SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\MAIN", "HKLM\\SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR",
    "HKLM\\SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\EXTENSIONS",
    "HKLM\\SOFTWARE\\MICROSOFT\\ACTIVE SETUP\\INSTALLED COMPONENTS", "HKLM\\SOFTWARE\\POLICIES",
    "HKLM\\SYSTEM\\CURRENTCONTROLSET\\SERVICES", "HKLM\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\SESSION MANAGER",
    "HKLM\\SYSTEM\\CURRENTCONTROLSET\\ENUM", "HKLM\\SYSTEM\\CONTROLSET001\\SERVICES",
    "HKLM\\SYSTEM\\CONTROLSET001\\CONTROL", "HKLM\\SYSTEM\\CONTROLSET002\\SERVICES",
    "HKLM\\SYSTEM\\CONTROLSET002\\CONTROL", "HKLM\\SYSTEM\\SELECT", "HKLM\\SAM", "HKLM\\SECURITY",
    "HKLM\\HARDWARE", "HKLM\\BCD00000000",
    "HKCU\\SOFTWARE\\CLASSES", "HKCU\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN",
    "HKCU\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCE",
    "HKCU\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\POLICIES",
    "HKCU\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELL FOLDERS",
    "HKCU\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\USER SHELL FOLDERS",
    "HKCU\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON",
    "HKCU\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINDOWS",
    "HKCU\\SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\MAIN", "HKCU\\SOFTWARE\\POLICIES", "HKCU\\CONTROL PANEL\\DESKTOP",
    "HKCU\\ENVIRONMENT", "HKCU\\VOLATILE ENVIRONMENT", "HKCU\\KEYBOARD LAYOUT", "HKCC\\SOFTWARE", "HKCC\\SYSTEM",
};

// The key's path in the form of the list: HKLM, HKCU, HKU or HKCC first,
// upper case, one separator between names; HKEY_CLASSES_ROOT is
// HKLM\SOFTWARE\CLASSES, a user's key below HKU counts as HKCU's, and a
// 32-bit view's Wow6432Node copy as the key itself.
std::string CanonicalKey(const std::string& path) {
    std::vector<std::string> names;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t slash = std::min(path.find('\\', at), path.size());
        if (slash > at) names.push_back(AnsiUpperCase(path.substr(at, slash - at)));
        at = slash + 1;
    }
    if (names.empty()) return {};
    std::string& root = names.front();
    if (root == "HKEY_LOCAL_MACHINE") root = "HKLM";
    if (root == "HKEY_CURRENT_USER") root = "HKCU";
    if (root == "HKEY_USERS") root = "HKU";
    if (root == "HKEY_CURRENT_CONFIG") root = "HKCC";
    if (root == "HKEY_CLASSES_ROOT" || root == "HKCR") {
        root = "HKLM";
        names.insert(names.begin() + 1, {"SOFTWARE", "CLASSES"});
    }
    if (root == "HKU" && names.size() >= 2) {  // HKU\<user>\... is that user's HKCU
        names.erase(names.begin() + 1);
        root = "HKCU";
    }
    for (std::size_t i = 1; i < names.size(); ++i)
        if (names[i] == "WOW6432NODE" && (names[i - 1] == "SOFTWARE" || names[i - 1] == "CLASSES"))
            names.erase(names.begin() + static_cast<std::ptrdiff_t>(i--));
    std::string canonical;
    for (const std::string& name : names) canonical += (canonical.empty() ? "" : "\\") + name;
    return canonical;
}

}  // namespace

const std::vector<std::string>& ProtectedRegistryKeys() {
    static const std::vector<std::string> keys(std::begin(kProtectedKeys), std::end(kProtectedKeys));
    return keys;
}

Refusal RegistryKeyRefusal(const std::string& path) {
    const std::string key = CanonicalKey(path);
    if (key.empty()) return std::nullopt;
    for (const std::string& protectedKey : ProtectedRegistryKeys()) {
        if (protectedKey == key) return "a key Windows needs (" + protectedKey + ")";
        if (protectedKey.size() > key.size() && protectedKey.compare(0, key.size() + 1, key + "\\") == 0)
            return "it holds a key Windows needs (" + protectedKey + ")";
    }
    return std::nullopt;
}

}  // namespace qm
