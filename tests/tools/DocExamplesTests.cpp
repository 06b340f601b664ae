// The guides' script examples, taken from the markdown files as they stand:
// every block marked ```qms compiles, and the first example of
// docs/script-format.md removes CoolPest from a simulated machine that holds
// it, on 32-bit Windows XP and on 64-bit Windows 7.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/sim/MachineFolder.h"
#include "tests/support/UseMachine.h"
#include "tests/tools/ScriptTestSupport.h"
#include "tools/cli/CliRun.h"
#include "tools/script/ScriptCompiler.h"

namespace qm {
class TReadSpecialFile;
}

namespace qm::script::test {
namespace {

namespace fs = std::filesystem;

fs::path DocsFolder() { return fs::path(__FILE__).parent_path().parent_path().parent_path() / "docs"; }

struct CodeBlock {
    std::string file;
    int line = 0;  // of the opening fence
    std::string language;
    std::string text;
};

// The fenced blocks of a markdown file.
std::vector<CodeBlock> FencedBlocks(const fs::path& markdown) {
    std::vector<CodeBlock> blocks;
    std::istringstream lines(ReadText(markdown));
    std::string line;
    int number = 0;
    bool inside = false;
    while (std::getline(lines, line)) {
        ++number;
        const std::size_t start = line.find_first_not_of(' ');
        const bool fence = start != std::string::npos && start < 4 && line.compare(start, 3, "```") == 0;
        if (!inside && fence) {
            std::string language = line.substr(start + 3);
            language.erase(0, language.find_first_not_of(" \t"));
            language.erase(language.find_last_not_of(" \t\r") + 1);
            blocks.push_back({markdown.filename().string(), number, language, ""});
            inside = true;
        } else if (inside && fence) {
            inside = false;
        } else if (inside) {
            blocks.back().text += line + "\n";
        }
    }
    EXPECT_FALSE(inside) << markdown << ": a code block is not closed";
    return blocks;
}

std::vector<CodeBlock> ScriptExamples(const fs::path& markdown) {
    std::vector<CodeBlock> examples;
    for (CodeBlock& block : FencedBlocks(markdown))
        if (block.language == "qms") examples.push_back(std::move(block));
    return examples;
}

// Compiles an example in `folder`, with the module files it names there: a
// simulated module that the machines know.
Bytes CompileExample(const CodeBlock& example, const fs::path& folder) {
    static const std::regex kModuleFile(R"re((^|\s)module\s+(["'])([^"']+)\2)re");
    for (std::sregex_iterator m(example.text.begin(), example.text.end(), kModuleFile), end; m != end; ++m)
        WriteText(folder / (*m)[3].str(), "QMSIMDLL:cleaner\n");
    return CompileScript(example.text, example.file + ":" + std::to_string(example.line), folder);
}

TEST(DocExamples, EveryScriptExampleCompiles) {
    std::vector<fs::path> guides;
    for (const auto& entry : fs::directory_iterator(DocsFolder()))
        if (entry.path().extension() == ".md") guides.push_back(entry.path());
    ASSERT_FALSE(guides.empty()) << DocsFolder();
    for (const fs::path& guide : guides) {
        for (const CodeBlock& block : FencedBlocks(guide)) {
            const std::string place = block.file + ":" + std::to_string(block.line);
            // A block that does not say what it is could be a script that no
            // test compiles.
            EXPECT_FALSE(block.language.empty()) << place << ": mark the block (```qms for scripts, ```text ...)";
            if (block.language != "qms") continue;
            TempFolder folder;
            try {
                const Bytes script = CompileExample(block, folder.path());
                EXPECT_FALSE(script.empty()) << place;
            } catch (const SourceError& e) {
                ADD_FAILURE() << place << ": " << e.what() << "\n" << block.text;
            }
        }
    }
    EXPECT_FALSE(ScriptExamples(DocsFolder() / "script-format.md").empty());
}

// The embedded module's entry point, as the simulated machine runs it.
int cleanCalls = 0;
void QM_STDCALL Clean(TReadSpecialFile**) { ++cleanCalls; }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// What CoolPest leaves on a machine, as the first example describes it.
void InfectMachineFolder(const fs::path& pc, const std::string& settings) {
    fs::create_directories(pc);
    WriteText(pc / "machine.ini", "[Machine]\n" + settings + "Standard=yes\n");
    WriteText(pc / "registry.reg",
              "REGEDIT4\n\n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
              "\"coolpest\"=\"C:\\\\Program Files\\\\CoolPest\\\\coolpest.exe\"\n"
              "\"Keep\"=\"C:\\\\keep.exe\"\n\n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main]\n"
              "\"Start Page\"=\"http://coolpest.example/\"\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\CoolPest]\n"
              "\"Campaign\"=dword:00000007\n\n"
              "[HKEY_LOCAL_MACHINE\\Software\\CoolPest\\Settings]\n"
              "\"Home\"=\"http://coolpest.example/\"\n");
    WriteText(pc / "processes.txt", "C:\\Program Files\\CoolPest\\coolpest.exe\n");
    fs::create_directories(pc / "drive_c" / "WINDOWS" / "system32");
    fs::create_directories(pc / "drive_c" / "Program Files" / "CoolPest");
    WriteText(pc / "drive_c" / "WINDOWS" / "system32" / "coolpest.dll", "QMSIMDLL:selfreg\n");
    WriteText(pc / "drive_c" / "Program Files" / "CoolPest" / "coolpest.exe", "MZ CoolPest");
    WriteText(pc / "drive_c" / "WINDOWS" / "system.ini",
              "[boot]\r\nshell=explorer.exe coolpest.exe\r\nsystem.drv=system.drv\r\n");
}

class FirstExample : public ::testing::TestWithParam<const char*> {};

TEST_P(FirstExample, RemovesAllThatItDescribes) {
    const std::vector<CodeBlock> examples = ScriptExamples(DocsFolder() / "script-format.md");
    ASSERT_FALSE(examples.empty());
    TempFolder folder;
    const Bytes script = CompileExample(examples.front(), folder.path());
    const fs::path pc = folder.path() / "pc";
    InfectMachineFolder(pc, GetParam());

    auto machine = sim::OpenMachineFolder(pc);
    machine->modules().Define("cleaner").Export("Clean", &Clean);
    const qm::test::UseMachine use(*machine);
    const HANDLE file = machine->CreateFileA("C:\\first.malware", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
    DWORD written = 0;
    machine->WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    machine->CloseHandle(file);

    std::string output;
    const auto run = [&](bool scanOnly) {
        cli::CliOptions options;
        options.script = "C:\\first.malware";
        options.scanOnly = scanOnly;
        std::istringstream in;
        std::ostringstream out;
        const int code = cli::RunCli(options, in, out, [&] {
            std::vector<std::string> texts;
            for (const auto& box : machine->messageBoxes()) texts.push_back(box.text);
            return texts;
        });
        output = out.str();
        return code;
    };

    EXPECT_EQ(run(true), cli::kFoundScanOnly) << output;
    for (const char* found : {"coolpest.dll", "coolpest.exe", "Start Page", "CoolPest", "system.ini"})
        EXPECT_NE(output.find(found), std::string::npos) << found << " not found:\n" << output;
    cleanCalls = 0;
    EXPECT_EQ(run(false), cli::kCleaned) << output;
    EXPECT_GT(cleanCalls, 0) << "the module's entry point was not called";
    EXPECT_EQ(run(true), cli::kNothingFound) << output;

    // What is left: no file, registry entry or program of CoolPest; the
    // start page and the shell restored; the rest untouched.
    sim::SaveMachineFolder(*machine, pc);
    for (const auto& entry : fs::recursive_directory_iterator(pc / "drive_c")) {
        if (!entry.is_regular_file()) continue;
        EXPECT_EQ(Lower(entry.path().filename().string()).find("coolpest"), std::string::npos) << entry.path();
    }
    const std::string registry = ReadText(pc / "registry.reg");
    EXPECT_EQ(Lower(registry).find("coolpest"), std::string::npos) << registry;
    EXPECT_NE(registry.find("\"Start Page\"=\"about:blank\""), std::string::npos) << registry;
    EXPECT_NE(registry.find("\"Keep\"=\"C:\\\\keep.exe\""), std::string::npos) << registry;
    EXPECT_EQ(Lower(ReadText(pc / "processes.txt")).find("coolpest"), std::string::npos);
    const std::string ini = ReadText(pc / "drive_c" / "WINDOWS" / "system.ini");
    EXPECT_NE(ini.find("shell=explorer.exe\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("system.drv=system.drv"), std::string::npos) << ini;
}

INSTANTIATE_TEST_SUITE_P(DocExamples, FirstExample, ::testing::Values("", "Windows=7 x64\n"),
                         [](const ::testing::TestParamInfo<const char*>& machine) {
                             return std::string(machine.param).empty() ? "WindowsXp" : "Windows7x64";
                         });

}  // namespace
}  // namespace qm::script::test
