// The plain facts of a simulated machine: its folders, user, Windows family,
// environment, clock and the answers it gives in place of a user.
#pragma once

#include <functional>
#include <optional>
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
    std::string computerName = "SIMULATED-PC";

    // Windows family and version, as GetVersionExA reports them.
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD majorVersion = 5;
    DWORD minorVersion = 1;
    DWORD buildNumber = 2600;

    bool toolhelpAvailable = true;  // CreateToolhelp32Snapshot exported by kernel32
    bool psapiAvailable = true;     // PSAPI.dll can be loaded

    // 64: a 64-bit Windows, with both registry views, a 32-bit system folder
    // and 32-bit and 64-bit programs. The running program's own bitness: 32
    // on a 64-bit machine means it runs under WOW64 (its registry calls see
    // the 32-bit view unless they ask for the other).
    int machineBits = 32;
    int programBits = 32;
    std::string systemWow64Directory;  // GetSystemWow64DirectoryA on a 64-bit machine
    std::string commandLine;           // GetCommandLineA; empty: the program's path in quotes
    DWORD programProcessId = 0x6F4;    // GetCurrentProcessId

    // The files Windows File Protection guards (full paths, any case).
    std::vector<std::string> protectedFiles;

    // What a program started with CreateProcessA does, given its image path
    // and command line: the exit code when it runs to its end at once, or
    // nothing to leave it running (until TerminateProcess). Unset, every
    // program keeps running. The machine's regsvr32 programs are simulated
    // apart from this.
    std::function<std::optional<DWORD>(const std::string& image, const std::string& commandLine)> runProgram;

    // Environment variables in the order they were set; names compare
    // without regard to case.
    std::vector<std::pair<std::string, std::string>> environment;

    // The clock stands still unless Sleep or a test moves it, so names made
    // from the time are predictable.
    SYSTEMTIME localTime{2005, 3, 1, 7, 9, 5, 2, 45};
    int utcBiasMinutes = 0;  // local time minus UTC

    int messageBoxAnswer = IDOK;  // what the user "clicks" in every message box
};

// A 64-bit Windows 7 with its folders, running a 64-bit program; the program
// is a 32-bit one (under WOW64) when programBits is 32.
void MakeWindows7x64(SimSettings& settings, int programBits = 64);

}  // namespace qm::sim
