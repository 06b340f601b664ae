// The two registry views of 64-bit Windows: which keys the 32-bit view
// redirects into a Wow6432Node key and which it shares with the 64-bit
// view, as Windows 7 and later document them ("Registry Keys Affected by
// WOW64"). A key's sub-keys behave as the key does unless listed themselves.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm::sim {

// The names, below the stored root rootName ("HKEY_LOCAL_MACHINE",
// "HKEY_CURRENT_USER" ...; HKEY_CLASSES_ROOT already resolved into
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes), of the key that the 32-bit view
// reaches by the names given: the names themselves for a shared key, with
// "Wow6432Node" inserted for a redirected one. A path that already names the
// Wow6432Node key stays as it is.
std::vector<std::u16string> Wow32ViewNames(std::string_view rootName, const std::vector<std::u16string>& names);

}  // namespace qm::sim
