// The report page's "Save report...": the report shown (a cleanup's, a
// restore's) into the file the user chooses, as text or JSON, on a
// simulated machine through the in-memory view.
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "engine/DiskState.h"
#include "shell/SavedReport.h"
#include "tests/shell/WizardOnMachine.h"

namespace qm {

namespace {

class SaveReportButton : public WizardOnMachine {
protected:
    // Clicks "Save report..." and answers the dialog with this file.
    std::optional<std::string> SaveAs(const std::string& path, int fileType) {
        view.saveAnswer = ReportFileChoice{path, fileType};
        wizard->bSaveReportClick();
        return ReadFileBytes(path);
    }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST_F(SaveReportButton, SavesTheCleanupsReportAsTheFileTypeChosen) {
    Cleanup(ScriptA(), kMonday);
    view.saveAnswer.reset();
    wizard->bSaveReportClick();
    ASSERT_EQ(view.saveRequests.size(), 1u);
    EXPECT_EQ(view.saveRequests[0].suggestedName, "Quellmar report 2005-03-07 09-05-02");
    char desktop[MAX_PATH + 1] = {};
    ASSERT_EQ(machine.SHGetFolderPathA(0, CSIDL_DESKTOPDIRECTORY, 0, 0, desktop), S_OK);
    EXPECT_EQ(view.saveRequests[0].initialFolder, desktop) << "the dialog opens on the desktop";
    EXPECT_EQ(view.saveRequests[0].filter, kReportFileFilter);
    EXPECT_FALSE(ReadFileBytes("C:\\scripts\\Quellmar report 2005-03-07 09-05-02.txt").has_value())
        << "cancelled: nothing written";

    // The extension decides; without a known one, the file type chosen.
    struct Case {
        const char* path;
        int fileType;
        bool json;
    };
    for (const Case& c : {Case{"C:\\scripts\\r1.txt", 1, false}, Case{"C:\\scripts\\r2.TXT", 2, false},
                          Case{"C:\\scripts\\r3.json", 1, true}, Case{"C:\\scripts\\r4", 2, true},
                          Case{"C:\\scripts\\r.5", 1, false}}) {
        const std::optional<std::string> saved = SaveAs(c.path, c.fileType);
        ASSERT_TRUE(saved.has_value()) << c.path;
        EXPECT_EQ(*saved, wizard->ReportContents(c.json)) << c.path;
    }
    const std::string text = *ReadFileBytes("C:\\scripts\\r1.txt");
    EXPECT_TRUE(Contains(text, "report of a cleanup")) << text;
    EXPECT_TRUE(Contains(text, "a.dat")) << "the report's lines: " << text;
    EXPECT_TRUE(Contains(text, FindBackup(IdOf(kMonday))->folder)) << "and where its backup is";
    EXPECT_TRUE(Contains(*ReadFileBytes("C:\\scripts\\r3.json"), "\"formatVersion\": 1"));
    EXPECT_TRUE(view.errorsShown.empty());

    // A file that cannot be written: the user is told, and nothing else changes.
    EXPECT_FALSE(SaveAs("C:\\no such folder\\r.txt", 1).has_value());
    ASSERT_EQ(view.errorsShown.size(), 1u);
    EXPECT_TRUE(Contains(view.errorsShown[0], "The report was not saved")) << view.errorsShown[0];
    EXPECT_TRUE(Contains(view.errorsShown[0], "C:\\no such folder\\r.txt")) << view.errorsShown[0];
    EXPECT_EQ(view.PageIndex(), kPagePRaport);
}

TEST_F(SaveReportButton, SavesARestoresReportWhileTheReportPageShowsIt) {
    Cleanup(ScriptA(), kMonday);
    OpenUndo();
    machine.settings().localTime = kTuesday;
    view.confirmAnswer = true;
    wizard->bRestoreBackupClick();
    ASSERT_EQ(view.PageIndex(), kPagePRaport);
    const std::optional<std::string> restore = SaveAs("C:\\scripts\\restore.txt", 1);
    ASSERT_TRUE(restore.has_value());
    EXPECT_TRUE(Contains(*restore, "report of a restore")) << *restore;
    EXPECT_TRUE(Contains(*restore, "Restore file")) << *restore;
    EXPECT_EQ(view.saveRequests.back().suggestedName, "Quellmar report 2005-03-08 10-00-00");

    // In the same window, back to the welcome page and a cleanup again: its
    // own report, not the restore's.
    machine.settings().localTime = kWednesday;
    BackToWelcome();
    wizard->bNextClick();
    wizard->bNextClick();
    ASSERT_EQ(view.PageIndex(), kPagePRaport);
    const std::optional<std::string> cleanup = SaveAs("C:\\scripts\\cleanup.txt", 1);
    ASSERT_TRUE(cleanup.has_value());
    EXPECT_TRUE(Contains(*cleanup, "report of a cleanup") && Contains(*cleanup, "a.dat")) << *cleanup;
    EXPECT_FALSE(Contains(*cleanup, "Restore file")) << *cleanup;
}

TEST_F(SaveReportButton, DoesNothingOffTheReportPage) {
    Start(ScriptA());
    view.saveAnswer = ReportFileChoice{"C:\\scripts\\early.txt", 1};
    wizard->bSaveReportClick();
    EXPECT_TRUE(view.saveRequests.empty());
    EXPECT_FALSE(ReadFileBytes("C:\\scripts\\early.txt").has_value());
}

}  // namespace qm
