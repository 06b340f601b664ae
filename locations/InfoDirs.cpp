// The cached special folders and the expansion of path variables.
#include "locations/InfoDirs.h"

#include <stdexcept>
#include <vector>

#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"

namespace qm {

TinfoDir InfoDir;

namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A Windows folder call into a zeroed buffer of 261 bytes, given a size of
// 260; the text runs to the first zero byte, so a failed call gives "".
template <typename Call>
std::string ReadFolderCall(Call&& call) {
    char buffer[261] = {};
    call(buffer);
    return std::string(buffer);
}

std::string ReadTempPath() {
    return ReadFolderCall([](char* b) { CurrentPlatform().GetTempPathA(260, b); });
}

// Case-insensitive replacement of every occurrence, left to right, without
// overlap; the inserted text is not searched again.
std::string ReplaceAllIgnoreCase(const std::string& text, const std::string& pattern,
                                 const std::string& replacement) {
    const std::string upperText = AnsiUpperCase(text);
    const std::string upperPattern = AnsiUpperCase(pattern);
    std::string result;
    std::string::size_type from = 0;
    for (;;) {
        const auto at = upperText.find(upperPattern, from);
        if (at == std::string::npos) break;
        result.append(text, from, at - from);
        result += replacement;
        from = at + upperPattern.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

}  // namespace

enum TinfoDir::Source : int {
    kWindows, kSystem, kTemp, kProgram, kUserName, kSystemRoot, kProgramFiles, kCommonFiles,
    kHomePath, kHomeDrive, kAppData, kCookies, kDesktop, kFavorites, kFonts, kLocalSettings,
    kPersonal, kPrograms, kRecent, kSendTo, kStartMenu, kStartup, kTemplates,
    kSystemWow64, kProgramFilesX86, kCommonFilesX86
};

void TinfoDir::ClearCache() {
    for (auto& entry : cache_) entry = Cached{};
    platformGeneration_ = CurrentPlatformGeneration();
}

template <typename Reader>
std::string TinfoDir::Get(int source, Reader&& readSource) {
    if (platformGeneration_ != CurrentPlatformGeneration()) ClearCache();
    Cached& entry = cache_[static_cast<size_t>(source)];
    if (!entry.read) {
        entry.text = readSource();
        entry.read = true;
    }
    return entry.text;
}

std::string TinfoDir::GetWindowsFolder() {
    return Get(kWindows, [] {
        return StripTrailingBackslash(ReadFolderCall([](char* b) { CurrentPlatform().GetWindowsDirectoryA(b, 260); }));
    });
}

std::string TinfoDir::GetSystemFolder() {
    return Get(kSystem, [] {
        return StripTrailingBackslash(ReadFolderCall([](char* b) { CurrentPlatform().GetSystemDirectoryA(b, 260); }));
    });
}

std::string TinfoDir::GetSystemWow64Folder() {
    return Get(kSystemWow64, [] {
        return StripTrailingBackslash(
            ReadFolderCall([](char* b) { CurrentPlatform().GetSystemWow64DirectoryA(b, 260); }));
    });
}

std::string TinfoDir::GetTempFolder() {
    return Get(kTemp, [] { return StripTrailingBackslash(ReadTempPath()); });
}

std::string TinfoDir::GetProgramFolder() {
    return Get(kProgram, [] {
        const std::string program =
            ReadFolderCall([](char* b) { CurrentPlatform().GetModuleFileNameA(0, b, 260); });
        return StripTrailingBackslash(ExtractFilePath(program));
    });
}

std::string TinfoDir::GetCurrentUserName() {
    return Get(kUserName, [] {
        Platform& p = CurrentPlatform();
        DWORD size = 0;
        p.GetUserNameA(nullptr, &size);  // learns the size, zero included
        if (size == 0) return std::string();
        std::vector<char> buffer(size + 1, '\0');
        if (!p.GetUserNameA(buffer.data(), &size)) return std::string();
        return std::string(buffer.data());
    });
}

namespace {

// Where the folders that Windows keeps in the registry are read from.
struct RegistryFolderSource {
    int slot;  // a TinfoDir::Source
    HKEY root;
    const char* key;
    const char* value;
};

}  // namespace

std::string TinfoDir::RegistryFolder(int slot) {
    static constexpr RegistryFolderSource kSources[] = {
        {kSystemRoot, HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot"},
        {kProgramFiles, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"},
        {kCommonFiles, HKLM, "Software\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir"},
        {kHomePath, HKCU, "Volatile Environment", "HOMEPATH"},
        {kHomeDrive, HKCU, "Volatile Environment", "HOMEDRIVE"},
        {kAppData, HKCU, kShellFolders, "AppData"},
        {kCookies, HKCU, kShellFolders, "Cookies"},
        {kDesktop, HKCU, kShellFolders, "Desktop"},
        {kFavorites, HKCU, kShellFolders, "Favorites"},
        {kFonts, HKCU, kShellFolders, "Fonts"},
        {kLocalSettings, HKCU, kShellFolders, "Local Settings"},
        {kPersonal, HKCU, kShellFolders, "Personal"},
        {kPrograms, HKCU, kShellFolders, "Programs"},
        {kRecent, HKCU, kShellFolders, "Recent"},
        {kSendTo, HKCU, kShellFolders, "SendTo"},
        {kStartMenu, HKCU, kShellFolders, "Start Menu"},
        {kStartup, HKCU, kShellFolders, "Startup"},
        {kTemplates, HKCU, kShellFolders, "Templates"},
        {kProgramFilesX86, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir (x86)"},
        {kCommonFilesX86, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir (x86)"},
    };
    return Get(slot, [slot] {
        for (const auto& source : kSources)
            if (source.slot == slot)
                return StripTrailingBackslash(ReadRegistryString(source.root, source.key, source.value));
        throw std::logic_error("no registry source for this folder");
    });
}

std::string TinfoDir::GetSystemRoot() { return RegistryFolder(kSystemRoot); }
std::string TinfoDir::GetProgramFilesFolder() { return RegistryFolder(kProgramFiles); }
std::string TinfoDir::GetCommonFilesFolder() { return RegistryFolder(kCommonFiles); }
std::string TinfoDir::GetHomePath() { return RegistryFolder(kHomePath); }
std::string TinfoDir::GetHomeDrive() { return RegistryFolder(kHomeDrive); }
std::string TinfoDir::GetAppDataFolder() { return RegistryFolder(kAppData); }
std::string TinfoDir::GetCookiesFolder() { return RegistryFolder(kCookies); }
std::string TinfoDir::GetDesktopFolder() { return RegistryFolder(kDesktop); }
std::string TinfoDir::GetFavoritesFolder() { return RegistryFolder(kFavorites); }
std::string TinfoDir::GetFontsFolder() { return RegistryFolder(kFonts); }
std::string TinfoDir::GetLocalSettingsFolder() { return RegistryFolder(kLocalSettings); }
std::string TinfoDir::GetPersonalFolder() { return RegistryFolder(kPersonal); }
std::string TinfoDir::GetProgramsFolder() { return RegistryFolder(kPrograms); }
std::string TinfoDir::GetRecentFolder() { return RegistryFolder(kRecent); }
std::string TinfoDir::GetSendToFolder() { return RegistryFolder(kSendTo); }
std::string TinfoDir::GetStartMenuFolder() { return RegistryFolder(kStartMenu); }
std::string TinfoDir::GetStartupFolder() { return RegistryFolder(kStartup); }
std::string TinfoDir::GetTemplatesFolder() { return RegistryFolder(kTemplates); }
std::string TinfoDir::GetProgramFilesX86Folder() { return RegistryFolder(kProgramFilesX86); }
std::string TinfoDir::GetCommonFilesX86Folder() { return RegistryFolder(kCommonFilesX86); }

std::string TinfoDir::ExpandVariables(const std::string& path) {
    // Every folder is fetched whether or not its variable occurs, so the first
    // call reads (and caches) all of these sources.
    const std::pair<const char*, std::string> steps[] = {
        {"file://", ""},
        {"%appdata%", GetAppDataFolder()},
        {"%win%", GetWindowsFolder()},
        {"%windir%", GetWindowsFolder()},
        {"%username%", GetCurrentUserName()},
        {"%ALLUSERSPROFILE%", ParentFolder(GetStartMenuFolder())},
        {"%USERPROFILE%", GetHomePath()},
        {"%progfiles%", GetProgramFilesFolder()},
        {"%programfiles%", GetProgramFilesFolder()},
        {"@%SystemRoot%", GetSystemRoot()},
        {"%systemroot%", GetSystemRoot()},
        {"%homepath%", GetHomePath()},
        {"%homedrive%", GetHomeDrive()},
        {"%system%", GetSystemFolder()},
        {"%system32%", GetSystemFolder()},
        {"\"", ""},
    };
    std::string result = path;
    for (const auto& [pattern, replacement] : steps) result = ReplaceAllIgnoreCase(result, pattern, replacement);
    return result;
}

std::string TinfoDir::GetSafeTempFolder() {
    const std::string fallbackTail = ":\\WINDOWS\\TEMP\\";
    std::string candidate = IncludeTrailingBackslash(ToShortPath(StripTrailingBackslash(ReadTempPath())));
    const std::string windowsText = IncludeTrailingBackslash(ToShortPath(GetWindowsFolder()));
    candidate = CanonicalFolder(candidate);

    char current[261] = {};
    CurrentPlatform().GetCurrentDirectoryA(260, current);
    const std::string currentText = IncludeTrailingBackslash(ToShortPath(current));

    char drive = 'C';
    const std::string windowsDrive = ExtractFileDrive(windowsText);
    if (!windowsDrive.empty()) {
        const char letter = UpperCaseAZ(windowsDrive.substr(0, 1))[0];
        if (letter >= 'C' && letter <= 'Z') drive = letter;
    }
    const std::string fallback = std::string(1, drive) + fallbackTail;

    if (UpperCaseAZ(candidate) == UpperCaseAZ(windowsText)) candidate += "TEMP\\";
    if (UpperCaseAZ(candidate) == UpperCaseAZ(currentText)) candidate = fallback;
    if (candidate.size() <= 4 || candidate.compare(1, 2, ":\\") != 0) candidate = fallback;
    if (candidate.find("..") != std::string::npos) candidate = fallback;
    if (!DirectoryExists(candidate)) ForceDirectories(candidate);
    candidate.pop_back();
    return candidate;
}

std::string StripTrailingBackslash(const std::string& text) {
    if (!text.empty() && text.back() == '\\') return text.substr(0, text.size() - 1);
    return text;
}

std::string ReadRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName) {
    Platform& p = CurrentPlatform();
    RegKey key;
    if (p.RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.receive(p)) != ERROR_SUCCESS) return {};
    DWORD type = 0;
    DWORD size = 0;
    if (p.RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    std::vector<BYTE> data(size + 1, 0);
    if (p.RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return {};
    // The text as stored, up to its terminator.
    return std::string(reinterpret_cast<const char*>(data.data()));
}

std::string ToShortPath(const std::string& folder) {
    std::string path = folder.empty() ? IncludeTrailingBackslash(InfoDir.GetProgramFolder()) : folder;
    try {
        if (!DirectoryExists(path) && !ForceDirectories(path)) return path;
        Platform& p = CurrentPlatform();
        const DWORD needed = p.GetShortPathNameA(path.c_str(), nullptr, 0);
        if (needed == 0) return path;
        std::vector<char> buffer(needed + 1, '\0');
        const DWORD length = p.GetShortPathNameA(path.c_str(), buffer.data(), needed);
        if (length == 0 || length >= buffer.size()) return path;
        return std::string(buffer.data(), length);
    } catch (const std::exception&) {
        return path;
    }
}

std::string CanonicalFolder(const std::string& folder) {
    if (!DirectoryExists(folder)) return {};
    Platform& p = CurrentPlatform();
    char remembered[261] = {};
    p.GetCurrentDirectoryA(260, remembered);
    if (!p.SetCurrentDirectoryA(folder.c_str()))
        throw std::runtime_error("I/O error " + std::to_string(p.GetLastError()));
    char inside[261] = {};
    p.GetCurrentDirectoryA(260, inside);
    if (!p.SetCurrentDirectoryA(remembered))
        throw std::runtime_error("I/O error " + std::to_string(p.GetLastError()));
    return IncludeTrailingBackslash(inside);
}

std::string ParentFolder(const std::string& path) { return StripTrailingBackslash(ExtractFilePath(path)); }

}  // namespace qm
