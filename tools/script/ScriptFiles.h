// Reading and writing the files of quellmar-script. An output replaces only
// a regular file, never a link, a folder or a device, and never one of the
// command's inputs. Writes go to a file in a fresh temporary folder beside
// the target that is renamed over the target only when complete, so a
// failure never leaves a partial or stale-looking output.
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

// Throws FileError, also for a folder.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// Throws FileError unless `path` may be written as an output: nothing is
// there yet, or a regular file that is none of `inputs` (compared as files,
// so another name of an input is caught too).
void CheckOutputTarget(const std::filesystem::path& path, std::span<const std::filesystem::path> inputs);

// Throws FileError; refuses a target that is there and not a regular file.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace qm::script
