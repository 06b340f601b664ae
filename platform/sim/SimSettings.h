// The plain facts of a simulated machine: its folders, user, Windows family,
// environment, clock and the answers it gives in place of a user.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/WinTypes.h"

namespace qm::sim {

struct SimSettings {
    std::string windowsDirectory = "C:\\WINDOWS";
    std::string systemDirectory = "C:\\WINDOWS\\system32";
    std::string tempPath = "C:\\WINDOWS\\Temp\\";  // as GetTempPathA gives it
    std::string programPath = "C:\\Program Files\\Quellmar\\Quellmar.exe";
    std::string userName = "User";

    // Windows family and version, as GetVersionExA reports them.
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD majorVersion = 5;
    DWORD minorVersion = 1;
    DWORD buildNumber = 2600;

    bool toolhelpAvailable = true;  // CreateToolhelp32Snapshot exported by kernel32
    bool psapiAvailable = true;     // PSAPI.dll can be loaded

    // Environment variables in the order they were set; names compare
    // without regard to case.
    std::vector<std::pair<std::string, std::string>> environment;

    // The clock stands still unless Sleep or a test moves it, so names made
    // from the time are predictable.
    SYSTEMTIME localTime{2005, 3, 1, 7, 9, 5, 2, 45};
    int utcBiasMinutes = 0;  // local time minus UTC

    int messageBoxAnswer = IDOK;  // what the user "clicks" in every message box
};

}  // namespace qm::sim
