// The command-line front end: its arguments, its output and its exit codes
// for each way a run can end.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/ProgramEnd.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
#include "tests/support/UseMachine.h"
#include "tools/cli/CliRun.h"
#include "tools/script/ScriptCompiler.h"

namespace qm::cli {

namespace {

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::InstallStandardMachine(machine);
        machine.CreateDirectoryA("C:\\pest", nullptr);
        WriteFile("C:\\pest\\a.txt", "x");
        WriteFile("C:\\pest\\b.txt", "x");
    }
    void WriteFile(const std::string& path, const std::string& bytes) {
        HANDLE file = machine.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
        DWORD written = 0;
        machine.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        machine.CloseHandle(file);
    }
    bool Exists(const char* path) { return machine.GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }
    std::string Script(const std::string& source) {
        const auto bytes = script::CompileScript(source, "cli.qms");
        WriteFile("C:\\cli.malware", std::string(bytes.begin(), bytes.end()));
        return "C:\\cli.malware";
    }
    int Run(CliOptions options, const std::string& input = "") {
        std::istringstream in(input);
        std::ostringstream out;
        const int code = RunCli(options, in, out, [this] {
            std::vector<std::string> texts;
            for (const auto& box : machine.messageBoxes()) texts.push_back(box.text);
            return texts;
        });
        output = out.str();
        return code;
    }
    CliOptions Options(const std::string& script, bool custom = false, bool scanOnly = false) {
        CliOptions options;
        options.script = script;
        options.custom = custom;
        options.scanOnly = scanOnly;
        return options;
    }

    sim::SimPlatform machine;
    test::UseMachine use{machine};
    std::string output;
};

const char* kTwoFiles = R"(
    description "<h1>Two files</h1><p>a &amp; b</p>"
    delete file 'C:\pest\a.txt'
    delete file 'C:\pest\b.txt'
)";

}  // namespace

TEST_F(CliTest, AutomaticRunCleansAndReports) {
    EXPECT_EQ(Run(Options(Script(kTwoFiles))), kCleaned);
    EXPECT_FALSE(Exists("C:\\pest\\a.txt"));
    EXPECT_FALSE(Exists("C:\\pest\\b.txt"));
    EXPECT_NE(output.find("Two files"), std::string::npos);
    EXPECT_NE(output.find("a & b"), std::string::npos) << "the description as plain text";
    EXPECT_NE(output.find("Disk files (2)"), std::string::npos);
    EXPECT_NE(output.find("Erase File  C:\\pest\\a.txt"), std::string::npos);
    EXPECT_NE(output.find("Disk  Delete   C:\\pest\\  b.txt"), std::string::npos);
    // A second run finds nothing.
    EXPECT_EQ(Run(Options(Script(kTwoFiles))), kNothingFound);
}

TEST_F(CliTest, ScanOnlyChangesNothing) {
    EXPECT_EQ(Run(Options(Script(kTwoFiles), false, true)), kFoundScanOnly);
    EXPECT_TRUE(Exists("C:\\pest\\a.txt"));
    EXPECT_EQ(output.find("Report"), std::string::npos);
}

TEST_F(CliTest, CustomRunAsksForEveryItem) {
    EXPECT_EQ(Run(Options(Script(kTwoFiles), true), "n\ny\n"), kCleaned);
    EXPECT_TRUE(Exists("C:\\pest\\a.txt")) << "answered no";
    EXPECT_FALSE(Exists("C:\\pest\\b.txt"));
    EXPECT_NE(output.find("remove? [Y/n]"), std::string::npos);
}

TEST_F(CliTest, CustomAsksOncePerItemShowingItsNumberAndEveryRow) {
    // A bare name found in two search folders: one item, two rows.
    machine.CreateDirectoryA("C:\\other", nullptr);
    WriteFile("C:\\other\\a.txt", "x");
    const std::string script = Script(R"(
        description "twice"
        search-folder 'C:\pest'
        search-folder 'C:\other'
        delete file 'a.txt'
        delete file 'C:\pest\b.txt'
    )");
    CliOptions options = Options(script, true);
    EXPECT_EQ(Run(options, "y\nn\n"), kCleaned) << output;
    EXPECT_FALSE(Exists("C:\\pest\\a.txt"));
    EXPECT_FALSE(Exists("C:\\other\\a.txt")) << "the one answer holds for both rows";
    EXPECT_TRUE(Exists("C:\\pest\\b.txt"));
    const std::size_t item = output.find("Item 1:");
    ASSERT_NE(item, std::string::npos) << output;
    EXPECT_LT(output.find("C:\\pest\\a.txt", item), output.find("remove?", item));
    EXPECT_LT(output.find("C:\\other\\a.txt", item), output.find("remove?", item));
    EXPECT_NE(output.find("Item 3:"), std::string::npos) << output;  // the search folders are records too
    // Not a terminal: each answer ends its prompt's line.
    EXPECT_NE(output.find("remove? [Y/n] y\n"), std::string::npos) << output;
    EXPECT_NE(output.find("remove? [Y/n] n\n"), std::string::npos) << output;
}

TEST_F(CliTest, TheEndOfInputIsNeverAYes) {
    for (const char* input : {"", "y\n"}) {
        SCOPED_TRACE(input);
        EXPECT_EQ(Run(Options(Script(kTwoFiles), true), input), kUsage);
        EXPECT_TRUE(Exists("C:\\pest\\a.txt"));
        EXPECT_TRUE(Exists("C:\\pest\\b.txt"));
        EXPECT_NE(output.find("nothing was changed"), std::string::npos) << output;
    }
}

TEST_F(CliTest, EveryItemKeptIsNotACleanup) {
    EXPECT_EQ(Run(Options(Script(kTwoFiles), true), "n\nn\n"), kFoundScanOnly) << output;
    EXPECT_TRUE(Exists("C:\\pest\\a.txt"));
}

TEST_F(CliTest, AFileLeftForTheNextStartAsksForARestart) {
    machine.disk().MarkInUse("C:\\pest\\a.txt", ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Run(Options(Script(kTwoFiles))), kRestartNeeded) << output;
    EXPECT_NE(output.find("Disk  Delete at next start  C:\\pest\\  a.txt  still on disk"), std::string::npos) << output;
    EXPECT_NE(output.find("1 pending until restart"), std::string::npos) << output;
    EXPECT_NE(output.find("Restart Windows"), std::string::npos) << output;
}

TEST_F(CliTest, AScriptsTextsCannotReachTheTerminalRaw) {
    const std::string script = Script("description \"<p>a pest</p>\"\n"
                                      "owner \"Pest\\r\\nForged line\"\n"
                                      "delete value 'HKCU\\Software\\Pest' \"v\\x1b[2J\" REG_SZ\n");
    machine.registry().SetString("HKCU\\Software\\Pest", "v\x1b[2J", "x");
    Run(Options(script));
    EXPECT_EQ(output.find('\x1b'), std::string::npos);
    EXPECT_EQ(output.find("\nForged line"), std::string::npos) << output;
    EXPECT_NE(output.find("v\\x1B[2J"), std::string::npos) << output;
    EXPECT_NE(output.find("Pest\\x0D\\x0AForged line"), std::string::npos) << output;
}

TEST_F(CliTest, TheModuleFileIsRemovedAtTheEnd) {
    const std::string script = Script(R"(
        module hex "51 4D 53 49 4D 44 4C 4C 3A 6E 6F 6E 65 0A"
        description "module"
        delete file 'C:\pest\a.txt'
    )");
    EXPECT_EQ(Run(Options(script)), kCleaned) << output;
    std::vector<std::string> leftOver;
    WIN32_FIND_DATAA found;
    char temp[MAX_PATH] = {};
    machine.GetTempPathA(sizeof temp, temp);
    const HANDLE find = machine.FindFirstFileA((std::string(temp) + "*").c_str(), &found);
    if (find != kInvalidHandle) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) leftOver.push_back(found.cFileName);
        } while (machine.FindNextFileA(find, &found));
        machine.FindClose(find);
    }
    EXPECT_EQ(leftOver, std::vector<std::string>{});
}

TEST_F(CliTest, FailuresAndBadScriptsHaveTheirOwnExitCodes) {
    EXPECT_EQ(Run(Options(Script(R"(
        description "fails"
        add value 'HKXX\Software' "v" REG_SZ "x"
    )"))), kCleanedWithErrors);
    EXPECT_NE(output.find("Error Add"), std::string::npos);

    EXPECT_EQ(Run(Options(Script(R"(
        description "corrupt"
        record change key text1 'HKCU\Software\Pest'
    )"))), kBadScript);
    EXPECT_NE(output.find("Corupt Instalation!"), std::string::npos);

    EXPECT_EQ(Run(Options("C:\\missing.malware")), kBadScript);
}

TEST(CliArgumentsTest, OptionsAndMistakes) {
    CliOptions options;
    std::string message;
    EXPECT_EQ(ParseArguments({"--custom", "x.malware"}, options, message), 0);
    EXPECT_TRUE(options.custom);
    EXPECT_EQ(options.script, "x.malware");
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {}, {"--frobnicate", "x"}, {"a", "b"}, {"--custom", "--scan", "x"}, {"--report"}, {"x", "--json"},
             {"--list-backups", "--report", "r.txt"}, {"--restore", "latest", "x"}}) {
        CliOptions fresh;
        EXPECT_EQ(ParseArguments(wrong, fresh, message), kUsage);
        EXPECT_NE(message.find("usage:"), std::string::npos);
    }
}

}  // namespace qm::cli
