// Bare file and folder names through both passes: looked up in the search
// folders that the script adds, every copy found listed under the record's
// one item number, and the first row of that number deciding for all.
#include <string>
#include <vector>

#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

class SearchPass : public PassTest {
protected:
    // Three search folders; sorted without regard to case they come as
    // one, three, two, which is the order the lookup visits them in.
    void SetUp() override {
        PassTest::SetUp();
        for (const char* name : {"one", "two", "three"})
            ASSERT_TRUE(P().CreateDirectoryA(InScratch(name).c_str(), nullptr)) << P().GetLastError();
    }
    std::string In(const std::string& folder, const std::string& name) const {
        return InScratch(folder) + "\\" + name;
    }
    bool FolderExists(const std::string& path) {
        const DWORD attributes = P().GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    // The script's search folders: one with a trailing backslash, which is dropped.
    static std::string Folders() {
        return R"(
            description "bare names"
            owner "Pest"
            search-folder '{DIR}\one\'
            search-folder '{DIR}\two'
            search-folder '{DIR}\three'
        )";
    }
};

}  // namespace

TEST_F(SearchPass, ABareFileFoundInSeveralFoldersIsListedAndDeletedEverywhereUnderOneNumber) {
    for (const char* folder : {"one", "two", "three"}) WriteFile(In(folder, "qm-bare-pest.dat"), folder);
    WriteScript(Folders() + R"(
        delete file-text2 'qm-bare-pest.dat'
        delete file '{DIR}\one\qm-bare-pest.dat'
    )");
    Scan();
    // The further matches are listed at once, before the first match, which
    // the record's own operation lists when the lookup is over.
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", In("three", "qm-bare-pest.dat"), "*", "1"},
                                 {"Erase File", "Pest", In("two", "qm-bare-pest.dat"), "*", "1"},
                                 {"Erase File", "Pest", In("one", "qm-bare-pest.dat"), "*", "1"},
                                 {"Erase File", "Pest", In("one", "qm-bare-pest.dat"), "*", "3"}}));

    const PassResult removal = Remove();
    for (const char* folder : {"one", "two", "three"}) EXPECT_FALSE(FileExists(In(folder, "qm-bare-pest.dat")));
    // Files are deleted from the last to the first in sorted order.
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Delete ", InScratch("two") + "\\", "qm-bare-pest.dat"},
                                   {"Disk", "Delete ", InScratch("three") + "\\", "qm-bare-pest.dat"},
                                   {"Disk", "Delete ", InScratch("one") + "\\", "qm-bare-pest.dat"}}));
    EXPECT_FALSE(removal.hadErrors);
}

TEST_F(SearchPass, TheFirstRowOfTheNumberDecidesForEveryCopy) {
    WriteScript(Folders() + "delete file-text2 'qm-bare-pest.dat'\n");
    struct Case {
        const char* what;
        int uncheckedRow;  // -1: none
        bool deleted;
    };
    // Row 0 is the copy in "three", the first row carrying number 1; the
    // copy in "one", the lookup's own result, is the last row.
    for (const Case& c : {Case{"first row unchecked", 0, false}, Case{"second row unchecked", 1, true},
                          Case{"last row unchecked", 2, true}}) {
        SCOPED_TRACE(c.what);
        for (const char* folder : {"one", "two", "three"}) WriteFile(In(folder, "qm-bare-pest.dat"), folder);
        Scan();
        ASSERT_EQ(disk.RowCount(), 3);
        EXPECT_EQ(disk.SubItem(0, 1), In("three", "qm-bare-pest.dat"));
        disk.SetChecked(c.uncheckedRow, false);
        Remove();
        for (const char* folder : {"one", "two", "three"})
            EXPECT_EQ(FileExists(In(folder, "qm-bare-pest.dat")), !c.deleted) << folder;
        if (c.deleted)
            EXPECT_EQ(report.RowCount(), 3);
        else
            EXPECT_EQ(Rows(report), (Table{{"Noting to do..."}}));
    }
}

TEST_F(SearchPass, ABareFolderNameFoundInThreeFoldersGivesThreeRowsWithOneNumber) {
    for (const char* folder : {"one", "two", "three"}) {
        ASSERT_TRUE(P().CreateDirectoryA(In(folder, "qm-bare-folder").c_str(), nullptr));
        WriteFile(In(folder, "qm-bare-folder\\inside.txt"), "x");
    }
    WriteScript(Folders() + "delete folder 'qm-bare-folder'\n");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Delte  Folder", "Pest", In("three", "qm-bare-folder"), "*", "1"},
                                 {"Delte  Folder", "Pest", In("two", "qm-bare-folder"), "*", "1"},
                                 {"Delte  Folder", "Pest", In("one", "qm-bare-folder"), "*", "1"}}));

    disk.SetChecked(0, false);
    Remove();
    for (const char* folder : {"one", "two", "three"}) EXPECT_TRUE(FolderExists(In(folder, "qm-bare-folder")));

    disk.SetChecked(0, true);
    disk.SetChecked(2, false);
    Remove();
    for (const char* folder : {"one", "two", "three"}) EXPECT_FALSE(FolderExists(In(folder, "qm-bare-folder")));
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Delete ", In("two", "qm-bare-folder"), ""},
                                   {"Disk", "Delete ", In("three", "qm-bare-folder"), ""},
                                   {"Disk", "Delete ", In("one", "qm-bare-folder"), ""}}));
}

TEST_F(SearchPass, FileLookupsFindOnlyFilesFolderLookupsOnlyFoldersRelativeNamesAsTheyStand) {
    ASSERT_TRUE(P().CreateDirectoryA(In("one", "qm-mixed").c_str(), nullptr));
    WriteFile(In("two", "qm-mixed"), "file");
    ASSERT_TRUE(P().CreateDirectoryA(In("three", "sub").c_str(), nullptr));
    WriteFile(In("three", "sub\\qm-relative.dat"), "r");
    WriteScript(Folders() + R"(
        delete file-text2 'qm-mixed'
        delete folder 'qm-mixed'
        delete file 'sub\qm-relative.dat'
        delete file-text2 'qm-nowhere.dat'
    )");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", In("two", "qm-mixed"), "*", "1"},
                                 {"Delte  Folder", "Pest", In("one", "qm-mixed"), "*", "3"},
                                 {"Erase File", "Pest", In("three", "sub\\qm-relative.dat"), "*", "4"}}));
}

TEST_F(SearchPass, AFolderAddedByTheScriptServesOnlyTheRecordsAfterIt) {
    WriteFile(In("one", "qm-late.dat"), "l");
    WriteScript(R"(
        description "late folder"
        owner "Pest"
        delete file-text2 'qm-late.dat'
        search-folder '{DIR}\one'
        delete file-text2 'qm-late.dat'
    )");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", In("one", "qm-late.dat"), "*", "3"}}));
    Remove();
    EXPECT_FALSE(FileExists(In("one", "qm-late.dat")));
}

}  // namespace qm::test
