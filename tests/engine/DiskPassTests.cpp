// Files and folders through both passes, on real folders: what the scan
// lists, what the removal pass does at once (creations, renames) and what it
// leaves to the end of the pass (deletions), with the report lines of each.
#include <string>
#include <vector>

#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

class DiskPass : public PassTest {
protected:
    std::string Dir() const { return Scratch() + "\\"; }
    bool FolderExists(const std::string& path) {
        const DWORD attributes = P().GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    void MakeFolder(const std::string& path) {
        ASSERT_TRUE(P().CreateDirectoryA(path.c_str(), nullptr)) << path << " " << P().GetLastError();
    }
};

}  // namespace

TEST_F(DiskPass, RenamesAreListedByWhatLiesAtTheOldPathWhateverTheRecordSays) {
    MakeFolder(InScratch("old folder"));
    WriteFile(InScratch("old.txt"), "moved");
    WriteFile(InScratch("taken.txt"), "t");
    WriteFile(InScratch("existing.txt"), "e");
    WriteScript(R"(
        description "renames"
        owner "Pest"
        rename file '{DIR}\old folder' to '{DIR}\new folder'
        rename folder '{DIR}\old.txt' to '{DIR}\new.txt'
        rename file '{DIR}\missing.txt' to '{DIR}\nothing.txt'
        rename folder '{DIR}\missing folder' to '{DIR}\nothing folder'
        rename file '{DIR}\taken.txt' to '{DIR}\existing.txt'
    )");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Rename Folder", "Pest", Dir() + "new folder", Dir() + "old folder", "1"},
                                 {"Rename File", "Pest", Dir() + "new.txt", Dir() + "old.txt", "2"},
                                 {"Rename File", "Pest", Dir() + "existing.txt", Dir() + "taken.txt", "5"}}));
    EXPECT_EQ(disk.ImageIndex(0), 2);
    EXPECT_EQ(disk.ImageIndex(1), 3);

    const PassResult removal = Remove();
    EXPECT_TRUE(FolderExists(InScratch("new folder")));
    EXPECT_FALSE(FolderExists(InScratch("old folder")));
    EXPECT_EQ(ReadFile(InScratch("new.txt")), "moved");
    EXPECT_FALSE(FileExists(InScratch("old.txt")));
    // The new name is taken: MoveFileA refuses and nothing is overwritten.
    EXPECT_EQ(ReadFile(InScratch("existing.txt")), "e");
    EXPECT_TRUE(FileExists(InScratch("taken.txt")));
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Rename ", Dir(), "new folder"},
                                   {"Disk", "Rename ", Dir(), "new.txt"},
                                   {"Disk", "Error Rename ", Dir(), "existing.txt"}}));
    EXPECT_EQ(report.ImageIndex(0), 8);
    EXPECT_EQ(report.ImageIndex(2), 7);
    EXPECT_TRUE(removal.hadErrors);

    // Renamed, the old paths are gone: nothing left to list.
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Rename File", "Pest", Dir() + "existing.txt", Dir() + "taken.txt", "5"}}));
}

TEST_F(DiskPass, FoldersAreCreatedWithTheirMissingParents) {
    WriteFile(InScratch("plain.txt"), "a file, not a folder");
    WriteScript(R"(
        description "folders"
        owner "Pest"
        add folder '{DIR}'
        add folder '{DIR}\a\b\c'
        add folder '{DIR}\plain.txt\sub'
    )");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Create Folder", "Pest", Dir() + "a\\b\\c", "*", "2"},
                                 {"Create Folder", "Pest", Dir() + "plain.txt\\sub", "*", "3"}}));
    EXPECT_EQ(disk.ImageIndex(0), 2);

    const PassResult removal = Remove();
    EXPECT_TRUE(FolderExists(InScratch("a\\b\\c")));
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Add ", Dir() + "a\\b\\c", ""},
                                   {"Disk", "Error Add ", Dir() + "plain.txt\\sub", ""}}));
    EXPECT_TRUE(removal.hadErrors);

    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Create Folder", "Pest", Dir() + "plain.txt\\sub", "*", "3"}}));
}

TEST_F(DiskPass, DeletionsWaitForTheEndOfThePass) {
    // The rename after the deletion still finds the file: it is only queued.
    WriteFile(InScratch("doomed.txt"), "d");
    WriteScript(R"(
        description "late deletion"
        owner "Pest"
        delete file '{DIR}\doomed.txt'
        rename file '{DIR}\doomed.txt' to '{DIR}\moved.txt'
        delete file '{DIR}\missing.txt'
    )");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", Dir() + "doomed.txt", "*", "1"},
                                 {"Rename File", "Pest", Dir() + "moved.txt", Dir() + "doomed.txt", "3"}}));
    EXPECT_EQ(disk.ImageIndex(0), 3);
    EXPECT_EQ(process.RowCount(), 0);

    const PassResult removal = Remove();
    EXPECT_EQ(ReadFile(InScratch("moved.txt")), "d");
    // Gone when its turn came: that counts as deleted.
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Rename ", Dir(), "moved.txt"}, {"Disk", "Delete ", Dir(), "doomed.txt"}}));
    EXPECT_EQ(report.ImageIndex(1), 8);
    EXPECT_FALSE(removal.hadErrors);
}

TEST_F(DiskPass, TheSameFileNamedTwiceInOtherCaseIsListedTwiceButDeletedAndReportedOnce) {
    WriteFile(InScratch("Twice.txt"), "t");
    WriteScript(R"(
        description "twice"
        owner "Pest"
        delete file '{DIR}\Twice.txt'
        delete file '{DIR}\TWICE.TXT'
    )");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", Dir() + "Twice.txt", "*", "1"},
                                 {"Erase File", "Pest", Dir() + "TWICE.TXT", "*", "3"}}));
    Remove();
    EXPECT_FALSE(FileExists(InScratch("Twice.txt")));
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Delete ", Dir(), "Twice.txt"}}));
}

TEST_F(DiskPass, FoldersGoWithTheirContentAfterTheFilesSubFoldersBeforeTheirParents) {
    MakeFolder(InScratch("A"));
    MakeFolder(InScratch("A\\B"));
    MakeFolder(InScratch("A\\B\\C"));
    WriteFile(InScratch("A\\B\\deep.txt"), "x");
    WriteFile(InScratch("A\\B\\C\\deeper.txt"), "y");
    WriteScript(R"(
        description "folders"
        owner "Pest"
        delete folder '{DIR}\A'
        delete folder '{DIR}\missing'
        delete folder '{DIR}\A\B'
        delete file '{DIR}\A\B\deep.txt'
    )");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Delte  Folder", "Pest", Dir() + "A", "*", "1"},
                                 {"Delte  Folder", "Pest", Dir() + "A\\B", "*", "3"},
                                 {"Erase File", "Pest", Dir() + "A\\B\\deep.txt", "*", "4"}}));
    EXPECT_EQ(disk.ImageIndex(0), 2);

    const PassResult removal = Remove();
    EXPECT_FALSE(FolderExists(InScratch("A")));
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Delete ", Dir() + "A\\B\\", "deep.txt"},
                                   {"Disk", "Delete ", Dir() + "A\\B", ""},
                                   {"Disk", "Delete ", Dir() + "A", ""}}));
    EXPECT_FALSE(removal.hadErrors);
}

TEST_F(DiskPass, UncheckedRowsLeaveTheirItemsAlone) {
    WriteFile(InScratch("keep.txt"), "k");
    MakeFolder(InScratch("Keep"));
    WriteFile(InScratch("old.txt"), "o");
    WriteScript(R"(
        description "unchecked"
        owner "Pest"
        delete file '{DIR}\keep.txt'
        delete folder '{DIR}\Keep'
        add folder '{DIR}\New'
        rename file '{DIR}\old.txt' to '{DIR}\new.txt'
    )");
    Scan();
    ASSERT_EQ(disk.RowCount(), 4);
    for (int row = 0; row < disk.RowCount(); ++row) disk.SetChecked(row, false);

    PassResult removal = Remove();
    EXPECT_TRUE(FileExists(InScratch("keep.txt")));
    EXPECT_TRUE(FolderExists(InScratch("Keep")));
    EXPECT_FALSE(FolderExists(InScratch("New")));
    EXPECT_TRUE(FileExists(InScratch("old.txt")));
    EXPECT_EQ(Rows(report), (Table{{"Noting to do..."}}));
    EXPECT_FALSE(removal.hadErrors);

    // Only the rename checked again: only the rename happens.
    disk.SetChecked(3, true);
    Remove();
    EXPECT_TRUE(FileExists(InScratch("new.txt")));
    EXPECT_TRUE(FileExists(InScratch("keep.txt")));
    EXPECT_FALSE(FolderExists(InScratch("New")));
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Rename ", Dir(), "new.txt"}}));
}

}  // namespace qm::test
