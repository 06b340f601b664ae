// The undo page of the wizard.
#include "shell/UndoPage.h"

#include <algorithm>

#include "shell/HeldButtons.h"
#include "shell/SavedReport.h"

namespace qm {

namespace {

const char kChooseText[] = "Choose a backup: Restore undoes its changes, Delete removes it for good.";

}  // namespace

std::string RestoreSummaryLine(const RestoreOutcome& outcome) {
    std::string line = std::to_string(outcome.restored) + " restored, " + std::to_string(outcome.kept) +
                       " left in the backup, " + std::to_string(outcome.failed) + " failed";
    if (outcome.restoredBefore > 0) line += " (" + std::to_string(outcome.restoredBefore) + " restored earlier)";
    if (outcome.notRestorable > 0)
        line += "; " + std::to_string(outcome.notRestorable) + " stopped programs are not started again";
    return line;
}

std::string UndoPage::DateText(const BackupInfo& backup) { return backup.created.empty() ? backup.id : backup.created; }

std::string UndoPage::ScriptText(const BackupInfo& backup) {
    return backup.kind == "restore" ? "undid " + backup.of : backup.script;
}

std::string UndoPage::ChangesText(const BackupInfo& backup) {
    std::string text = std::to_string(backup.changes);
    if (backup.restored > 0) text += " (" + std::to_string(backup.restored) + " restored)";
    return text;
}

std::string UndoPage::RestoreQuestion(const BackupInfo& backup) {
    const std::string what = backup.kind == "restore" ? "the restore of the backup " + backup.of
                                                      : "the cleanup by " + backup.script;
    return "Restore the backup " + backup.id + "?\r\n\r\nIt undoes the " + std::to_string(backup.changes) +
           " changes of " + what +
           ". Nothing that exists now is replaced: what stands in the way stays in the backup. What the restore "
           "changes is kept in a backup of its own.";
}

std::string UndoPage::DeleteQuestion(const BackupInfo& backup) {
    return "Delete the backup " + backup.id + "?\r\n\r\nIts changes can no longer be undone.";
}

std::string UndoPage::CloseQuestion() {
    return "A restore is running and cannot be stopped half-way.\r\n\r\nClose Quellmar when it is done?";
}

void UndoPage::Enter() {
    if (running_ || view_.PageIndex() != kPagePreclama) return;
    nextOnWelcome_ = view_.Enabled(Widget::bNext);
    Open();
}

void UndoPage::Open() {
    showsReport_ = false;
    view_.SetVisible(Widget::TeProgressBarRestore, false);
    Fill(0);
    view_.SetCaption(Widget::lbUndoStatus, backups_.empty() ? "" : kChooseText);
    view_.SetEnabled(Widget::bBack, true);
    view_.SetEnabled(Widget::bNext, false);
    view_.ShowPage(kPageUndo);
}

void UndoPage::Fill(int select) {
    backups_ = ListBackups();
    ItemList& list = view_.List(Widget::AdvBackups);
    list.Clear();
    for (const BackupInfo& backup : backups_) {
        const int row = list.AddRow();
        list.SetCaption(row, DateText(backup));
        list.AddSubItem(row, ScriptText(backup));
        list.AddSubItem(row, ChangesText(backup));
    }
    list.FitColumns();
    view_.UpdateLists();
    const bool any = !backups_.empty();
    view_.SetVisible(Widget::AdvBackups, any);
    view_.SetVisible(Widget::lbNoBackup, !any);
    view_.SetCaption(Widget::lbNoBackup, "There is no backup.");
    view_.SetEnabled(Widget::bRestoreBackup, any);
    view_.SetEnabled(Widget::bDeleteBackup, any);
    view_.SelectRow(Widget::AdvBackups, any ? std::min(select, static_cast<int>(backups_.size()) - 1) : -1);
}

bool UndoPage::Back() {
    if (running_) return true;  // the page stays
    if (view_.PageIndex() == kPageUndo) {
        view_.SetEnabled(Widget::bBack, false);
        view_.SetEnabled(Widget::bNext, nextOnWelcome_);
        view_.ShowPage(kPagePreclama);
        return true;
    }
    if (view_.PageIndex() == kPagePRaport && showsReport_) {
        Open();
        return true;
    }
    return false;
}

int UndoPage::ChosenRow() const {
    if (running_ || view_.PageIndex() != kPageUndo) return -1;
    const int row = view_.SelectedRow(Widget::AdvBackups);
    return row >= 0 && row < static_cast<int>(backups_.size()) ? row : -1;
}

void UndoPage::RestoreClick() {
    const int row = ChosenRow();
    if (row < 0) return;
    const BackupInfo backup = backups_[static_cast<size_t>(row)];
    if (!view_.Confirm(RestoreQuestion(backup))) return;

    ItemList& report = view_.List(Widget::AdvRaport);
    report.Clear();
    view_.SetCaption(Widget::lbSummary, "");
    view_.SetCaption(Widget::lbBackupFolder, "");
    view_.SetCaption(Widget::lbUndoStatus, "Restoring the backup " + backup.id + "...");
    view_.SetProgress(Widget::TeProgressBarRestore, 0);
    view_.SetProgressMax(Widget::TeProgressBarRestore, std::max(1, backup.changes));
    view_.SetVisible(Widget::TeProgressBarRestore, true);
    RestoreOutcome outcome;
    {
        const HeldButtons held(view_, {Widget::bBack, Widget::bNext, Widget::TeButton2, Widget::bRestoreBackup,
                                       Widget::bDeleteBackup});
        const RunningFlag running(running_);
        pacer_.Start(clock_());
        // Its report is kept beside the restore's own backup, as a removal's is.
        outcome = RestoreWithReport(backup, report, reportFacts_, [this](int done, int total) {
            if (!pacer_.Due(clock_())) return;
            view_.SetProgressMax(Widget::TeProgressBarRestore, std::max(1, total));
            view_.SetProgress(Widget::TeProgressBarRestore, done);
            view_.UpdateLists();
            view_.ProcessMessages();
        });
        view_.UpdateLists();
    }
    view_.SetVisible(Widget::TeProgressBarRestore, false);
    ShowRestoreReport(outcome);
}

void UndoPage::ShowRestoreReport(const RestoreOutcome& outcome) {
    view_.List(Widget::AdvRaport).FitColumns();
    view_.SetVisible(Widget::bRetry, false);
    view_.SetCaption(Widget::lbSummary, RestoreSummaryLine(outcome));
    view_.SetCaption(Widget::lbBackupFolder, outcome.backupFolder.empty()
                                                 ? std::string("The restore changed nothing; it kept no backup.")
                                                 : "Backup to undo this restore: " + outcome.backupFolder);
    view_.SetEnabled(Widget::bBack, true);
    view_.SetEnabled(Widget::bNext, false);
    view_.ShowPage(kPagePRaport);
    showsReport_ = true;
}

void UndoPage::DeleteClick() {
    const int row = ChosenRow();
    if (row < 0) return;
    const BackupInfo backup = backups_[static_cast<size_t>(row)];
    if (!view_.Confirm(DeleteQuestion(backup))) return;
    std::string error;
    const bool deleted = DeleteBackup(backup, error);
    Fill(row);
    view_.SetCaption(Widget::lbUndoStatus, deleted ? "Deleted the backup " + backup.id + "."
                                                   : "The backup " + backup.id + " was not deleted: " + error);
}

}  // namespace qm
