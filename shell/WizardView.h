// What the wizard's logic needs of its window: the widgets by their names.
// The logic (TFQuarnUninstall) knows no widgets of any toolkit; the Win32
// window implements this view, and so does an in-memory view for the tests
// and the command-line front end.
#pragma once

#include <optional>
#include <string>

#include "engine/ItemList.h"

namespace qm {

enum class Widget {
    // Notebook pages are shown through ShowPage; these are the other widgets.
    lbFound,
    htmlLite1,
    bNext,
    bBack,
    bRetry,
    btnExit,
    TeButton2,  // About
    bCheckall,
    bUncheckall,
    rbAuto,
    rbCustom,
    CBaboutblank,
    PgAllOperation,
    TeTabReg,
    TeTabDisck,
    TeTabIni,
    TeTabServers,
    TeTabRunProcess,
    AdvListREG,
    AdvListDisck,
    AdvListIni,
    AdvServers,
    AdvRuning,
    AdvRaport,
    TeProgressBarLoad,
    TeProgressBarUninstall,
    Loperation,
    LUninstalloperation,
    advLStatusDetect,
    advLStatusUninstal,
    AdvInfiniteProgress1,
    AdvInfiniteProgress2,
    lbSummary,  // the report's summary line, above AdvRaport
    cbKeepBackup,    // "Keep a backup to undo this cleanup", checked as the window opens
    lbBackupFolder,  // on the report page: where the backup of the removal is
    bSaveReport,     // on the report page: "Save report...", as text or JSON
    // Undoing an earlier cleanup (shell/UndoPage.h)
    bUndo,                 // on the welcome page: opens the undo page
    AdvBackups,            // the backups, the newest first
    lbNoBackup,            // "There is no backup.", in the list's place
    lbUndoStatus,          // what the undo page has to say (a deletion's outcome)
    bRestoreBackup,        // restores the chosen backup
    bDeleteBackup,         // deletes the chosen backup
    TeProgressBarRestore,  // the running restore's progress
};

// The pages of the notebook nbWizard, in index order.
enum WizardPage : int {
    kPagePreclama = 0,       // welcome
    kPagePDescriere = 1,     // description and the choice of removal
    kPagePDetectie = 2,      // detection (scan pass)
    kPagePAlegere = 3,       // choice of items
    kPagePDezinstalare = 4,  // removal pass
    kPagePRaport = 5,        // report
    kPagePspecial = 6,       // nothing found
    kPageUndo = 7,           // the backups, to restore or delete
};

// What the save dialog returns: the file, and the file type chosen in it
// (1-based, in the order of the dialog's filter).
struct ReportFileChoice {
    std::string path;
    int fileType = 1;
};

class WizardView {
public:
    virtual ~WizardView() = default;

    // nbWizard
    virtual int PageIndex() const = 0;
    virtual void ShowPage(int page) = 0;

    virtual void SetEnabled(Widget widget, bool enabled) = 0;
    virtual bool Enabled(Widget widget) const = 0;
    virtual void SetVisible(Widget widget, bool visible) = 0;
    virtual bool Visible(Widget widget) const = 0;
    // Label captions and the path labels' texts (8-bit ANSI).
    virtual void SetCaption(Widget widget, const std::string& caption) = 0;
    virtual std::string Caption(Widget widget) const = 0;
    // Check boxes and radio buttons.
    virtual bool Checked(Widget widget) const = 0;

    // The five item lists, the report list and the backups.
    virtual ItemList& List(Widget list) = 0;
    // The row the user chose in a list (its selection), -1 for none; and
    // choosing one (-1: none).
    virtual int SelectedRow(Widget list) const = 0;
    virtual void SelectRow(Widget list, int row) = 0;

    // Tabs of PgAllOperation; each tab has its tag (1 to 5).
    virtual void SetTabVisible(Widget tab, bool visible) = 0;
    virtual void ActivateTab(Widget tab) = 0;
    virtual int ActiveTabTag() const = 0;

    virtual void SetProgress(Widget bar, int position) = 0;
    virtual void SetProgressMax(Widget bar, int maximum) = 0;
    virtual void SetAnimating(Widget infiniteProgress, bool animating) = 0;

    // htmlLite1: shows the script's description.
    virtual void LoadDescription(const std::string& html) = 0;
    // Lets the window handle the messages that are waiting (repaint, clicks).
    virtual void ProcessMessages() = 0;
    // Brings the list widgets up to date with the rows added since the last
    // update, in one batch each, drawing held meanwhile.
    virtual void UpdateLists() = 0;
    // Asks the user a yes-or-no question (whether to stop the running pass).
    virtual bool Confirm(const std::string& question) = 0;
    // The open dialog: the chosen file, or nothing when cancelled.
    virtual std::optional<std::string> ChooseScript(const std::string& initialFolder, const std::string& filter,
                                                    const std::string& title) = 0;
    // The save dialog, in `initialFolder` (empty: the dialog's choice),
    // offering `suggestedName`: the chosen file, or nothing when cancelled.
    // It asks before replacing a file.
    virtual std::optional<ReportFileChoice> ChooseReportFile(const std::string& initialFolder,
                                                             const std::string& suggestedName,
                                                             const std::string& filter,
                                                             const std::string& title) = 0;
    // Tells the user that something they asked for failed (a message box).
    virtual void ShowError(const std::string& text) = 0;
    // Shows the About box modally.
    virtual void ShowAbout() = 0;
    // Anchors PgAllOperation and nbWizard on all four sides.
    virtual void AnchorPages() = 0;
};

}  // namespace qm
