// The wizard window's logic, TFQuarnUninstall: the choice of the removal
// script at start-up, the page flow, the two passes with their progress and
// status, Select all and Select none, Retry, the start-page reset and the
// removal of the extracted module when the window closes.
//
// It drives its window only through WizardView, so the whole flow runs (and
// is tested) without any widget toolkit.
#pragma once

#include <string>
#include <vector>

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
    // Removes the module file that the latest pass extracted.
    void FormClose();

    // One pass: true for the scan pass, false for the removal pass.
    void Scan(bool scanMode);
    // Resets the browser's start page to about:blank when the box is checked.
    void RestoreAboutBlank();

    // Progress of the running pass, on the bar of that pass.
    void FormProgress(void* sender, int value);
    void FormProgressMax(void* sender, int value);

    const std::string& ScriptPath() const { return scriptPath_; }
    const std::string& ModulePath() const { return modulePath_; }

private:
    void PreviewRead();
    void ShowChoice();

    WizardView& view_;
    std::string scriptPath_;
    std::string modulePath_;
    std::string handOverTo_ = "Quellmar64.exe";
    bool scanRunning_ = false;  // which pass the progress belongs to
    bool scanMode_ = true;
};

// The status procedure given to the engine: shows the operation and its path
// on the labels of the running pass, then lets the window repaint.
void ShowOperationStatus(const std::string& text, const std::string& path, bool scanMode);

}  // namespace qm
