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
             {}, {"--frobnicate", "x"}, {"a", "b"}, {"--custom", "--scan", "x"}}) {
        CliOptions fresh;
        EXPECT_EQ(ParseArguments(wrong, fresh, message), kUsage);
        EXPECT_NE(message.find("usage:"), std::string::npos);
    }
}

}  // namespace qm::cli
