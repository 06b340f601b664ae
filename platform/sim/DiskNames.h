// Names on the host side of the simulated disk. The program speaks ANSI
// (Windows-1252); the host folders hold UTF-8 names, as a Wine prefix does,
// so a machine prepared by hand on Linux ("Menu Démarrer") reads as it would
// on Windows.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qm::sim {

// The host spelling of an ANSI name.
std::string HostName(std::string_view ansiName);
// The host path of the entry of folder called ansiName: its UTF-8 spelling,
// or the bytes as they are when only such an entry exists.
std::filesystem::path HostChild(const std::filesystem::path& folder, std::string_view ansiName);
// The ANSI spelling of a host name. A host name that is not UTF-8 is taken
// byte for byte; characters 1252 cannot hold become "?", as the ANSI
// functions of Windows give them.
std::string AnsiName(std::string_view hostName);

}  // namespace qm::sim
