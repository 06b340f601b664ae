// The search folders, where bare file and folder names of a script are looked
// up, and the lookup itself.
#include "engine/Quarn_link.h"

#include <optional>
#include <vector>

#include "engine/WindowsFamily.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"

namespace qm {

namespace {

constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

// A string value (REG_SZ or REG_EXPAND_SZ, as stored) of an open key.
std::optional<std::string> ReadStringValue(const RegKey& key, const char* name) {
    Platform& p = CurrentPlatform();
    DWORD type = 0;
    DWORD size = 0;
    if (p.RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<BYTE> data(size + 1, 0);
    if (p.RegQueryValueExA(key.get(), name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(data.data()));
}

// The short (8.3) form of a path, into a zeroed buffer of 261 bytes; empty
// when the path cannot be converted.
std::string ShortForm(const std::string& path) {
    char buffer[261] = {};
    CurrentPlatform().GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return std::string(buffer);
}

}  // namespace

void TlinkObject::BuildSearchFolders() {
    AddSearchFolder(nullptr, "C:\\");
    AddSearchFolder(nullptr, InfoDir.GetWindowsFolder());
    AddSearchFolder(nullptr, ExtractFileDrive(InfoDir.GetWindowsFolder()));
    AddSearchFolder(nullptr, InfoDir.GetProgramFolder());
    AddSearchFolder(nullptr, InfoDir.GetSystemFolder());
    // On 64-bit Windows the 32-bit system folder too (it exists nowhere else).
    if (FBothHalves) AddSearchFolder(nullptr, InfoDir.GetSystemWow64Folder());
    AddSearchFolder(nullptr, InfoDir.GetAppDataFolder());
    AddSearchFolder(nullptr, InfoDir.GetProgramFilesFolder());
    AddSearchFolder(nullptr, InfoDir.GetSystemRoot());
    AddSearchFolder(nullptr, InfoDir.GetFontsFolder());
    AddSearchFolder(nullptr, InfoDir.GetDesktopFolder());
    AddSearchFolder(nullptr, InfoDir.GetCookiesFolder());
    AddSearchFolder(nullptr, InfoDir.GetFavoritesFolder());
    AddSearchFolder(nullptr, InfoDir.GetPersonalFolder());
    AddSearchFolder(nullptr, InfoDir.GetSendToFolder());
    AddSearchFolder(nullptr, InfoDir.GetStartMenuFolder());
    AddSearchFolder(nullptr, InfoDir.GetStartupFolder());
    AddSearchFolder(nullptr, InfoDir.GetProgramsFolder());
    AddSearchFolder(nullptr, InfoDir.GetLocalSettingsFolder());
    AddSearchFolder(nullptr, InfoDir.GetCommonFilesFolder());
    AddEnvironmentFolders("PATH");
    AddProcessFolders();
    AddAppPathFolders();
}

void TlinkObject::AddSearchFolder(TReadSpecialFile*, const std::string& Folder) {
    FSearchFolders->Add(StripTrailingBackslash(Folder));
}

void TlinkObject::AddEnvironmentFolders(const std::string& VariableName) {
    Platform& p = CurrentPlatform();
    char probe[1] = {};
    const DWORD size = p.GetEnvironmentVariableA(VariableName.c_str(), probe, 1) + 1;
    std::vector<char> buffer(size, '\0');
    const DWORD length = p.GetEnvironmentVariableA(VariableName.c_str(), buffer.data(), size);
    if (length == 0 || length >= size) return;
    // ";" becomes a carriage return, so it ends a line like one: two in a
    // row make an empty entry, a last one makes none, and one followed by a
    // line feed makes a single break.
    const std::string value(buffer.data(), length);
    std::string line;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == ';' || c == '\r' || c == '\n') {
            if (c != '\n' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
            FSearchFolders->Add(StripTrailingBackslash(line));
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) FSearchFolders->Add(StripTrailingBackslash(line));
}

void TlinkObject::AddProcessFolders() {
    Platform& p = CurrentPlatform();
    SnapshotHandle snapshot(p, p.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    const bool nt = IsWindowsNT();
    PROCESSENTRY32 entry;
    entry.dwSize = kProcessEntry32Size;
    for (BOOL more = p.Process32First(snapshot.get(), &entry); more; more = p.Process32Next(snapshot.get(), &entry)) {
        const std::string executable = nt ? GetProcessImageName(entry.th32ProcessID) : std::string(entry.szExeFile);
        const std::string folder = StripTrailingBackslash(ExtractFilePath(AnsiUpperCase(ShortForm(executable))));
        if (!folder.empty() && DirectoryExists(folder)) FSearchFolders->Add(folder);
    }
}

void TlinkObject::AddAppPathFolders() {
    Platform& p = CurrentPlatform();
    for (HKEY root : {HKCU, HKLM}) {
        std::vector<std::string> names;
        {
            RegKey key;
            if (p.RegOpenKeyExA(root, kAppPaths, 0, KEY_READ, key.receive(p)) != ERROR_SUCCESS) continue;
            DWORD count = 0;
            DWORD longest = 0;
            if (p.RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
                for (DWORD i = 0; i < count; ++i) {
                    std::vector<char> name(longest + 1, '\0');
                    DWORD nameSize = longest + 1;
                    if (p.RegEnumKeyExA(key.get(), i, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr) ==
                        ERROR_SUCCESS)
                        names.emplace_back(name.data(), nameSize);
                }
            }
        }
        for (const auto& name : names) {
            RegKey key;
            const std::string path = std::string(kAppPaths) + "\\" + name;
            if (p.RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.receive(p)) != ERROR_SUCCESS) continue;
            const auto program = ReadStringValue(key, "");
            if (!program) continue;
            const std::string first = StripTrailingBackslash(ExtractFilePath(*program));
            const std::string second = StripTrailingBackslash(ReadStringValue(key, "PATH").value_or(""));
            if (DirectoryExists(first)) FSearchFolders->Add(first);
            if (DirectoryExists(second)) FSearchFolders->Add(second);
        }
    }
}

std::string TlinkObject::ResolveFileName(const std::string& Name, bool IsFolder, std::uint16_t Operation) {
    if (Name.find(':') != std::string::npos || (!Name.empty() && Name[0] == '%')) return Name;
    std::string result;
    bool found = false;
    // The folders in sorted order; further matches are handled at once.
    const std::vector<std::string> folders(FSearchFolders->begin(), FSearchFolders->end());
    for (size_t i = 0; i < folders.size(); ++i) {
        try {
            const std::string candidate = folders[i] + "\\" + Name;
            if (IsFolder ? DirectoryExists(candidate) : FileExists(candidate)) {
                if (!found) {
                    result = candidate;
                } else if (IsFolder) {
                    if (Operation == kOpDelete) DeleteFolderItem(candidate);
                } else if (Operation == kOpDelete) {
                    EraseFileItem(candidate);
                } else if (Operation == kOpRegister) {
                    RegisterServer(candidate);
                } else if (Operation == kOpUnregister) {
                    UnregisterServer(candidate);
                }
                found = true;
            }
        } catch (const std::exception&) {
            CurrentPlatform().MessageBoxA(0, ("Error I=" + std::to_string(i)).c_str(), "Quellmar",
                                          MB_OK | MB_ICONEXCLAMATION);
        }
    }
    return result.empty() ? Name : result;
}

}  // namespace qm
