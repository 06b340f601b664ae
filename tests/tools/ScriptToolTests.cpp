// The command-line program: commands, exit codes, and no output left
// behind when a command fails.
#include <gtest/gtest.h>

#include "tests/tools/ScriptTestSupport.h"
#include "tools/script/ScriptCompiler.h"

namespace qm::script::test {
namespace {

TEST(ScriptTool, CompileWritesTheScriptBesideTheSourceOrWhereAsked) {
    TempFolder folder;
    const auto src = folder.path() / "pest.qms";
    WriteText(folder.path() / "m.dll", "MZ module bytes!");
    WriteText(src, "module 'm.dll'\ndescription \"d\"\n");
    const Bytes expected = CompileScript(ReadText(src), "pest.qms", folder.path());

    ToolRun run = Tool({"compile", src.string()});
    EXPECT_EQ(run.code, kExitOk) << run.err;
    EXPECT_EQ(B(ReadText(folder.path() / "pest.malware")), expected);

    run = Tool({"compile", src.string(), "-o", (folder.path() / "other.malware").string()});
    EXPECT_EQ(run.code, kExitOk) << run.err;
    EXPECT_EQ(B(ReadText(folder.path() / "other.malware")), expected);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"m.dll", "other.malware", "pest.malware", "pest.qms"}));
}

TEST(ScriptTool, BadSourceReportsItsPlaceAndLeavesNoOutput) {
    TempFolder folder;
    const auto src = folder.path() / "bad.qms";
    WriteText(src, "description \"d\"\nadd kye 'HKCU\\X'\n");
    const ToolRun run = Tool({"compile", src.string(), "-o", (folder.path() / "bad.malware").string()});
    EXPECT_EQ(run.code, kExitSourceError);
    EXPECT_EQ(run.err.rfind(src.string() + ":2:5: ", 0), 0u) << run.err;
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"bad.qms"}));
}

TEST(ScriptTool, UnwritableOutputFailsWithoutLeavingFiles) {
    TempFolder folder;
    const auto src = folder.path() / "ok.qms";
    WriteText(src, "description \"d\"\n");
    // The output is an existing folder: the rename over it fails.
    std::filesystem::create_directories(folder.path() / "taken.malware");
    ToolRun run = Tool({"compile", src.string(), "-o", (folder.path() / "taken.malware").string()});
    EXPECT_EQ(run.code, kExitIoError);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"ok.qms", "taken.malware"}));

    run = Tool({"compile", src.string(), "-o", (folder.path() / "no-such-folder" / "x.malware").string()});
    EXPECT_EQ(run.code, kExitIoError);
    run = Tool({"compile", (folder.path() / "missing.qms").string()});
    EXPECT_EQ(run.code, kExitIoError);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"ok.qms", "taken.malware"}));
}

TEST(ScriptTool, DumpWritesTheSourceAndTheModuleBesideIt) {
    TempFolder folder;
    WriteText(folder.path() / "m.dll", "MZ module bytes!");
    WriteText(folder.path() / "in.qms", "module 'm.dll'\ndescription \"d\"\nstring-table entry \"e\"\n");
    ASSERT_EQ(Tool({"compile", (folder.path() / "in.qms").string()}).code, kExitOk);
    const Bytes script = B(ReadText(folder.path() / "in.malware"));

    std::filesystem::create_directories(folder.path() / "out");
    ToolRun run = Tool({"dump", (folder.path() / "in.malware").string(), "-o", (folder.path() / "out" / "back.qms").string()});
    EXPECT_EQ(run.code, kExitOk) << run.err;
    EXPECT_EQ(ReadText(folder.path() / "out" / "back.dll"), "MZ module bytes!");
    const std::string source = ReadText(folder.path() / "out" / "back.qms");
    EXPECT_NE(source.find("module \"back.dll\""), std::string::npos) << source;
    EXPECT_EQ(CompileScript(source, "back.qms", folder.path() / "out"), script);

    // Without -o the source goes to standard output.
    WriteText(folder.path() / "plain.qms", "description \"d\"\n");
    ASSERT_EQ(Tool({"compile", (folder.path() / "plain.qms").string()}).code, kExitOk);
    run = Tool({"dump", (folder.path() / "plain.malware").string()});
    EXPECT_EQ(run.code, kExitOk);
    EXPECT_NE(run.out.find("description \"d\""), std::string::npos) << run.out;
}

TEST(ScriptTool, CommandLineFaultsAndHelp) {
    const ToolRun help = Tool({"--help"});
    EXPECT_EQ(help.code, kExitOk);
    EXPECT_NE(help.out.find("quellmar-script compile SOURCE.qms"), std::string::npos);
    EXPECT_NE(help.out.find("3  a file could not be read or written"), std::string::npos);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate", "x"}, {"compile"}, {"compile", "a.qms", "-o"}, {"dump", "a", "b"},
             {"compile", "a.qms", "-o", "x", "-o", "y"}}) {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.code, kExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("--help"), std::string::npos);
    }
}

}  // namespace
}  // namespace qm::script::test
