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
//   faults.txt     optional: calls made to fail, one rule a line: the call,
//                  the path (* for any), the error (Faults.h, AddFaultRules)
//   drive_c\ ...   the C: drive; drive_d\ and so on for further drives
//
// A file whose content starts with "QMSIMDLL:selfreg" and a line break is a
// COM server whose DllRegisterServer and DllUnregisterServer succeed;
// "QMSIMDLL:selfreg32" the same as a 32-bit module, which a 64-bit program
// cannot load (the 32-bit regsvr32 registers it).
//
// What a run changes on the disk changes in the folder at once; the registry
// and the processes are written back by SaveMachineFolder. No symbolic link
// is followed out of the folder: not for its own files, nor on its drives
// (DiskStore.h).
#pragma once

#include <filesystem>
#include <memory>

#include "platform/sim/MachineFiles.h"
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

// Opens the machine in the folder (created when missing). Throws
// MachineFolderError for a malformed machine.ini, registry.reg,
// processes.txt or faults.txt (naming the line), and for a file or drive
// folder that is a symbolic link leading out of the folder (naming it).
std::unique_ptr<SimPlatform> OpenMachineFolder(const std::filesystem::path& folder);

// Writes back what the run changed, each file atomically and only when it
// changes: registry.reg line by line in its own format (RegFileUpdate.h; a
// Version 5 file when there was none), processes.txt (lines of programs
// that ended go, programs started are added) and next-start.txt: what the
// program left for the next start of Windows (programs started, moves and
// deletions scheduled with MoveFileExA). Throws MachineFolderError.
void SaveMachineFolder(SimPlatform& machine, const std::filesystem::path& folder);

}  // namespace qm::sim
