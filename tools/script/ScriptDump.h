// The decompiler: any byte sequence becomes a source that compiles back to
// exactly the same bytes. A well-formed script reads naturally (named
// statements, texts in quotes); what the layout does not explain is kept in
// raw forms.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "tools/script/ScriptModel.h"

namespace qm::script {

struct DumpResult {
    std::string source;
    // Files the source names, to be written beside it: the module, as
    // baseName + ".dll".
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> sideFiles;
};

DumpResult DumpScript(std::span<const std::uint8_t> bytes, const std::string& baseName);

// The source of a container whose module (if any) is in the file moduleName.
std::string FormatContainer(const Container& container, const std::string& moduleName);

}  // namespace qm::script
