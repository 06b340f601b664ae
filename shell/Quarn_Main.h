// The wizard window's logic, TFQuarnUninstall: the choice of the removal
// script at start-up, the page flow, the two passes with their progress and
// status, Select all and Select none, Retry, the start-page reset and the
// removal of the extracted module when the window closes; from the welcome
// page, the undo page (shell/UndoPage.h).
//
// One pass at a time: while a pass runs, Back, Next, Retry and About do
// nothing (their buttons are disabled), and Exit asks whether to stop the
// pass. The pass shows its status, progress and new rows about 30 times a
// second (RefreshPacer), not after every record.
//
// It drives its window only through WizardView, so the whole flow runs (and
// is tested) without any widget toolkit.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "shell/RefreshPacer.h"
#include "shell/SavedReport.h"
#include "shell/UndoPage.h"
#include "shell/WizardView.h"

namespace qm {

class TFQuarnUninstall {
public:
    explicit TFQuarnUninstall(WizardView& view);
    ~TFQuarnUninstall();
    TFQuarnUninstall(const TFQuarnUninstall&) = delete;
    TFQuarnUninstall& operator=(const TFQuarnUninstall&) = delete;

    // Chooses the script ("all.malware" beside the program, else argument 1,
    // else the open dialog) and reads its description. `arguments` are the
    // command-line arguments after the program name. A 32-bit program on
    // 64-bit Windows first hands the run over to the 64-bit program beside
    // it and ends, or warns once that it sees only half of the machine.
    void FormCreate(const std::vector<std::string>& arguments);
    // The 64-bit program that FormCreate hands over to ("Quellmar64.exe");
    // empty: none (the caller has handed over itself).
    void HandOverTo(std::string programName) { handOverTo_ = std::move(programName); }
    void bNextClick();
    void bBackClick();
    void bRetryClick();
    void bCheckallClick();
    void bUncheckallClick();
    void PgAllOperationChange();
    void TeButton1Click();  // the About button
    void bUndoClick();            // "Undo an earlier cleanup", on the welcome page
    void bRestoreBackupClick();   // on the undo page
    void bDeleteBackupClick();    // on the undo page
    // "Save report...", on the report page: the report shown there, as text
    // or JSON, into a file the user chooses.
    void bSaveReportClick();
    // Exit, the window's close box and Esc: true when the window may close.
    // During a pass it asks instead whether to stop the pass, and a yes
    // stops it after the current record; during a restore, whether to close
    // once it is done (a yes: true, and the window waits for the restore).
    bool CloseQuery();
    // Removes the module file that the latest pass extracted.
    void FormClose();

    bool PassRunning() const { return passRunning_; }
    // A pass or a restore runs: nothing else may start.
    bool Busy() const { return passRunning_ || undo_.Running(); }
    const UndoPage& Undo() const { return undo_; }
    // The latest pass was stopped by the user.
    bool LastPassStopped() const { return lastPassStopped_; }
    // The folder of the latest removal's backup; empty when it kept none.
    const std::string& LastBackupFolder() const { return lastBackupFolder_; }
    // The report page's report as a file's contents: text, or JSON
    // (shell/SavedReport.h); the last removal's, a restore's, or the scan's
    // when no removal ran.
    std::string ReportContents(bool asJson);
    // The clock that paces the refreshes and times the passes.
    void SetClock(PassClock clock) { clock_ = std::move(clock); }

    // One pass: true for the scan pass, false for the removal pass.
    void Scan(bool scanMode);
    // Resets the browser's start page to about:blank when the box is checked.
    void RestoreAboutBlank();

    // Progress of the running pass, on the bar of that pass.
    void FormProgress(void* sender, int value);
    void FormProgressMax(void* sender, int value);

    // The status of the running pass (ShowOperationStatus), shown at the
    // next refresh.
    void SetOperationStatus(const std::string& text, const std::string& path);

    const std::string& ScriptPath() const { return scriptPath_; }
    const std::string& ModulePath() const { return modulePath_; }

    // The question Exit asks during a pass.
    static std::string StopQuestion(bool scanMode);

private:
    void PreviewRead();
    void ShowChoice();
    // Shows the running pass's status, progress and new rows; `pump` lets
    // the window handle its messages too.
    void Refresh(bool pump);
    // The header of the report that ReportContents gives.
    const ReportFacts& ShownReportFacts();

    WizardView& view_;
    std::string scriptPath_;
    std::string modulePath_;
    std::string handOverTo_ = "Quellmar64.exe";
    bool passRunning_ = false;
    bool scanMode_ = true;  // which pass the progress belongs to
    bool stopRequested_ = false;
    bool lastPassStopped_ = false;
    std::string lastBackupFolder_;
    ReportFacts lastReport_;  // the header of the last removal's report
    PassClock clock_ = [] { return std::chrono::steady_clock::now(); };
    RefreshPacer pacer_;
    // What the next refresh shows.
    std::string operation_, path_;
    int position_ = 0, maximum_ = 100;
    bool statusChanged_ = false, progressChanged_ = false;
    UndoPage undo_{view_, clock_};
};

// The status procedure given to the engine: the operation and its path for
// the labels of the running pass, shown at the next refresh.
void ShowOperationStatus(const std::string& text, const std::string& path, bool scanMode);

}  // namespace qm
