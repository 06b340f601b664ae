// The demo's cleanup undone: examples/demo/machine cleaned by the
// command-line front end, then `--restore latest`, holds again every key,
// value, file and folder it held, with their attributes and times. Only what
// a cleanup cannot undo differs: the stopped programs (not compared), and
// the batch files that wait for a file in use (the simulated machine runs
// none, so they stay with their stop files) beside Quellmar's own data.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/MachineFolder.h"
#include "tests/engine/AreaSnapshot.h"
#include "tests/support/UseMachine.h"
#include "tests/tools/ScriptTestSupport.h"
#include "tools/cli/CliRun.h"
#include "tools/script/ScriptCompiler.h"

namespace qm::script::test {
namespace {

namespace fs = std::filesystem;

fs::path DemoFolder() { return fs::path(__FILE__).parent_path().parent_path().parent_path() / "examples" / "demo"; }

qm::test::AreaSnapshot WholeMachine(Platform& machine) {
    qm::test::AreaSnapshot shot;
    qm::test::AddKeyTree(machine, HKLM, "", "HKLM", shot);
    qm::test::AddKeyTree(machine, HKU, "", "HKU", shot);
    qm::test::AddFolderTree(machine, "C:", "C:", shot);
    // Quellmar's own data, and the folders whose contents it changes
    // (their last-write times).
    std::erase_if(shot.entries, [](const auto& entry) {
        const std::string& name = entry.first;
        return name.starts_with("folder C:\\ProgramData") || name.starts_with("file C:\\ProgramData\\Quellmar") ||
               name == "folder C:\\Windows" ||
               (name.starts_with("file C:\\Windows\\20") && name.find(".bat") != std::string::npos);
    });
    return shot;
}

TEST(DemoUndo, TheDemosCleanupIsUndoneExactly) {
    TempFolder folder;
    const fs::path pc = folder.path() / "machine";
    fs::copy(DemoFolder() / "machine", pc, fs::copy_options::recursive);
    const Bytes script = CompileScript(ReadText(DemoFolder() / "demo.qms"), "demo.qms", DemoFolder());

    auto machine = sim::OpenMachineFolder(pc);
    const qm::test::UseMachine use(*machine);
    const HANDLE file = machine->CreateFileA("C:\\all.malware", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0);
    DWORD written = 0;
    machine->WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    machine->CloseHandle(file);
    const qm::test::AreaSnapshot before = WholeMachine(*machine);

    cli::CliOptions options;
    options.script = "C:\\all.malware";
    std::istringstream in;
    std::ostringstream out;
    ASSERT_EQ(cli::RunCli(options, in, out, [] { return std::vector<std::string>{}; }), cli::kCleaned) << out.str();
    const qm::test::AreaSnapshot cleaned = WholeMachine(*machine);
    EXPECT_NE(cleaned, before);

    cli::CliOptions restore;
    restore.restore = "latest";
    std::ostringstream restoreOut;
    EXPECT_EQ(cli::RunBackupCommand(restore, restoreOut), 0) << restoreOut.str();
    const qm::test::AreaSnapshot after = WholeMachine(*machine);
    EXPECT_EQ(after, before) << Differences(before, after) << restoreOut.str();
}

}  // namespace
}  // namespace qm::script::test
