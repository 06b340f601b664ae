// The wizard's undo page on a simulated machine, driven through the
// in-memory view: backups made by real cleanups (and restores) are listed
// newest first, restored with a report of their own, deleted; the empty
// list; Back; and one operation at a time while a restore runs.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/shell/WizardOnMachine.h"

namespace qm {

namespace {

class UndoPageTest : public WizardOnMachine {};

}  // namespace

TEST_F(UndoPageTest, ListsTheBackupsNewestFirst) {
    Cleanup(ScriptA(), kMonday);
    const auto monday = FindBackup(IdOf(kMonday));
    ASSERT_TRUE(monday.has_value()) << "the cleanup kept a backup, as the box said";
    EXPECT_EQ(view.Caption(Widget::lbBackupFolder), "Backup to undo this cleanup: " + monday->folder);
    Cleanup(ScriptB(), kTuesday);

    OpenUndo();
    EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{{"2005-03-08 10:00:00", "C:\\scripts\\b.malware", "1"},
                                                             {"2005-03-07 09:05:02", "C:\\scripts\\a.malware", "2"}}));
    EXPECT_EQ(view.SelectedRow(Widget::AdvBackups), 0) << "the newest is chosen";
    EXPECT_TRUE(view.Visible(Widget::AdvBackups));
    EXPECT_FALSE(view.Visible(Widget::lbNoBackup));
    EXPECT_TRUE(view.Enabled(Widget::bRestoreBackup) && view.Enabled(Widget::bDeleteBackup));
    EXPECT_TRUE(view.Enabled(Widget::bBack));
    EXPECT_FALSE(view.Enabled(Widget::bNext));
    EXPECT_GT(static_cast<MemoryItemList&>(view.List(Widget::AdvBackups)).fitCount(), 0) << "the columns are fitted";

    wizard->bBackClick();
    EXPECT_EQ(view.PageIndex(), kPagePreclama);
    EXPECT_FALSE(view.Enabled(Widget::bBack));
    EXPECT_TRUE(view.Enabled(Widget::bNext)) << "the script is still loaded";
}

TEST_F(UndoPageTest, ARestoreShowsItsReportAndItsOwnBackup) {
    Cleanup(ScriptA(), kMonday);
    ASSERT_TRUE(KeyExists("Software\\UndoTest"));
    ASSERT_FALSE(Exists("C:\\pest\\a.dat"));
    OpenUndo();
    machine.settings().localTime = kTuesday;
    view.confirmAnswer = true;
    wizard->bRestoreBackupClick();

    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_NE(view.questions[0].find("Restore the backup " + IdOf(kMonday) + "?"), std::string::npos);
    EXPECT_EQ(view.PageIndex(), kPagePRaport);
    EXPECT_FALSE(KeyExists("Software\\UndoTest")) << "the added key is taken away";
    EXPECT_TRUE(Exists("C:\\pest\\a.dat")) << "the deleted file is back";
    ItemList& report = view.List(Widget::AdvRaport);
    std::vector<std::string> operations;
    for (int row = 0; row < report.RowCount(); ++row) operations.push_back(report.SubItem(row, 0));
    EXPECT_EQ(operations, (std::vector<std::string>{"Restore file", "Remove added key"})) << "the cleanup, backwards";
    EXPECT_EQ(view.Caption(Widget::lbSummary), "2 restored, 0 left in the backup, 0 failed");
    const auto own = FindBackup(IdOf(kTuesday));
    ASSERT_TRUE(own.has_value()) << "the restore kept a backup of its own";
    EXPECT_EQ(view.Caption(Widget::lbBackupFolder), "Backup to undo this restore: " + own->folder);
    EXPECT_FALSE(view.Visible(Widget::bRetry));
    EXPECT_FALSE(view.Visible(Widget::TeProgressBarRestore));
    EXPECT_EQ(view.Progress(Widget::TeProgressBarRestore), 2);
    EXPECT_EQ(view.ProgressMax(Widget::TeProgressBarRestore), 2);
    EXPECT_TRUE(view.Enabled(Widget::bBack));
    EXPECT_FALSE(view.Enabled(Widget::bNext));

    // Back: the list again, with the restore's backup on top saying what it undid.
    wizard->bBackClick();
    EXPECT_EQ(view.PageIndex(), kPageUndo);
    EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{{"2005-03-08 10:00:00", "undid " + IdOf(kMonday), "2"},
                                                             {"2005-03-07 09:05:02", "C:\\scripts\\a.malware",
                                                              "2 (2 restored)"}}));

    // Restored again, the cleanup's backup has nothing left to do and keeps no backup.
    machine.settings().localTime = kWednesday;
    view.SelectRow(Widget::AdvBackups, 1);
    wizard->bRestoreBackupClick();
    EXPECT_EQ(view.Caption(Widget::lbSummary), "0 restored, 0 left in the backup, 0 failed (2 restored earlier)");
    EXPECT_EQ(view.Caption(Widget::lbBackupFolder), "The restore changed nothing; it kept no backup.");
    EXPECT_EQ(ListBackups().size(), 2u);

    wizard->bBackClick();
    wizard->bBackClick();
    EXPECT_EQ(view.PageIndex(), kPagePreclama);
    EXPECT_TRUE(view.Enabled(Widget::bNext));
}

TEST_F(UndoPageTest, DeletingRemovesTheChosenBackup) {
    Cleanup(ScriptA(), kMonday);
    Cleanup(ScriptB(), kTuesday);
    OpenUndo();
    view.confirmAnswer = true;
    view.SelectRow(Widget::AdvBackups, 1);
    wizard->bDeleteBackupClick();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].rfind("Delete the backup " + IdOf(kMonday) + "?", 0), 0u) << view.questions[0];
    EXPECT_EQ(view.Caption(Widget::lbUndoStatus), "Deleted the backup " + IdOf(kMonday) + ".");
    EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{{"2005-03-08 10:00:00", "C:\\scripts\\b.malware", "1"}}));
    EXPECT_FALSE(FindBackup(IdOf(kMonday)).has_value());
    EXPECT_EQ(view.SelectedRow(Widget::AdvBackups), 0) << "the row now last is chosen";

    // The last one gone: the list gives way to its text.
    wizard->bDeleteBackupClick();
    EXPECT_TRUE(ListBackups().empty());
    EXPECT_FALSE(view.Visible(Widget::AdvBackups));
    EXPECT_TRUE(view.Visible(Widget::lbNoBackup));
    EXPECT_EQ(view.Caption(Widget::lbNoBackup), "There is no backup.");
    EXPECT_FALSE(view.Enabled(Widget::bRestoreBackup) || view.Enabled(Widget::bDeleteBackup));
}

TEST_F(UndoPageTest, AnsweringNoChangesNothing) {
    Cleanup(ScriptA(), kMonday);
    OpenUndo();
    view.confirmAnswer = false;
    struct Case {
        const char* button;
        void (TFQuarnUninstall::*click)();
    };
    for (const Case& c : {Case{"Restore", &TFQuarnUninstall::bRestoreBackupClick},
                          Case{"Delete", &TFQuarnUninstall::bDeleteBackupClick}}) {
        view.questions.clear();
        ((*wizard).*c.click)();
        EXPECT_EQ(view.questions.size(), 1u) << c.button << " asks first";
        EXPECT_EQ(view.PageIndex(), kPageUndo) << c.button;
        EXPECT_EQ(Rows().size(), 1u) << c.button;
        EXPECT_TRUE(KeyExists("Software\\UndoTest")) << c.button;
        EXPECT_EQ(ListBackups().size(), 1u) << c.button;
        EXPECT_EQ(ListBackups().at(0).restored, 0) << c.button;
    }
}

TEST_F(UndoPageTest, WithoutABackupTheListSaysSo) {
    // A cleanup with the box unchecked keeps none.
    machine.settings().localTime = kMonday;
    Start(ScriptA());
    view.SetChecked(Widget::cbKeepBackup, false);
    wizard->bNextClick();
    wizard->bNextClick();
    ASSERT_EQ(view.PageIndex(), kPagePRaport);
    EXPECT_TRUE(KeyExists("Software\\UndoTest")) << "the cleanup ran";
    EXPECT_EQ(view.Caption(Widget::lbBackupFolder), "No backup was kept of this cleanup.");

    // A window whose script is missing: Next stays disabled, Undo still works.
    Start("C:\\scripts\\missing.malware");
    ASSERT_FALSE(view.Enabled(Widget::bNext));
    view.confirmAnswer = true;
    wizard->bUndoClick();
    EXPECT_EQ(view.PageIndex(), kPageUndo);
    EXPECT_EQ(view.List(Widget::AdvBackups).RowCount(), 0);
    EXPECT_FALSE(view.Visible(Widget::AdvBackups));
    EXPECT_TRUE(view.Visible(Widget::lbNoBackup));
    EXPECT_EQ(view.Caption(Widget::lbNoBackup), "There is no backup.");
    EXPECT_FALSE(view.Enabled(Widget::bRestoreBackup) || view.Enabled(Widget::bDeleteBackup));
    wizard->bRestoreBackupClick();
    wizard->bDeleteBackupClick();
    EXPECT_TRUE(view.questions.empty()) << "nothing chosen, nothing asked";

    wizard->bBackClick();
    EXPECT_EQ(view.PageIndex(), kPagePreclama);
    EXPECT_FALSE(view.Enabled(Widget::bBack));
    EXPECT_FALSE(view.Enabled(Widget::bNext)) << "as it was before";
}

TEST_F(UndoPageTest, WhileARestoreRunsNothingElseStarts) {
    Cleanup(ScriptA(), kMonday);
    OpenUndo();
    machine.settings().localTime = kTuesday;
    view.confirmAnswer = true;
    int refreshes = 0;
    bool held = true;
    bool closeAnswer = false;
    view.whileProcessingMessages = [&] {
        ++refreshes;
        held = held && wizard->Busy() && !view.Enabled(Widget::bBack) && !view.Enabled(Widget::bNext) &&
               !view.Enabled(Widget::TeButton2) && !view.Enabled(Widget::bRestoreBackup) &&
               !view.Enabled(Widget::bDeleteBackup) && view.Visible(Widget::TeProgressBarRestore);
        wizard->bBackClick();
        wizard->bNextClick();
        wizard->bRestoreBackupClick();
        wizard->bDeleteBackupClick();
        wizard->bUndoClick();
        wizard->TeButton1Click();
        closeAnswer = wizard->CloseQuery();
    };
    wizard->bRestoreBackupClick();
    view.whileProcessingMessages = nullptr;

    ASSERT_GT(refreshes, 0) << "the restore let the window handle its messages";
    EXPECT_TRUE(held) << "Back, Next, About, Restore and Delete are disabled while it runs";
    EXPECT_EQ(view.PageIndex(), kPagePRaport);
    EXPECT_EQ(view.aboutShown(), 0);
    EXPECT_EQ(ListBackups().size(), 2u) << "one restore, no deletion";
    EXPECT_EQ(view.Caption(Widget::lbSummary), "2 restored, 0 left in the backup, 0 failed");
    ASSERT_GE(view.questions.size(), 2u);
    EXPECT_EQ(view.questions[1], UndoPage::CloseQuestion()) << "Exit asks whether to close once it is done";
    EXPECT_TRUE(closeAnswer);
    EXPECT_FALSE(wizard->Busy());
    EXPECT_TRUE(wizard->CloseQuery()) << "after the restore Exit closes at once";
}

}  // namespace qm
