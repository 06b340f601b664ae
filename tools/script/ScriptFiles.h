// Reading and writing the files of quellmar-script. Writes go to a
// temporary file in the same folder that is renamed over the target only
// when complete, so a failure never leaves a partial or stale-looking output.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <vector>

namespace qm::script {

struct FileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws FileError.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);
void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace qm::script
