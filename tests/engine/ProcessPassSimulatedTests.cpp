// Running programs on the simulated machine: found by their file whichever
// spelling (long, 8.3, other case) the script and the process use, stopped in
// the removal pass before their file is deleted; and the cases a real machine
// cannot arrange on demand (two processes from one file, other extensions,
// PSAPI missing, the 9x family, refused or late terminations).
#include <cctype>
#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

class ProcessSim : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        sim::InstallStandardMachine(Sim());
    }
    sim::SimPlatform& Sim() { return static_cast<sim::SimPlatform&>(P()); }

    std::string ShortOf(const std::string& path) {
        char buffer[MAX_PATH + 1] = {};
        EXPECT_GT(P().GetShortPathNameA(path.c_str(), buffer, sizeof buffer), 0u) << path;
        return buffer;
    }
    std::string Program(const std::string& name) {
        const std::string path = InScratch(name);
        WriteFile(path, "MZ");
        return path;
    }
    bool Running(DWORD id) { return Sim().processes().Find(id) != nullptr; }
    void DeleteFileScript(const std::string& path) {
        WriteScript("description \"process\"\nowner \"Pest\"\ndelete file '" + path + "'\n");
    }
    std::vector<std::string> KillLine(const std::string& path, bool failed = false) {
        const size_t slash = path.rfind('\\');
        return {"Process ", failed ? "Error Kill " : "Kill ", path.substr(0, slash + 1), path.substr(slash + 1)};
    }
    std::vector<std::string> DeleteLine(const std::string& path) {
        const size_t slash = path.rfind('\\');
        return {"Disk", "Delete ", path.substr(0, slash + 1), path.substr(slash + 1)};
    }
    // Still in use after the pass: handed to the batch file for the next logon.
    std::vector<std::string> PendingLine(const std::string& path) {
        const size_t slash = path.rfind('\\');
        return {"Disk", "Delete at next start", path.substr(0, slash + 1), path.substr(slash + 1),
                "still on disk: deleted when a user next logs on"};
    }
};

}  // namespace

TEST_F(ProcessSim, AProgramIsFoundWhateverSpellingTheScriptAndTheProcessUse) {
    struct Case {
        const char* what;
        bool scriptShort;
        bool startedShort;
        bool scriptLowerCase;
    };
    for (const Case& c : {Case{"long script, started short", false, true, false},
                          Case{"short script, started long", true, false, false},
                          Case{"other case", false, false, true}}) {
        SCOPED_TRACE(c.what);
        const std::string path = Program("Long Running Program.exe");
        const std::string shortPath = ShortOf(path);
        ASSERT_NE(shortPath, path);
        std::string named = c.scriptShort ? shortPath : path;
        if (c.scriptLowerCase)
            for (char& ch : named) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        const DWORD id = Sim().StartProcess(c.startedShort ? shortPath : path);
        DeleteFileScript(named);

        Scan();
        EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", named, "*", "1"}}));
        EXPECT_EQ(Rows(process), (Table{{"Runing Process", "Pest", named, "2"}}));
        EXPECT_EQ(process.ImageIndex(0), 6);

        const PassResult removal = Remove();
        EXPECT_FALSE(Running(id));
        // Stopped during the records, its file deleted after them.
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(Rows(report), (Table{KillLine(named), DeleteLine(named)}));
        EXPECT_EQ(report.ImageIndex(0), 6);
        EXPECT_FALSE(removal.hadErrors);
        EXPECT_TRUE(Sim().winExecCalls().empty()) << "deleted at once, no batch";
    }
}

TEST_F(ProcessSim, OfTwoProcessesFromOneFileOnlyTheFirstIsStopped) {
    const std::string path = Program("twice.exe");
    const DWORD first = Sim().StartProcess(path);
    const DWORD second = Sim().StartProcess(path);
    DeleteFileScript(path);
    Scan();
    EXPECT_EQ(process.RowCount(), 1);
    Remove();
    EXPECT_FALSE(Running(first));
    EXPECT_TRUE(Running(second));
    // The file is still in use by the second: it takes the batch road.
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(Sim().winExecCalls().size(), 1u);
    EXPECT_EQ(Rows(report), (Table{KillLine(path), PendingLine(path)}));
}

TEST_F(ProcessSim, OnlyExeFilesAreLookedForAmongTheProcesses) {
    struct Case {
        const char* name;
        bool listed;
    };
    for (const Case& c : {Case{"saver.scr", false}, Case{"tool.com", false}, Case{"program.exe.bak", false},
                          Case{"noextension", false}, Case{"Mixed.ExE", true}}) {
        SCOPED_TRACE(c.name);
        const std::string path = Program(c.name);
        const DWORD id = Sim().StartProcess(path);
        DeleteFileScript(path);
        Scan();
        EXPECT_EQ(process.RowCount(), c.listed ? 1 : 0);
        Remove();
        EXPECT_EQ(Running(id), !c.listed);
        if (Running(id)) Sim().EndProcess(id);
    }
}

TEST_F(ProcessSim, WithoutPsapiTheNtFamilyFindsNoProgramWhileThe9xFamilyReadsTheSnapshot) {
    Sim().settings().psapiAvailable = false;
    const std::string path = Program("hidden.exe");
    const DWORD id = Sim().StartProcess(path);
    DeleteFileScript(path);
    ScanAndRemove();
    EXPECT_EQ(process.RowCount(), 0);
    EXPECT_TRUE(Running(id));
    EXPECT_EQ(Rows(report), (Table{PendingLine(path)}));  // through the batch road

    // The 9x family has no PSAPI at all; its snapshot names the full path.
    Sim().settings().platformId = VER_PLATFORM_WIN32_WINDOWS;
    ScanAndRemove();
    EXPECT_EQ(Rows(process), (Table{{"Runing Process", "Pest", path, "2"}}));
    EXPECT_FALSE(Running(id));
}

TEST_F(ProcessSim, AProgramEndedBetweenThePassesGivesNoLine) {
    const std::string path = Program("brief.exe");
    const DWORD id = Sim().StartProcess(path);
    DeleteFileScript(path);
    Scan();
    EXPECT_EQ(process.RowCount(), 1);
    Sim().EndProcess(id);
    const PassResult removal = Remove();
    EXPECT_EQ(Rows(report), (Table{DeleteLine(path)}));
    EXPECT_FALSE(removal.hadErrors);
}

TEST_F(ProcessSim, ARefusedTerminationIsNoErrorButAProgramGoneBeforeTheKillIs) {
    const std::string path = Program("stubborn.exe");
    const DWORD id = Sim().StartProcess(path);
    Sim().processes().Find(id)->refuseTerminate = true;
    DeleteFileScript(path);
    Scan();
    PassResult removal = Remove();
    EXPECT_TRUE(Running(id));
    // Only "no process found" counts as a failure of the kill.
    EXPECT_EQ(Row(report, 0), KillLine(path));
    EXPECT_FALSE(removal.hadErrors);

    // Snapshots of the removal pass: the engine's search folders, the
    // record's search, then KillProcess's own search, which finds nothing.
    Sim().faults().Fail("CreateToolhelp32Snapshot", ERROR_ACCESS_DENIED).OnCall(3);
    removal = Remove();
    EXPECT_EQ(Row(report, 0), KillLine(path, true));
    EXPECT_EQ(report.ImageIndex(0), 7);
    EXPECT_TRUE(removal.hadErrors);
    EXPECT_EQ(Sim().processes().openHandles(), 0u);
}

}  // namespace qm::test
