// Backups on the simulated machine, where failures can be made to happen and
// files held open: a backup that cannot be made leaves its item untouched,
// and a file left for the next start is put back with its deletion cancelled
// on every road.
#include <string>

#include "engine/Backup.h"
#include "engine/Quarn_link.h"
#include "platform/Handles.h"
#include "platform/sim/SimPlatform.h"
#include "tests/engine/BackupFixture.h"

namespace qm::test {

namespace {

constexpr const char* kRunOnceHklm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kRunOnceHkcu = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::u16string Utf16Of(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class BackupSim : public BackupTest {
protected:
    sim::SimPlatform& Sim() { return static_cast<sim::SimPlatform&>(P()); }
    // Held open by another program that lets others read it: it can be
    // copied, not moved or deleted.
    FileHandle HeldOpen(const std::string& path) {
        return FileHandle(P(), P().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               0, kInvalidHandle));
    }
    // Nothing is left that would delete a file later.
    void ExpectNoDeletionPending() {
        EXPECT_TRUE(Sim().delayedMoves().empty());
        EXPECT_FALSE(FileExists("C:\\WINDOWS\\WININIT.INI") &&
                     ReadFile("C:\\WINDOWS\\WININIT.INI").find("NUL=") != std::string::npos);
        for (const char* runOnce : {kRunOnceHklm, kRunOnceHkcu}) {
            const auto key = Sim().registry().FindKey(Utf16Of(runOnce));
            EXPECT_TRUE(!key || key->values.empty()) << runOnce;
        }
        for (const auto& call : Sim().winExecCalls()) {
            // The batch started at once ends at its stop file; its second file is gone.
            EXPECT_TRUE(FileExists(call.commandLine + ".stop") || !FileExists(call.commandLine)) << call.commandLine;
            EXPECT_FALSE(FileExists(call.commandLine + ".bat")) << call.commandLine;
        }
    }
};

}  // namespace

TEST_F(BackupSim, WhenTheBackupCannotBeMadeNothingIsChangedAndEachLineSaysWhy) {
    CreateKey("Doomed");
    SetValue("Run", "pest", REG_SZ, Sz("x"));
    WriteFile(InScratch("pest.exe"), "MZ");
    WriteFile(InScratch("test.ini"), "[boot]\r\nshell=pest\r\n");
    WriteScript(R"(
        description "no room for a backup"
        owner "Pest"
        delete key '{KEY}\Doomed'
        delete value '{KEY}\Run' "pest" REG_SZ
        delete file '{DIR}\pest.exe'
        delete ini-value '{DIR}\test.ini' "boot" "shell"
    )");
    const AreaSnapshot before = Snapshot();
    Sim().faults().Fail("CreateDirectoryA", ERROR_DISK_FULL).ForPath(BackupsFolder());
    Scan();
    const PassResult removal = Remove();

    EXPECT_TRUE(removal.hadErrors);
    EXPECT_TRUE(removal.backupFolder.empty());
    const AreaSnapshot after = Snapshot();
    EXPECT_EQ(after, before) << Differences(before, after);
    ASSERT_EQ(report.RowCount(), 4);
    for (const auto& row : Rows(report)) {
        EXPECT_EQ(row.at(1).rfind("Error ", 0), 0u) << row.at(1);
        ASSERT_EQ(row.size(), 5u);
        EXPECT_EQ(row[4].rfind("not changed: the backup failed", 0), 0u) << row[4];
    }
}

TEST_F(BackupSim, AFileLeftForTheNextStartIsPutBackAndItsDeletionCancelledOnEveryRoad) {
    struct Road {
        const char* name;
        unsigned platformId;
        bool refuseRunOnce;
    };
    for (const Road road : {Road{"batch", VER_PLATFORM_WIN32_NT, false}, Road{"reboot", VER_PLATFORM_WIN32_NT, true},
                            Road{"wininit", VER_PLATFORM_WIN32_WINDOWS, true}}) {
        SCOPED_TRACE(road.name);
        Sim().settings().platformId = road.platformId;
        if (road.refuseRunOnce) {
            Sim().registry().RefuseAccess(kRunOnceHklm, KEY_SET_VALUE);
            Sim().registry().RefuseAccess(kRunOnceHkcu, KEY_SET_VALUE);
        }
        const std::string path = InScratch(std::string(road.name) + ".dll");
        WriteFile(path, "in use");
        WriteScript("description \"in use\"\nowner \"Pest\"\ndelete file '" + path + "'\n");
        const AreaSnapshot before = Snapshot();
        {
            const FileHandle held = HeldOpen(path);
            ASSERT_TRUE(held);
            ScanAndRemove();
        }
        ASSERT_EQ(report.RowCount(), 1);
        EXPECT_EQ(Row(report, 0).at(1), kReportPendingText) << Row(report, 0).back();
        EXPECT_TRUE(FileExists(path));

        const RestoreOutcome outcome = Restore(Latest());
        EXPECT_EQ(outcome.failed, 0);
        EXPECT_EQ(outcome.kept, 0);
        const AreaSnapshot after = Snapshot();
        EXPECT_EQ(after, before) << Differences(before, after);
        ExpectNoDeletionPending();
        P().DeleteFileA(path.c_str());
    }
}

TEST_F(BackupSim, ALockedFileIsStillLeftForTheNextStartAndARestoreBeforeThenCancelsIt) {
    const std::string path = InScratch("locked.dll");
    WriteFile(path, "locked");
    Sim().disk().MarkInUse(path, ERROR_SHARING_VIOLATION);
    WriteScript("description \"locked\"\nowner \"Pest\"\ndelete file '" + path + "'\n");
    ScanAndRemove();
    ASSERT_EQ(report.RowCount(), 1);
    EXPECT_EQ(Row(report, 0).at(1), kReportPendingText);
    EXPECT_NE(Row(report, 0).back().find("the backup holds no copy"), std::string::npos) << Row(report, 0).back();

    const RestoreOutcome outcome = Restore(Latest());
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(ReadFile(path), "locked");
    ExpectNoDeletionPending();
}

}  // namespace qm::test
