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
// text). Throws RegFileError ("line N: ...") and applies nothing when the
// text is malformed or asks for a key or value beyond Windows' limits.
void ImportRegFile(RegistryStore& store, std::string_view bytes);

// The whole registry as a .reg file (Version5: UTF-16LE with BOM). Keys come
// depth first, sub-keys in enumeration order, values in the order they were
// set. HKEY_CLASSES_ROOT appears inside HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
// Both formats hold everything exactly: what a REGEDIT4 line cannot hold
// (text outside the code page, string data of odd size) goes into the
// exact form above the line regedit reads (regfile/RegFileText.h).
std::string ExportRegFile(const RegistryStore& store, RegFileFormat format);

}  // namespace qm::sim
