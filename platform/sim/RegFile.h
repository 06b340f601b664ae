// Registry files (.reg) as regedit reads and writes them (regfile/RegFileText.h
// says what they hold), for loading a simulated machine's registry and for
// looking at it afterwards.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/sim/RegistryStore.h"
#include "regfile/RegFileText.h"

namespace qm::sim {

using regfile::RegFileError;
using regfile::RegFileFormat;

// Applies a .reg file to the registry: "REGEDIT4" (ANSI) or "Windows Registry
// Editor Version 5.00" (UTF-16LE with BOM as regedit writes it, or UTF-8/ANSI
// text). Throws RegFileError and applies nothing when the text is malformed.
void ImportRegFile(RegistryStore& store, std::string_view bytes);

// The whole registry as a .reg file (Version5: UTF-16LE with BOM). Keys come
// depth first, sub-keys in enumeration order, values in the order they were
// set. HKEY_CLASSES_ROOT appears inside HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
// A Version 5 file holds everything exactly; a REGEDIT4 file holds string
// data in the code page, so text the code page cannot write (and an odd last
// byte of string data) is lost, as with regedit.
std::string ExportRegFile(const RegistryStore& store, RegFileFormat format);

}  // namespace qm::sim
