// The commands of quellmar-script: compile, dump, --help.
#include "tools/script/ScriptCli.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "tools/script/ScriptCompiler.h"
#include "tools/script/ScriptDump.h"
#include "tools/script/ScriptFiles.h"

namespace qm::script {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHelp =
    "Usage:\n"
    "  quellmar-script compile SOURCE.qms [-o SCRIPT.malware]\n"
    "  quellmar-script dump SCRIPT.malware [-o SOURCE.qms]\n"
    "  quellmar-script --help\n"
    "\n"
    "compile  Turns a script source into a removal script. Without -o the script\n"
    "         is written beside the source, with the extension .malware. Module\n"
    "         files named in the source are read relative to the source's folder.\n"
    "dump     Turns any file into a source that compiles back to exactly the same\n"
    "         bytes. Without -o the source goes to standard output. An embedded\n"
    "         module is written beside the source as NAME.dll, NAME being the\n"
    "         source's name without extension (without -o: the script's name, in\n"
    "         the current folder).\n"
    "\n"
    "A fault in a source is reported on standard error as \"file:line:column: what\".\n"
    "Outputs are written under a temporary name and renamed when complete, so a\n"
    "failed command leaves no output file behind. An output replaces only a\n"
    "regular file that is not an input: never a folder, a link or a device.\n"
    "The source format is described in docs/script-format.md.\n"
    "\n"
    "Exit codes:\n"
    "  0  done\n"
    "  1  the source has a fault (compile)\n"
    "  2  wrong command line\n"
    "  3  a file could not be read or written (the input, a module, an output),\n"
    "     or an output was refused\n";

struct CommandLine {
    std::string command;
    std::string input;
    std::optional<std::string> output;
};

// Returns nothing after reporting a usage fault.
std::optional<CommandLine> ParseArguments(std::span<const std::string> args, std::ostream& err) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-o") {
            if (i + 1 == args.size() || line.output) {
                err << "quellmar-script: -o needs one output file name\n";
                return std::nullopt;
            }
            line.output = args[++i];
        } else if (line.command.empty()) {
            line.command = arg;
        } else if (line.input.empty() && !(arg.size() > 1 && arg[0] == '-')) {
            line.input = arg;
        } else {
            err << "quellmar-script: unexpected argument '" << arg << "'\n";
            return std::nullopt;
        }
    }
    if (line.command != "compile" && line.command != "dump") {
        if (line.command.empty())
            err << "quellmar-script: no command given\n";
        else
            err << "quellmar-script: unknown command '" << line.command << "'\n";
        return std::nullopt;
    }
    if (line.input.empty()) {
        err << "quellmar-script: " << line.command << " needs an input file\n";
        return std::nullopt;
    }
    return line;
}

std::span<const std::uint8_t> AsBytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

int Compile(const CommandLine& line, std::ostream& err) {
    const fs::path input(line.input);
    const fs::path output = line.output ? fs::path(*line.output) : fs::path(input).replace_extension(".malware");
    try {
        const std::vector<std::uint8_t> source = ReadWholeFile(input);
        const CompiledSource compiled = CompileSource(
            std::string_view(reinterpret_cast<const char*>(source.data()), source.size()), line.input,
            input.parent_path());
        std::vector<fs::path> inputs = compiled.filesRead;
        inputs.push_back(input);
        CheckOutputTarget(output, inputs);
        WriteFileAtomically(output, compiled.script);
    } catch (const ModuleFileError& e) {
        err << e.what() << "\n";
        return kExitIoError;
    } catch (const SourceError& e) {
        err << e.what() << "\n";
        return kExitSourceError;
    } catch (const FileError& e) {
        err << "quellmar-script: " << e.what() << "\n";
        return kExitIoError;
    }
    return kExitOk;
}

int Dump(const CommandLine& line, std::ostream& out, std::ostream& err) {
    const fs::path input(line.input);
    const fs::path folder = line.output ? fs::path(*line.output).parent_path() : fs::path();
    const std::string baseName = (line.output ? fs::path(*line.output) : input).stem().string();
    std::vector<fs::path> written;
    try {
        const DumpResult dump = DumpScript(ReadWholeFile(input), baseName);
        // Every output is checked before the first is written: a refused one
        // leaves nothing behind.
        std::vector<fs::path> targets;
        for (const auto& [name, bytes] : dump.sideFiles) targets.push_back(folder / name);
        if (line.output) targets.emplace_back(*line.output);
        const std::vector<fs::path> inputs{input};
        for (std::size_t i = 0; i < targets.size(); ++i) {
            CheckOutputTarget(targets[i], inputs);
            for (std::size_t j = 0; j < i; ++j) {
                if (targets[j].lexically_normal() == targets[i].lexically_normal())
                    throw FileError("will not write '" + targets[i].string() +
                                    "' twice: the source and its module would share it");
            }
        }
        for (std::size_t i = 0; i < dump.sideFiles.size(); ++i) {
            WriteFileAtomically(targets[i], dump.sideFiles[i].second);
            written.push_back(targets[i]);
            if (!line.output) err << "quellmar-script: wrote " << targets[i].string() << "\n";
        }
        if (line.output)
            WriteFileAtomically(*line.output, AsBytes(dump.source));
        else
            out << dump.source;
    } catch (const FileError& e) {
        // The side files belong to the source; without it they go too.
        for (const fs::path& path : written) {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
        err << "quellmar-script: " << e.what() << "\n";
        return kExitIoError;
    }
    return kExitOk;
}

}  // namespace

int RunScriptTool(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") {
            out << kHelp;
            return kExitOk;
        }
    const auto line = ParseArguments(args, err);
    if (!line) {
        err << "Run 'quellmar-script --help' for the usage.\n";
        return kExitUsage;
    }
    return line->command == "compile" ? Compile(*line, err) : Dump(*line, out, err);
}

}  // namespace qm::script
