// The compiler of removal-script sources (".qms" text, described in
// docs/script-format.md) into removal scripts (".malware" bytes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tools/script/ScriptModel.h"

namespace qm::script {

// A fault in a source, with the place where it was found (line and column
// counted from 1; columns count bytes). what() is "file:line:column: message".
struct SourceError : std::runtime_error {
    SourceError(std::string fileName, int lineNumber, int columnNumber, const std::string& text);
    std::string file;
    int line;
    int column;
    std::string message;  // the text without the place
};

// A module file named in the source that cannot be read (missing, a folder,
// a read error): a fault of the files beside the source, not of its text.
struct ModuleFileError : SourceError {
    using SourceError::SourceError;
};

// Parses a source into its container. Module files named in the source are
// read relative to baseDir. Throws SourceError.
Container ParseScript(std::string_view source, const std::string& fileName,
                      const std::filesystem::path& baseDir = {});

// Parses and writes a source: the bytes of the removal script. Throws
// SourceError, also for a container that cannot be laid out.
std::vector<std::uint8_t> CompileScript(std::string_view source, const std::string& fileName,
                                        const std::filesystem::path& baseDir = {});

struct CompiledSource {
    std::vector<std::uint8_t> script;
    std::vector<std::filesystem::path> filesRead;  // besides the source: its module file
};

// CompileScript, also saying which files it read, so that the output does
// not replace one of them.
CompiledSource CompileSource(std::string_view source, const std::string& fileName,
                             const std::filesystem::path& baseDir = {});

}  // namespace qm::script
