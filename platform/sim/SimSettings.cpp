// Settings of machines other than the default Windows XP.
#include "platform/sim/SimSettings.h"

namespace qm::sim {

void MakeWindows7x64(SimSettings& settings, int programBits) {
    settings.machineBits = 64;
    settings.programBits = programBits;
    settings.majorVersion = 6;
    settings.minorVersion = 1;
    settings.buildNumber = 7601;
    settings.platformId = VER_PLATFORM_WIN32_NT;
    settings.windowsDirectory = "C:\\Windows";
    settings.systemDirectory = "C:\\Windows\\system32";
    settings.systemWow64Directory = "C:\\Windows\\SysWOW64";
    settings.tempPath = "C:\\Users\\" + settings.userName + "\\AppData\\Local\\Temp\\";
    settings.programPath =
        programBits == 64 ? "C:\\Program Files\\Quellmar\\Quellmar64.exe" : "C:\\Program Files (x86)\\Quellmar\\Quellmar.exe";
}

}  // namespace qm::sim
