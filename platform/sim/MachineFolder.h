// A simulated machine described by a folder, so a user can build one from a
// real PC (its exported registry and files) and try scripts on it:
//
//   machine.ini    optional settings:
//                    [Machine]
//                    WindowsDirectory=C:\WINDOWS   SystemDirectory=C:\WINDOWS\system32
//                    TempPath=C:\WINDOWS\Temp\     ProgramPath=C:\Program Files\Quellmar\Quellmar.exe
//                    UserName=User   Family=NT (or 9x)   Psapi=yes   Toolhelp=yes
//                    Windows=7 x64  (a 64-bit Windows 7: both registry views,
//                                    SysWOW64, Program Files (x86); put it first,
//                                    the settings after it change its folders)
//                    ProgramBits=32 (the program runs under WOW64; 64 by default
//                                    on a 64-bit machine)
//                    Standard=yes  (add the folders, keys and variables of a fresh
//                                   Windows XP where the machine lacks them)
//                    [Environment]
//                    NAME=value ...
//   registry.reg   optional: the registry, as regedit exports it (either format)
//   processes.txt  optional: the running programs, one full Windows path a line;
//                  "(32-bit)" after the path marks a 32-bit program
//   drive_c\ ...   the C: drive; drive_d\ and so on for further drives
//
// A file whose content starts with "QMSIMDLL:selfreg" and a line break is a
// COM server whose DllRegisterServer and DllUnregisterServer succeed;
// "QMSIMDLL:selfreg32" the same as a 32-bit module, which a 64-bit program
// cannot load (the 32-bit regsvr32 registers it).
//
// What a run changes on the disk changes in the folder at once; the registry
// and the processes are written back by SaveMachineFolder.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "platform/sim/SimPlatform.h"

namespace qm::sim {

struct MachineFolderError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Opens the machine in the folder (created when missing). Throws
// MachineFolderError for a malformed machine.ini, registry.reg or processes.txt.
std::unique_ptr<SimPlatform> OpenMachineFolder(const std::filesystem::path& folder);

// Writes the registry and the running programs back into the folder, and
// next-start.txt: what the program left for the next start of Windows
// (programs started, deletions scheduled with MoveFileExA).
void SaveMachineFolder(SimPlatform& machine, const std::filesystem::path& folder);

}  // namespace qm::sim
