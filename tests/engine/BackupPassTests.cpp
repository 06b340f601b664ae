// Backups of a removal pass and their restore, on both backends: every kind
// of change a cleanup makes is undone exactly (keys, values, files, folders
// with their attributes and times, INI files, renames, creations), a restore
// keeps what now stands in an object's way, and a restore can itself be
// undone.
#include <string>

#include "tests/engine/BackupFixture.h"

namespace qm::test {

namespace {

class BackupPass : public BackupTest {
protected:
    // A pest's traces of every kind a cleanup changes.
    void PlantPest() {
        CreateKey("Doomed\\Sub\\Deep");
        SetValue("Doomed", "", REG_SZ, Sz("default"));
        SetValue("Doomed\\Sub", "bytes", REG_BINARY, std::string("\x00\x01\xfe", 3));
        SetValue("Doomed\\Sub\\Deep", "list", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
        SetRawValue("Doomed\\Sub\\Deep", u"\u00e9t\u00e9 \u65e5", REG_SZ, Sz("wide name"));
        SetValue("Run", "pest", REG_SZ, Sz("C:\\pest.exe"));
        SetValue("Run", "keep", REG_DWORD, std::string("\x07\0\0\0", 4));
        SetValue("Main", "Start Page", REG_SZ, Sz("http://pest"));
        WriteFile(InScratch("pest.exe"), "MZ pest");
        P().CreateDirectoryA(InScratch("Pest Folder").c_str(), nullptr);
        P().CreateDirectoryA(InScratch("Pest Folder\\inner").c_str(), nullptr);
        WriteFile(InScratch("Pest Folder\\inner\\a.dat"), "a");
        WriteFile(InScratch("Pest Folder\\hidden.dat"), std::string(70000, 'h'));
        WriteFile(InScratch("old.txt"), "renamed");
        WriteFile(InScratch("test.ini"), "; kept comment\r\n[boot]\r\nshell=explorer.exe pest.exe\r\n[Pest]\r\nx=1\r\n");
        // Times far from now: a restore must put them back, not just leave "now".
        for (const char* name : {"pest.exe", "old.txt", "test.ini", "Pest Folder\\hidden.dat",
                                 "Pest Folder\\inner\\a.dat", "Pest Folder\\inner", "Pest Folder"})
            SetTimes(InScratch(name), 0x01c0000000000000ull);
        P().SetFileAttributesA(InScratch("Pest Folder\\hidden.dat").c_str(),
                               FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    }
    void WritePestScript() {
        WriteScript(R"(
            description "every kind of change"
            owner "Pest"
            delete key '{KEY}\Doomed'
            delete value '{KEY}\Run' "pest" REG_SZ
            change value '{KEY}\Main' "Start Page" REG_SZ from "http://pest\0" to "about:blank"
            add value '{KEY}\Main' "Added" REG_SZ "x"
            add key '{KEY}\New\Deeper'
            delete file '{DIR}\pest.exe'
            delete folder '{DIR}\Pest Folder'
            rename file '{DIR}\old.txt' to '{DIR}\new.txt'
            add folder '{DIR}\made\deeper'
            change ini-value '{DIR}\test.ini' "boot" "shell" from "explorer.exe pest.exe" to "explorer.exe"
            delete ini-section '{DIR}\test.ini' "Pest"
        )");
    }

};

}  // namespace

TEST_F(BackupPass, EveryChangeOfACleanupIsUndoneExactly) {
    PlantPest();
    WritePestScript();
    const AreaSnapshot before = Snapshot();

    Scan();
    const PassResult removal = Remove();
    ASSERT_FALSE(removal.hadErrors);
    ASSERT_FALSE(removal.backupFolder.empty());
    const AreaSnapshot cleaned = Snapshot();
    EXPECT_NE(cleaned, before);
    EXPECT_FALSE(FileExists(InScratch("pest.exe")));
    EXPECT_TRUE(FileExists(InScratch("new.txt")));

    const BackupInfo backup = Latest();
    EXPECT_EQ(backup.folder, removal.backupFolder);
    EXPECT_EQ(backup.kind, "cleanup");
    EXPECT_EQ(backup.script, scriptPath);
    EXPECT_EQ(backup.changes, removal.backupChanges);

    const RestoreOutcome outcome = Restore(backup);
    EXPECT_EQ(outcome.kept, 0);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_GT(outcome.restored, 0);
    const AreaSnapshot restored = Snapshot();
    EXPECT_EQ(restored, before) << Differences(before, restored);
}

TEST_F(BackupPass, WhatNowStandsInTheWayIsKeptAndCanBeRestoredOnceItIsGone) {
    PlantPest();
    WritePestScript();
    const AreaSnapshot before = Snapshot();
    ScanAndRemove();
    const BackupInfo backup = Latest();

    // Since the cleanup, a file of the same name and a value of the same
    // name came back with other contents.
    WriteFile(InScratch("pest.exe"), "someone else's file");
    SetValue("Run", "pest", REG_SZ, Sz("other"));
    RestoreOutcome outcome = Restore(backup);
    EXPECT_EQ(outcome.kept, 2);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(ReadFile(InScratch("pest.exe")), "someone else's file");
    EXPECT_EQ(GetValue("Run", "pest")->second, Sz("other"));
    int notDone = 0;
    for (const auto& row : Rows(restoreReport))
        if (row.at(1).rfind("Not done: ", 0) == 0) {
            ++notDone;
            EXPECT_FALSE(row.at(4).empty()) << "a kept change says why";
        }
    EXPECT_EQ(notDone, 2);

    // Once they are gone, the same backup puts back what was left in it.
    P().DeleteFileA(InScratch("pest.exe").c_str());
    HKEY run = 0;
    ASSERT_EQ(P().RegOpenKeyExA(HKCU, (ScratchKey() + "\\Run").c_str(), 0, KEY_SET_VALUE, &run), ERROR_SUCCESS);
    P().RegDeleteValueA(run, "pest");
    P().RegCloseKey(run);
    outcome = Restore(backup);
    EXPECT_EQ(outcome.restored, 2);
    EXPECT_EQ(outcome.kept, 0);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_GT(outcome.restoredBefore, 0);
    const auto again = FindBackup(backup.id);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->restored, again->changes);
    const AreaSnapshot restored = Snapshot();
    EXPECT_EQ(restored, before) << Differences(before, restored);
}

TEST_F(BackupPass, ARestoreIsItselfKeptAndCanBeUndone) {
    PlantPest();
    WritePestScript();
    ScanAndRemove();
    const AreaSnapshot cleaned = Snapshot();
    const BackupInfo cleanup = Latest();
    const RestoreOutcome outcome = Restore(cleanup);
    ASSERT_FALSE(outcome.backupFolder.empty());

    const BackupInfo restore = Latest();
    EXPECT_EQ(restore.kind, "restore");
    EXPECT_EQ(restore.of, cleanup.id);
    EXPECT_EQ(restore.folder, outcome.backupFolder);
    const RestoreOutcome undone = Restore(restore);
    EXPECT_EQ(undone.kept, 0);
    EXPECT_EQ(undone.failed, 0);
    const AreaSnapshot again = Snapshot();
    EXPECT_EQ(again, cleaned) << Differences(cleaned, again);
}

TEST_F(BackupPass, APassThatChangesNothingKeepsNoBackup) {
    WriteScript(R"(
        description "absent"
        owner "Pest"
        delete file '{DIR}\absent.exe'
        delete key '{KEY}\Absent'
    )");
    const auto before = ListBackups().size();
    const PassResult removal = ScanAndRemove();
    EXPECT_TRUE(removal.backupFolder.empty());
    EXPECT_EQ(ListBackups().size(), before);
}

TEST_F(BackupPass, UnknownAndLatestBackupsAreFoundByTheirNames) {
    PlantPest();
    WritePestScript();
    ScanAndRemove();
    const BackupInfo latest = Latest();
    ASSERT_TRUE(FindBackup(latest.id).has_value());
    EXPECT_EQ(FindBackup(latest.id)->folder, latest.folder);
    EXPECT_FALSE(FindBackup("1999-01-01 00.00.00").has_value());
    EXPECT_FALSE(FindBackup("..\\..").has_value());
    EXPECT_FALSE(FindBackup("").has_value());
}

TEST_F(BackupPass, ManyCopiesAreSpreadOverFoldersAndAllComeBack) {
    // 450 saved values: more than one folder of copies holds.
    std::string script = "description \"many\"\nowner \"Pest\"\n";
    for (int i = 0; i < 450; ++i) {
        SetValue("Many", "v" + std::to_string(i), REG_SZ, Sz("data " + std::to_string(i)));
        script += "delete value '{KEY}\\Many' \"v" + std::to_string(i) + "\" REG_SZ\n";
    }
    WriteScript(script);
    const AreaSnapshot before = Snapshot();
    const PassResult removal = ScanAndRemove();
    ASSERT_FALSE(removal.hadErrors);
    ASSERT_EQ(removal.backupChanges, 450);

    // Each folder of copies holds at most 200; the backup's own folder none.
    int copies = 0, folders = 0;
    WIN32_FIND_DATAA found;
    for (FindHandle top(P(), P().FindFirstFileA((removal.backupFolder + "\\*").c_str(), &found));
         top && found.cFileName[0] != '\0';) {
        const std::string name = found.cFileName;
        if (name != "." && name != ".." && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            ++folders;
            int inFolder = 0;
            WIN32_FIND_DATAA inner;
            FindHandle sub(P(), P().FindFirstFileA((removal.backupFolder + "\\" + name + "\\*.reg").c_str(), &inner));
            if (sub)
                do ++inFolder;
                while (P().FindNextFileA(sub.get(), &inner));
            EXPECT_LE(inFolder, 200) << name;
            copies += inFolder;
        } else if (name.size() > 4 && name.substr(name.size() - 4) == ".reg") {
            ADD_FAILURE() << "a copy outside the folders of copies: " << name;
        }
        if (!P().FindNextFileA(top.get(), &found)) break;
    }
    EXPECT_EQ(copies, 450);
    EXPECT_EQ(folders, 3);

    const BackupInfo cleanup = Latest();
    const RestoreOutcome outcome = Restore(cleanup);
    EXPECT_EQ(outcome.restored, 450);
    EXPECT_EQ(outcome.failed, 0);
    const AreaSnapshot restored = Snapshot();
    EXPECT_EQ(restored, before) << Differences(before, restored);
    // Deleting the backup takes its folders of copies too.
    std::string error;
    ASSERT_TRUE(DeleteBackup(cleanup, error)) << error;
    EXPECT_EQ(P().GetFileAttributesA(removal.backupFolder.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace qm::test
