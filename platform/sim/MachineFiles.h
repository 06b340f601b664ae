// The files of a machine folder (registry.reg, processes.txt ...) on the
// host: read and written without ever following a symbolic link out of the
// folder, and written atomically, so a failed write leaves the old file.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::sim {

// What is wrong with a machine folder: the message names the file, line or link.
struct MachineFolderError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Where the folder's entry of that name is on the host: itself, or where a
// symbolic link inside the folder leads. A link that leads out of the folder
// throws MachineFolderError naming the link.
std::filesystem::path InsideFolder(const std::filesystem::path& folder, const std::string& name);

// The file's bytes; nothing when it does not exist.
std::optional<std::string> ReadFolderFile(const std::filesystem::path& folder, const std::string& name);

// Writes the bytes to a temporary file beside the file, then renames it over
// the file: the file is either the old one or the new one, never part of
// either. Keeps the file's permissions. Throws MachineFolderError.
void WriteFolderFile(const std::filesystem::path& folder, const std::string& name, std::string_view bytes);
// The same for several files (name, bytes): all are written to temporary
// files before the first is renamed, so a failure while writing leaves
// every old file as it was.
void WriteFolderFiles(const std::filesystem::path& folder,
                      const std::vector<std::pair<std::string, std::string>>& files);

}  // namespace qm::sim
