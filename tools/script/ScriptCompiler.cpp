// Compiling a source: parse it, lay the container out, and point any fault
// of the layout back at the statement that caused it.
#include "tools/script/ScriptCompiler.h"

#include "tools/script/ScriptParser.h"
#include "tools/script/ScriptWriter.h"

namespace qm::script {

SourceError::SourceError(std::string fileName, int lineNumber, int columnNumber, const std::string& text)
    : std::runtime_error(fileName + ":" + std::to_string(lineNumber) + ":" + std::to_string(columnNumber) + ": " +
                         text),
      file(std::move(fileName)),
      line(lineNumber),
      column(columnNumber),
      message(text) {}

Container ParseScript(std::string_view source, const std::string& fileName, const std::filesystem::path& baseDir) {
    return ParseSource(source, fileName, baseDir).container;
}

std::vector<std::uint8_t> CompileScript(std::string_view source, const std::string& fileName,
                                        const std::filesystem::path& baseDir) {
    return CompileSource(source, fileName, baseDir).script;
}

CompiledSource CompileSource(std::string_view source, const std::string& fileName,
                             const std::filesystem::path& baseDir) {
    const ParsedScript parsed = ParseSource(source, fileName, baseDir);
    try {
        return {WriteContainer(parsed.container), parsed.filesRead};
    } catch (const LayoutError& e) {
        const SourcePlace place =
            e.item < parsed.itemPlaces.size() ? parsed.itemPlaces[e.item] : parsed.layoutPlace;
        throw SourceError(fileName, place.line, place.column, e.what());
    }
}

}  // namespace qm::script
