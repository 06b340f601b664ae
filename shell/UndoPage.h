// The undo page of the wizard: the backups that removals (and restores)
// kept on this machine, the newest first, each to restore or to delete.
// A restore runs with its progress and shows its report on the report page,
// with a summary line of its own and the folder of the restore's own backup;
// Back there leads to the undo page again.
//
// One operation at a time, as the passes: while a restore runs, its page
// cannot be left and nothing else can start (Back, Next, About, Restore and
// Delete are disabled, and their clicks do nothing).
//
// Like the rest of the wizard's logic it knows no widgets: it drives the
// window through WizardView.
#pragma once

#include <string>
#include <vector>

#include "engine/Restore.h"
#include "shell/RefreshPacer.h"
#include "shell/SavedReport.h"
#include "shell/WizardView.h"

namespace qm {

class UndoPage {
public:
    // `clock` paces the refreshes of a running restore; it is read when used,
    // so a clock set later counts.
    UndoPage(WizardView& view, const PassClock& clock) : view_(view), clock_(clock) {}
    UndoPage(const UndoPage&) = delete;
    UndoPage& operator=(const UndoPage&) = delete;

    // From the welcome page: the undo page with the backups; Back returns
    // to the welcome page with Next as it was.
    void Enter();
    // Back on the pages this page owns: the undo page goes to the welcome
    // page, a restore's report to the undo page. False on any other page.
    bool Back();
    // Restores the chosen backup once the user confirms.
    void RestoreClick();
    // Deletes the chosen backup once the user confirms.
    void DeleteClick();

    bool Running() const { return running_; }
    // The header of the restore's report that the report page shows; null
    // when it shows no restore's report.
    const ReportFacts* ShownReportFacts() const { return showsReport_ ? &reportFacts_ : nullptr; }
    // The backups listed, in the list's order.
    const std::vector<BackupInfo>& Backups() const { return backups_; }

    // The list's texts of one backup: date, script (for a restore's own
    // backup, what it undid) and changes.
    static std::string DateText(const BackupInfo& backup);
    static std::string ScriptText(const BackupInfo& backup);
    static std::string ChangesText(const BackupInfo& backup);
    // The questions asked before a restore, before a deletion, and when the
    // window is closed during a restore.
    static std::string RestoreQuestion(const BackupInfo& backup);
    static std::string DeleteQuestion(const BackupInfo& backup);
    static std::string CloseQuestion();

private:
    // Shows the undo page with the backups read afresh.
    void Open();
    // Reads the backups into the list and chooses the row `select` (the last
    // one when fewer are left).
    void Fill(int select);
    void ShowRestoreReport(const RestoreOutcome& outcome);
    // The row of the backup chosen on the undo page, -1 when none can be
    // acted on (none chosen, another page, a restore running).
    int ChosenRow() const;

    WizardView& view_;
    const PassClock& clock_;
    RefreshPacer pacer_;
    std::vector<BackupInfo> backups_;
    bool running_ = false;
    bool showsReport_ = false;   // the report page holds a restore's report
    ReportFacts reportFacts_;    // and this is its header
    bool nextOnWelcome_ = false;  // Next on the welcome page, as it was
};

// "12 restored, 1 left in the backup, 0 failed", with the changes an
// earlier restore had undone and the programs that stay stopped when there
// are any.
std::string RestoreSummaryLine(const RestoreOutcome& outcome);

}  // namespace qm
