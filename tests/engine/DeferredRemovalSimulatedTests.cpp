// Files that cannot be deleted at once, on the simulated machine: the batch
// road (the batch file, its start and its RunOnce value under either root),
// the restart road of each Windows family when no RunOnce value can be
// written, read-only files, protected special folders, and the extracted
// module's removal.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/CleanupBatch.h"
#include "engine/Quarn_link.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

constexpr const char* kRunOnceHklm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kRunOnceHkcu = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

class DeferredSim : public PassTest {
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
    // A file another program holds open: DeleteFileA fails with a sharing violation.
    std::string LockedFile(const std::string& name) {
        const std::string path = InScratch(name);
        WriteFile(path, "in use");
        Sim().disk().MarkInUse(path, ERROR_SHARING_VIOLATION);
        return path;
    }
    void RefuseRunOnce(const char* key) { Sim().registry().RefuseAccess(key, KEY_SET_VALUE); }
    std::vector<std::string> WinExecLines() {
        std::vector<std::string> lines;
        for (const auto& call : Sim().winExecCalls()) {
            EXPECT_EQ(call.show, SW_HIDE);
            lines.push_back(call.commandLine);
        }
        return lines;
    }
    // Handed on, the file is still on disk: the line says when it goes.
    enum When { kAtLogon, kAtStart };
    void ExpectPendingLine(int row, const std::string& path, When when) {
        const size_t slash = path.rfind('\\');
        const std::string reason = when == kAtLogon ? "still on disk: deleted when a user next logs on"
                                                    : "still on disk: Windows deletes it when it starts next";
        EXPECT_EQ(Row(report, row), (std::vector<std::string>{"Disk", "Delete at next start", path.substr(0, slash + 1),
                                                              path.substr(slash + 1), reason}));
        EXPECT_EQ(report.ImageIndex(row), 8);
    }
    void DeleteFileScript(const std::vector<std::string>& paths) {
        std::string source = "description \"locked\"\n";
        for (const auto& path : paths) source += "delete file '" + path + "'\n";
        WriteScript(source);
    }
};

}  // namespace

TEST_F(DeferredSim, ALockedFileGoesTheBatchRoadAndIsReportedPendingOnceRunOnceIsWritten) {
    // "%" and blanks in the path: the batch text escapes what it must.
    const std::string path = LockedFile("locked 100% pest.dat");
    DeleteFileScript({path});
    Scan();
    const PassResult removal = Remove();

    EXPECT_FALSE(removal.hadErrors);
    ASSERT_EQ(report.RowCount(), 1);
    ExpectPendingLine(0, path, kAtLogon);
    EXPECT_TRUE(FileExists(path)) << "still held open; the batch deletes it later";

    // The batch file: in the Windows folder, named from the clock (7 March
    // 2005, 09:05:02.045 on this machine) and a random number, started hidden.
    const std::vector<std::string> started = WinExecLines();
    ASSERT_EQ(started.size(), 1u);
    const std::string batch = started[0];
    const std::string prefix = "C:\\WINDOWS\\20053795245_";
    ASSERT_EQ(batch.rfind(prefix, 0), 0u) << batch;
    ASSERT_GT(batch.size(), prefix.size() + 4);
    const std::string random = batch.substr(prefix.size(), batch.size() - prefix.size() - 4);
    EXPECT_EQ(batch.substr(batch.size() - 4), ".bat");
    EXPECT_EQ(random.find_first_not_of("0123456789"), std::string::npos) << random;
    EXPECT_LT(std::stoul(random), 16777215ul);
    EXPECT_EQ(ReadFile(batch), CleanupBatchText(path));

    // The RunOnce value: the batch file's name, the second batch file's path.
    const std::string name = batch.substr(std::string("C:\\WINDOWS\\").size());
    EXPECT_EQ(Sim().registry().GetString(kRunOnceHklm, name), batch + ".bat");
    EXPECT_EQ(Sim().registry().GetString(kRunOnceHkcu, name), std::nullopt);
    EXPECT_TRUE(Sim().delayedMoves().empty());
}

TEST_F(DeferredSim, TwoLockedFilesInOneMillisecondGetTwoBatchFiles) {
    // The simulated clock stands still: both names come from the same instant.
    const std::string first = LockedFile("first.dat");
    const std::string second = LockedFile("second.dat");
    DeleteFileScript({first, second});
    Scan();
    Remove();
    const std::vector<std::string> started = WinExecLines();
    ASSERT_EQ(started.size(), 2u);
    EXPECT_NE(started[0], started[1]);
    for (const auto& batch : started) {
        const std::string name = batch.substr(std::string("C:\\WINDOWS\\").size());
        EXPECT_EQ(Sim().registry().GetString(kRunOnceHklm, name), batch + ".bat");
    }
    // Files go from the last in order to the first: "second" first.
    EXPECT_EQ(ReadFile(started[0]), CleanupBatchText(second));
    EXPECT_EQ(ReadFile(started[1]), CleanupBatchText(first));
}

TEST_F(DeferredSim, WhenTheMachineKeyRefusesTheRunOnceKeyTheValueGoesUnderTheUser) {
    RefuseRunOnce(kRunOnceHklm);
    const std::string path = LockedFile("locked.dat");
    DeleteFileScript({path});
    ScanAndRemove();
    ASSERT_EQ(WinExecLines().size(), 1u);
    const std::string batch = WinExecLines()[0];
    const std::string name = batch.substr(batch.rfind('\\') + 1);
    EXPECT_EQ(Sim().registry().GetString(kRunOnceHklm, name), std::nullopt);
    EXPECT_EQ(Sim().registry().GetString(kRunOnceHkcu, name), batch + ".bat");
    ASSERT_EQ(report.RowCount(), 1);
    ExpectPendingLine(0, path, kAtLogon);
    EXPECT_TRUE(Sim().delayedMoves().empty());
}

TEST_F(DeferredSim, WhenTheMachineValueCannotBeWrittenTheValueGoesUnderTheUser) {
    Sim().faults().Fail("RegSetValueExA", ERROR_ACCESS_DENIED).ForPath(kRunOnceHklm);
    const std::string path = LockedFile("locked.dat");
    DeleteFileScript({path});
    ScanAndRemove();
    ASSERT_EQ(WinExecLines().size(), 1u);
    const std::string batch = WinExecLines()[0];
    const std::string name = batch.substr(batch.rfind('\\') + 1);
    EXPECT_EQ(Sim().registry().GetString(kRunOnceHkcu, name), batch + ".bat");
    EXPECT_EQ(Sim().faults().Triggered("RegSetValueExA"), 1u);
    ASSERT_EQ(report.RowCount(), 1);
    ExpectPendingLine(0, path, kAtLogon);
}

TEST_F(DeferredSim, WithoutRunOnceTheNtFamilySchedulesTheShortPathForTheNextStart) {
    RefuseRunOnce(kRunOnceHklm);
    RefuseRunOnce(kRunOnceHkcu);
    const std::string path = LockedFile("Locked Program File.dat");
    const std::string shortPath = ShortOf(path);
    ASSERT_NE(shortPath, path);
    DeleteFileScript({path});
    ScanAndRemove();

    ASSERT_EQ(Sim().delayedMoves().size(), 1u);
    EXPECT_EQ(Sim().delayedMoves()[0].from, shortPath);
    EXPECT_EQ(Sim().delayedMoves()[0].to, "");
    ASSERT_EQ(report.RowCount(), 1);
    ExpectPendingLine(0, path, kAtStart);
    // The batch file was still written and started; only its value is missing.
    EXPECT_EQ(WinExecLines().size(), 1u);
    EXPECT_FALSE(FileExists("C:\\WINDOWS\\WININIT.INI"));
}

TEST_F(DeferredSim, WhenEveryRoadFailsTheLineIsAnError) {
    RefuseRunOnce(kRunOnceHklm);
    RefuseRunOnce(kRunOnceHkcu);
    Sim().faults().Fail("MoveFileExA", ERROR_ACCESS_DENIED);
    const std::string path = LockedFile("stuck.dat");
    DeleteFileScript({path});
    Scan();
    const PassResult removal = Remove();
    EXPECT_TRUE(removal.hadErrors);
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Error Delete ", Scratch() + "\\", "stuck.dat"}}));
    EXPECT_EQ(report.ImageIndex(0), 7);
    EXPECT_TRUE(Sim().delayedMoves().empty());
}

TEST_F(DeferredSim, WithoutRunOnceThe9xFamilySendsEachFileToNulInWininit) {
    Sim().settings().platformId = VER_PLATFORM_WIN32_WINDOWS;
    RefuseRunOnce(kRunOnceHklm);
    RefuseRunOnce(kRunOnceHkcu);
    const std::string first = LockedFile("First Locked File.dat");
    const std::string second = LockedFile("Second Locked File.dat");
    DeleteFileScript({first, second});
    ScanAndRemove();

    // The second file in sorted order goes first; the next one finds a NUL
    // value already there and appends a section of its own.
    const std::string wininit = ReadFile("C:\\WINDOWS\\WININIT.INI");
    EXPECT_EQ(wininit, "[rename]\r\nNUL=" + ShortOf(second) + "\r\n[rename]\r\nNUL=" + ShortOf(first) + "\r\n");
    EXPECT_NE(ShortOf(first), first);
    ASSERT_EQ(report.RowCount(), 2);
    ExpectPendingLine(0, second, kAtStart);
    ExpectPendingLine(1, first, kAtStart);
    EXPECT_TRUE(Sim().delayedMoves().empty());
}

TEST_F(DeferredSim, AReadOnlyFileGoesTheBatchRoadAndIsReportedPending) {
    const std::string path = InScratch("readonly.dat");
    WriteFile(path, "r");
    ASSERT_TRUE(P().SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    DeleteFileScript({path});
    Scan();
    EXPECT_EQ(disk.RowCount(), 1);
    const PassResult removal = Remove();
    EXPECT_FALSE(removal.hadErrors);
    ASSERT_EQ(report.RowCount(), 1);
    ExpectPendingLine(0, path, kAtLogon);
    // No attribute is cleared: the file stays, read-only, for the batch.
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(P().GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(WinExecLines().size(), 1u);
    const std::string batch = WinExecLines()[0];
    EXPECT_EQ(Sim().registry().GetString(kRunOnceHklm, batch.substr(batch.rfind('\\') + 1)), batch + ".bat");
}

TEST_F(DeferredSim, SpecialFoldersInAnyCaseAndWithTrailingBackslashAreNeverRemoved) {
    const std::string desktop = "C:\\Documents and Settings\\User\\Desktop";
    ASSERT_TRUE(P().CreateDirectoryA((desktop + "\\Pest").c_str(), nullptr));
    WriteFile(desktop + "\\Pest\\pest.dat", "p");
    WriteFile(desktop + "\\shortcut.lnk", "s");
    // Each folder, and why it stays.
    const std::vector<std::pair<std::string, std::string>> protectedFolders = {
        {"C:\\DOCUMENTS AND SETTINGS\\USER\\DESKTOP\\", "the Desktop"},
        {"c:\\windows\\", "the Windows folder"},
        {"C:\\", "the root of a drive"},
        {"C:\\WINDOWS\\TEMP\\", "the temporary folder"},
        {"C:\\Program Files\\", "the Program Files folder"}};
    std::string source = "description \"special\"\n";
    for (const auto& [folder, why] : protectedFolders) source += "delete folder '" + folder + "'\n";
    source += "delete folder '" + desktop + "\\pest\\'\n";
    WriteScript(source);
    Scan();
    // A refused folder gets no row that could act.
    EXPECT_EQ(Rows(disk), (Table{{"Delte  Folder", "", desktop + "\\pest\\", "*", "6"}}));
    const PassResult removal = Remove();
    EXPECT_FALSE(removal.hadErrors) << "a refusal is no failure to retry";

    Table expected;
    for (const auto& [folder, why] : protectedFolders) expected.push_back({"Disk", "Refused Delete ", folder, "", why});
    expected.push_back({"Disk", "Delete ", desktop + "\\pest\\", ""});
    EXPECT_EQ(Rows(report), expected);
    EXPECT_TRUE(FileExists(desktop + "\\shortcut.lnk"));
    EXPECT_FALSE(FileExists(desktop + "\\Pest\\pest.dat"));
    EXPECT_TRUE(FileExists(scriptPath)) << "the root of drive C was left alone";
    for (const char* folder : {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\Temp", "C:\\Program Files\\Common Files"})
        EXPECT_NE(P().GetFileAttributesA(folder), INVALID_FILE_ATTRIBUTES) << folder;
}

TEST_F(DeferredSim, TheModuleFileIsDeletedOrScheduledAfterASecondAndAnEmptyPathDoesNothing) {
    const SYSTEMTIME before = Sim().settings().localTime;
    RemoveModuleFile("");
    EXPECT_EQ(Sim().faults().Calls("DeleteFileA"), 0u);
    EXPECT_EQ(Sim().settings().localTime.wSecond, before.wSecond) << "no wait without a module";

    // A module still loaded somewhere: batch road first, a second's wait,
    // then the restart road.
    const std::string module = LockedFile("module.dll");
    RemoveModuleFile(module);
    EXPECT_EQ(WinExecLines().size(), 1u);
    EXPECT_EQ(Sim().settings().localTime.wSecond, before.wSecond + 1);
    ASSERT_EQ(Sim().delayedMoves().size(), 1u);
    EXPECT_EQ(Sim().delayedMoves()[0].from, ShortOf(module));

    const std::string loose = InScratch("loose.dll");
    WriteFile(loose, "m");
    RemoveModuleFile(loose);
    EXPECT_FALSE(FileExists(loose));
    EXPECT_EQ(WinExecLines().size(), 1u);
}

}  // namespace qm::test
