// The parser of script sources, with the places of what it parsed so that
// faults found later (when the container is laid out) point into the source.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/script/ScriptModel.h"

namespace qm::script {

struct SourcePlace {
    int line = 1;
    int column = 1;
};

struct ParsedScript {
    Container container;
    std::vector<SourcePlace> itemPlaces;  // one per body item: its statement's first word
    SourcePlace layoutPlace;              // the statement that shaped the file's layout most
    std::vector<std::filesystem::path> filesRead;  // the module file, when the source names one
};

// Throws SourceError (ModuleFileError for a module file that cannot be read).
ParsedScript ParseSource(std::string_view source, const std::string& fileName, const std::filesystem::path& baseDir);

}  // namespace qm::script
