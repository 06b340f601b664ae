// Registry keys and values saved as .reg files, read through the registry
// functions, and such files applied again: what a backup keeps of the
// registry and what a restore puts back. The files are those regedit
// imports (REGEDIT4, or Version 5 when a name or a text is not plain ASCII),
// so a backup can also be read and restored by hand.
//
// A key of the 32-bit view of 64-bit Windows is written where Windows keeps
// it (below a Wow6432Node key), so every file names its keys as the 64-bit
// view sees them and is applied in that view.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WinTypes.h"

namespace qm {

// The kernel names of the root keys, read once for all the keys a backup
// saves (each read costs several registry calls).
class RegistryRoots {
public:
    const std::optional<std::u16string>& Identity(HKEY root);

private:
    std::map<HKEY, std::optional<std::u16string>> known_;
};

// The key at root\subKey (opened in `view`) with everything below it, as a
// .reg file; nothing when it cannot be read, with why in `error`.
std::optional<std::string> KeyTreeAsRegFile(HKEY root, const std::string& subKey, REGSAM view, RegistryRoots& roots,
                                            std::string& error);

// One value of the key at root\subKey (opened in `view`), as a .reg file of
// that key and value; nothing when the value cannot be read.
std::optional<std::string> ValueAsRegFile(HKEY root, const std::string& subKey, REGSAM view,
                                          const std::u16string& valueName, RegistryRoots& roots, std::string& error);

// Creates the keys and writes the values of a .reg file; `view` is the
// flag of the 64-bit view on 64-bit Windows (0 elsewhere). False with why.
bool ApplyRegFile(std::string_view bytes, REGSAM view, std::string& error);

// The name and the data of the value a ValueAsRegFile file holds.
struct SavedValue {
    std::u16string name;
    DWORD type = 0;
    std::string data;  // as the registry stores it
};
std::optional<SavedValue> ValueOfRegFile(std::string_view bytes);

// A value's name in UTF-16, from the code page (the registry's own
// conversion, as RegSetValueExA does it).
std::u16string WideValueName(const std::string& name);

}  // namespace qm
