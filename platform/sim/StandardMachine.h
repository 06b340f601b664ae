// A freshly installed Windows, as a starting point for tests, the demo and
// machines described by a folder: the Windows, system, temporary, program and
// profile folders, the registry values that name them, and the environment
// (PATH among them). Windows XP by default; with settings from
// MakeWindows7x64, a 64-bit Windows 7 with the 32-bit system folder, Program
// Files (x86) and both registry views' values.
#pragma once

#include "platform/sim/SimPlatform.h"

namespace qm::sim {

// Builds the machine's folders, keys and variables from its settings (the
// Windows folder, the user name ...). Existing files and values are kept.
void InstallStandardMachine(SimPlatform& machine);

// Starts the processes every Windows runs (session manager, logon, services,
// svchost, the shell), those Windows marks critical with their flag.
void StartSystemProcesses(SimPlatform& machine);

}  // namespace qm::sim
