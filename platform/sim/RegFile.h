// Registry files (.reg) as regedit reads and writes them, for loading a
// simulated machine's registry and for looking at it afterwards.
//
//   REGEDIT4                                  ANSI text in the system code page
//   Windows Registry Editor Version 5.00      UTF-16LE with a byte-order mark
//                                             (as regedit writes it), or UTF-8/ANSI text
//
// followed by [key] and [-key] (delete the key with everything below it)
// lines and the value lines of the key above them:
//   "name"="text"  @="default"  "name"=dword:0000abcd  "name"=hex:01,02
//   "name"=hex(2):..  hex(7):..  hex(N):.. for any type  "name"=-  (delete the value)
// Strings escape \\ and \"; a trailing backslash continues a line on the
// next; blank lines and lines starting with ';' are skipped. The string data
// of hex(1), hex(2) and hex(7) is UTF-16LE in Version 5 files and ANSI in
// REGEDIT4 files; the registry stores it in UTF-16 either way.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/sim/RegistryStore.h"

namespace qm::sim {

enum class RegFileFormat { Regedit4, Version5 };

struct RegFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};  // message "line N: what is wrong"

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
