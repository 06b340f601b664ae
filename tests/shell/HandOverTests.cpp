// The 32-bit programs on a simulated 64-bit Windows: Quellmar.exe and the
// 32-bit command line front end hand the run over to their 64-bit builds
// beside them, with the same command line; where those are missing they go
// on alone and say once that half of the machine cannot be checked. The
// 64-bit programs, and any program on 32-bit Windows, just run.
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/ProgramEnd.h"
#include "locations/Paths.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
#include "shell/HandOver64.h"
#include "shell/MemoryWizardView.h"
#include "shell/Quarn_Main.h"
#include "tests/support/UseMachine.h"
#include "tools/cli/CliRun.h"
#include "tools/script/ScriptCompiler.h"

namespace qm {

namespace {

struct Started {
    std::string image;
    std::string commandLine;
};

class HandOver : public ::testing::Test {
protected:
    // A 64-bit Windows 7 running Quellmar from its folder with a script.
    void Machine(int programBits) {
        sim::MakeWindows7x64(machine.settings(), programBits);
        sim::InstallStandardMachine(machine);
        folder = ExtractFilePath(machine.settings().programPath);
        machine.settings().commandLine = "\"" + machine.settings().programPath + "\" C:\\pest.malware /extra";
        machine.settings().runProgram = [this](const std::string& image, const std::string& line) {
            started.push_back({image, line});
            return exitCode;
        };
        const auto bytes = script::CompileScript("description \"<p>pest</p>\"\n", "pest.qms");
        WriteFile("C:\\pest.malware", std::string(bytes.begin(), bytes.end()));
    }
    void WriteFile(const std::string& path, const std::string& bytes) {
        const HANDLE file = machine.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
        ASSERT_NE(file, kInvalidHandle) << path;
        DWORD written = 0;
        machine.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        machine.CloseHandle(file);
    }
    int RunCommandLine() {
        cli::CliOptions options;
        options.script = "C:\\pest.malware";
        options.scanOnly = true;
        std::istringstream in;
        std::ostringstream out;
        const int code = cli::RunCli(options, in, out, [] { return std::vector<std::string>(); });
        output = out.str();
        return code;
    }

    sim::SimPlatform machine;
    test::UseMachine use{machine};
    std::string folder;
    std::vector<Started> started;
    std::optional<DWORD> exitCode;
    std::string output;
};

}  // namespace

TEST_F(HandOver, TheThirtyTwoBitWizardStartsQuellmar64WithItsCommandLineAndEnds) {
    Machine(32);
    WriteFile(folder + "Quellmar64.exe", "MZ");
    MemoryWizardView view;
    TFQuarnUninstall wizard(view);
    wizard.FormCreate({"C:\\pest.malware", "/extra"});

    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].image, folder + "Quellmar64.exe");
    EXPECT_EQ(started[0].commandLine, "\"" + folder + "Quellmar64.exe\" C:\\pest.malware /extra");
    EXPECT_TRUE(ProgramEndRequested());
    EXPECT_TRUE(machine.messageBoxes().empty());
    EXPECT_FALSE(view.Enabled(Widget::bNext)) << "the 32-bit wizard reads no script";
}

TEST_F(HandOver, WithoutQuellmar64TheWizardGoesOnAndSaysOnceThatHalfTheMachineIsUnchecked) {
    Machine(32);
    MemoryWizardView view;
    TFQuarnUninstall wizard(view);
    wizard.FormCreate({"C:\\pest.malware"});

    EXPECT_TRUE(started.empty());
    EXPECT_FALSE(ProgramEndRequested());
    ASSERT_EQ(machine.messageBoxes().size(), 1u);
    EXPECT_NE(machine.messageBoxes()[0].text.find("Quellmar64.exe"), std::string::npos);
    EXPECT_NE(machine.messageBoxes()[0].text.find("64-bit half"), std::string::npos);
    EXPECT_EQ(machine.messageBoxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(view.Enabled(Widget::bNext)) << "the script was read all the same";
}

TEST_F(HandOver, ProgramsThatSeeTheWholeMachineStartNothing) {
    struct Case {
        const char* what;
        bool x64;
    };
    for (const Case c : {Case{"64-bit program on 64-bit Windows", true}, Case{"32-bit Windows", false}}) {
        SCOPED_TRACE(c.what);
        if (c.x64) {
            Machine(64);
        } else {
            sim::InstallStandardMachine(machine);
            folder = ExtractFilePath(machine.settings().programPath);
        }
        WriteFile(folder + "Quellmar64.exe", "MZ");
        MemoryWizardView view;
        TFQuarnUninstall wizard(view);
        wizard.FormCreate({"C:\\pest.malware"});
        EXPECT_TRUE(started.empty());
        EXPECT_TRUE(machine.messageBoxes().empty());
        EXPECT_FALSE(ProgramEndRequested());
    }
}

TEST_F(HandOver, TheThirtyTwoBitCommandLineWaitsForItsSixtyFourBitBuildAndGivesItsExitCode) {
    Machine(32);
    WriteFile(folder + "quellmar-cli64.exe", "MZ");
    exitCode = 10;
    EXPECT_EQ(RunCommandLine(), 10);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "\"" + folder + "quellmar-cli64.exe\" C:\\pest.malware /extra");
    EXPECT_EQ(output, "") << "the 64-bit build speaks for the run";
}

TEST_F(HandOver, WithoutItsSixtyFourBitBuildTheCommandLineWarnsOnceAndRuns) {
    Machine(32);
    EXPECT_EQ(RunCommandLine(), cli::kNothingFound);
    EXPECT_TRUE(started.empty());
    const std::string warning = "*** " + Missing64BitProgramText("quellmar-cli64.exe");
    ASSERT_NE(output.find(warning), std::string::npos) << output;
    EXPECT_EQ(output.find(warning), output.rfind(warning));
    EXPECT_NE(output.find("Removal script: C:\\pest.malware"), std::string::npos);
}

TEST(HandOverArguments, AreWhatFollowsTheProgramsName) {
    const std::pair<std::string, std::string> cases[] = {
        {"\"C:\\Program Files\\Q\\Quellmar.exe\" one \"two three\"", " one \"two three\""},
        {"Quellmar.exe", ""},
        {"\"C:\\Q\\Quellmar.exe\"", ""},
        {"Quellmar.exe  a", "  a"},
        {"\"C:\\Q\\Quellmar.exe\"a", ""},  // Windows takes that 'a' for part of the name
    };
    for (const auto& [line, arguments] : cases) EXPECT_EQ(ArgumentsOf(line), arguments) << line;
}

}  // namespace qm
