// Where the system's special folders lie on this machine, read once and
// cached, and the path variables that removal scripts use ("%windir%",
// "%system32%", "%appdata%" ...) turned into real paths.
//
// One global instance, InfoDir, serves the whole program. Folder texts never
// end with a backslash.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace qm {

class TinfoDir {
public:
    TinfoDir() { ClearCache(); }
    // Forgets every cached folder, so the next getter reads its source again.
    // Happens by itself when another platform is installed.
    void ClearCache();

    std::string GetWindowsFolder();
    std::string GetSystemFolder();
    std::string GetTempFolder();
    std::string GetProgramFolder();
    std::string GetCurrentUserName();
    std::string GetSystemRoot();
    std::string GetProgramFilesFolder();
    std::string GetCommonFilesFolder();
    std::string GetHomePath();
    std::string GetHomeDrive();
    std::string GetAppDataFolder();
    std::string GetCookiesFolder();
    std::string GetDesktopFolder();
    std::string GetFavoritesFolder();
    std::string GetFontsFolder();
    std::string GetLocalSettingsFolder();
    std::string GetPersonalFolder();
    std::string GetProgramsFolder();
    std::string GetRecentFolder();
    std::string GetSendToFolder();
    std::string GetStartMenuFolder();
    std::string GetStartupFolder();
    std::string GetTemplatesFolder();
    // The 32-bit twins of the system, Program Files and Common Files folders
    // on 64-bit Windows (SysWOW64, Program Files (x86), Common Files (x86));
    // empty elsewhere. No path variable names them.
    std::string GetSystemWow64Folder();
    std::string GetProgramFilesX86Folder();
    std::string GetCommonFilesX86Folder();

    // A temporary folder that exists, in short (8.3) form, without trailing
    // backslash. Worked out afresh on every call (may create folders).
    std::string GetSafeTempFolder();
    // The path with its variables replaced.
    std::string ExpandVariables(const std::string& path);

private:
    enum Source : int;
    struct Cached {
        bool read = false;
        std::string text;
    };
    template <typename Reader>
    std::string Get(int source, Reader&& readSource);
    // A folder that Windows keeps in the registry, read from its source.
    std::string RegistryFolder(int source);

    std::array<Cached, 26> cache_;
    std::uint64_t platformGeneration_ = 0;  // the platform the cache was read from
};

extern TinfoDir InfoDir;

// Unit functions of the location resolver.
std::string StripTrailingBackslash(const std::string& text);
// A string value (REG_SZ or REG_EXPAND_SZ, not expanded) of a key opened for
// reading only; empty text for anything else.
std::string ReadRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName);
std::string ToShortPath(const std::string& folder);
std::string CanonicalFolder(const std::string& folder);
std::string ParentFolder(const std::string& path);

}  // namespace qm
