// The wizard window's logic.
#include "shell/Quarn_Main.h"

#include <algorithm>
#include <iterator>

#include "engine/MachineHalves.h"
#include "engine/PassRunner.h"
#include "engine/ProgramEnd.h"
#include "engine/Quarn_link.h"
#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"
#include "shell/HandOver64.h"
#include "shell/HeldButtons.h"
#include "shell/ReportSummary.h"

namespace qm {

namespace {

// Where the report page says the removal's backup is.
std::string BackupFolderCaption(const std::string& folder, bool asked) {
    if (!folder.empty()) return "Backup to undo this cleanup: " + folder;
    return asked ? std::string() : std::string("No backup was kept of this cleanup.");
}

// The wizard window of this run: ShowOperationStatus is a plain procedure
// with no context, so it finds the window here.
TFQuarnUninstall* g_wizard = nullptr;

const char* const kDialogFilter = "All anti-malware files|*.malware";
const char* const kDialogTitle = "Alege Fisierul care sa-l Uninstall";

std::string ProgramFolder() {
    char buffer[261] = {};
    CurrentPlatform().GetModuleFileNameA(0, buffer, 260);
    return ExtractFilePath(buffer);
}

std::string LowerCaseAZ(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

// The lists in the order the choice page visits them, with their tabs and
// their lines in lbFound.
struct ChoiceList {
    Widget list;
    Widget tab;
    const char* line;
};
constexpr ChoiceList kChoiceOrder[] = {
    {Widget::AdvRuning, Widget::TeTabRunProcess, "=> Runing Process \r"},
    {Widget::AdvServers, Widget::TeTabServers, "=> Servers \r"},
    {Widget::AdvListIni, Widget::TeTabIni, "=> INI \r"},
    {Widget::AdvListDisck, Widget::TeTabDisck, "=> Disk \r"},
    {Widget::AdvListREG, Widget::TeTabReg, "=> Registry \r"},
};

void Progress(void* context, TReadSpecialFile*, std::int32_t value) {
    static_cast<TFQuarnUninstall*>(context)->FormProgress(nullptr, value);
}

void ProgressMax(void* context, TReadSpecialFile*, std::int32_t value) {
    static_cast<TFQuarnUninstall*>(context)->FormProgressMax(nullptr, value);
}

}  // namespace

void ShowOperationStatus(const std::string& text, const std::string& path, bool) {
    if (g_wizard != nullptr) g_wizard->SetOperationStatus(text, path);
}

TFQuarnUninstall::TFQuarnUninstall(WizardView& view) : view_(view) {
    g_wizard = this;
}

TFQuarnUninstall::~TFQuarnUninstall() {
    if (g_wizard == this) g_wizard = nullptr;
}

void TFQuarnUninstall::FormCreate(const std::vector<std::string>& arguments) {
    if (!handOverTo_.empty()) {
        const HandOverResult handOver = HandOverTo64BitProgram(handOverTo_, false);
        if (handOver.outcome == HandOverOutcome::Started) {
            RequestProgramEnd();
            return;
        }
        if (handOver.outcome == HandOverOutcome::Missing)
            CurrentPlatform().MessageBoxA(0, Missing64BitProgramText(handOverTo_).c_str(), "Quellmar",
                                          MB_OK | MB_ICONEXCLAMATION);
    }
    modulePath_.clear();
    view_.ShowPage(kPagePreclama);
    view_.SetCaption(Widget::lbFound, "");

    const std::string programFolder = ProgramFolder();
    std::string candidate = IncludeTrailingBackslash(programFolder) + "all.malware";
    if (!FileExists(candidate)) candidate = arguments.empty() ? std::string() : arguments[0];
    if (!FileExists(candidate) && LowerCaseAZ(ExtractFileExt(candidate)) != ".malware") {
        const auto chosen = view_.ChooseScript(programFolder, kDialogFilter, kDialogTitle);
        if (!chosen) {
            RequestProgramEnd();
            return;
        }
        candidate = *chosen;
    }
    scriptPath_ = candidate;
    if (FileExists(scriptPath_)) {
        PreviewRead();
        view_.AnchorPages();
    }
}

void TFQuarnUninstall::PreviewRead() {
    const PreviewResult preview = ReadPreview(scriptPath_);
    if (!preview.Ok) return;  // the halt has run; Next stays disabled
    view_.LoadDescription(preview.Description);
    view_.SetEnabled(Widget::bNext, true);
}

void TFQuarnUninstall::bNextClick() {
    if (Busy()) return;  // one pass at a time; the page stays
    switch (view_.PageIndex()) {
        case kPagePreclama:
            view_.SetEnabled(Widget::bBack, true);
            view_.ShowPage(kPagePDescriere);
            break;
        case kPagePDescriere:
            RestoreAboutBlank();
            view_.SetCaption(Widget::lbFound, "");
            view_.ShowPage(kPagePDetectie);
            view_.SetEnabled(Widget::bNext, true);
            Scan(true);
            if (lastPassStopped_) {
                // What was found so far, to look at or remove, in either mode.
                view_.ShowPage(kPagePAlegere);
                ShowChoice();
                return;
            }
            if (view_.List(Widget::AdvListREG).RowCount() == 0 && view_.List(Widget::AdvListDisck).RowCount() == 0 &&
                view_.List(Widget::AdvListIni).RowCount() == 0 && view_.List(Widget::AdvServers).RowCount() == 0) {
                view_.SetEnabled(Widget::bBack, true);
                view_.SetEnabled(Widget::bNext, false);
                view_.ShowPage(kPagePspecial);
                return;
            }
            view_.ShowPage(kPagePAlegere);
            if (view_.Checked(Widget::rbAuto)) {
                bNextClick();  // automatic: the removal starts at once
                return;
            }
            ShowChoice();
            break;
        case kPagePAlegere:
            view_.SetEnabled(Widget::bNext, false);
            view_.SetEnabled(Widget::bBack, false);
            view_.ShowPage(kPagePDezinstalare);
            view_.ProcessMessages();
            Scan(false);
            view_.ProcessMessages();
            view_.SetEnabled(Widget::bBack, true);
            view_.SetEnabled(Widget::bNext, false);
            view_.ShowPage(kPagePRaport);
            break;
        default:
            break;
    }
}

void TFQuarnUninstall::ShowChoice() {
    std::string found = "Found entry in \r";
    // Every list with rows activates its tab in turn, so the first non-empty
    // one of registry, disk, INI, servers, processes ends up active.
    for (const auto& choice : kChoiceOrder) {
        ItemList& list = view_.List(choice.list);
        if (list.RowCount() == 0) {
            view_.SetTabVisible(choice.tab, false);
            continue;
        }
        found += choice.line;
        list.FitColumns();
        view_.SetTabVisible(choice.tab, true);
        view_.ActivateTab(choice.tab);
    }
    view_.SetCaption(Widget::lbFound, found);
}

void TFQuarnUninstall::bBackClick() {
    if (Busy() || undo_.Back()) return;
    if (view_.PageIndex() == kPagePDescriere) {
        view_.SetEnabled(Widget::bBack, false);
        view_.SetEnabled(Widget::bNext, true);
        view_.ShowPage(kPagePreclama);
        return;
    }
    view_.SetEnabled(Widget::bBack, true);
    view_.SetEnabled(Widget::bNext, true);
    view_.ShowPage(kPagePDescriere);
}

void TFQuarnUninstall::bRetryClick() {
    if (Busy()) return;
    view_.ShowPage(kPagePDescriere);
    bNextClick();
}

namespace {

Widget* ListOfTag(int tag) {
    static Widget lists[] = {Widget::AdvListREG, Widget::AdvListDisck, Widget::AdvListIni, Widget::AdvServers};
    return tag >= 1 && tag <= 4 ? &lists[tag - 1] : nullptr;
}

void CheckAll(WizardView& view, bool checked) {
    Widget* widget = ListOfTag(view.ActiveTabTag());
    if (widget == nullptr) return;  // the running-process tab has no check boxes
    ItemList& list = view.List(*widget);
    for (int row = 0; row < list.RowCount(); ++row) list.SetChecked(row, checked);
}

}  // namespace

void TFQuarnUninstall::bCheckallClick() { CheckAll(view_, true); }

void TFQuarnUninstall::bUncheckallClick() { CheckAll(view_, false); }

void TFQuarnUninstall::PgAllOperationChange() {
    const bool selectable = view_.ActiveTabTag() != 5;
    view_.SetVisible(Widget::bCheckall, selectable);
    view_.SetVisible(Widget::bUncheckall, selectable);
    view_.SetVisible(Widget::lbFound, selectable);
}

void TFQuarnUninstall::TeButton1Click() {
    // A modal box would hold the pass until it closed.
    if (!Busy()) view_.ShowAbout();
}

void TFQuarnUninstall::bUndoClick() {
    if (!Busy()) undo_.Enter();
}

void TFQuarnUninstall::bRestoreBackupClick() {
    if (!Busy()) undo_.RestoreClick();
}

void TFQuarnUninstall::bDeleteBackupClick() {
    if (!Busy()) undo_.DeleteClick();
}

std::string TFQuarnUninstall::StopQuestion(bool scanMode) {
    return scanMode ? "Stop the scan?\r\n\r\nNothing has been changed. The lists will show what was found so far."
                    : "Stop the removal?\r\n\r\nWhat has been removed stays removed; nothing is left half done. "
                      "The report will show what was done and what was not.";
}

bool TFQuarnUninstall::CloseQuery() {
    if (undo_.Running()) return view_.Confirm(UndoPage::CloseQuestion());
    if (!passRunning_) return true;
    if (!stopRequested_ && view_.Confirm(StopQuestion(scanMode_))) stopRequested_ = true;
    return false;
}

void TFQuarnUninstall::FormClose() { RemoveModuleFile(modulePath_); }

void TFQuarnUninstall::SetOperationStatus(const std::string& text, const std::string& path) {
    operation_ = text;
    path_ = path;
    statusChanged_ = true;
}

// Called after every record (and before every queued deletion): the one
// place where a running pass looks at the clock.
void TFQuarnUninstall::FormProgress(void*, int value) {
    position_ = value;
    progressChanged_ = true;
    if (passRunning_ && pacer_.Due(clock_())) Refresh(true);
}

void TFQuarnUninstall::FormProgressMax(void*, int value) {
    maximum_ = value;
    progressChanged_ = true;
}

void TFQuarnUninstall::Refresh(bool pump) {
    if (statusChanged_) {
        view_.SetCaption(scanMode_ ? Widget::Loperation : Widget::LUninstalloperation, operation_);
        view_.SetCaption(scanMode_ ? Widget::advLStatusDetect : Widget::advLStatusUninstal, path_);
        statusChanged_ = false;
    }
    if (progressChanged_) {
        const Widget bar = scanMode_ ? Widget::TeProgressBarLoad : Widget::TeProgressBarUninstall;
        view_.SetProgressMax(bar, maximum_);
        view_.SetProgress(bar, position_);
        progressChanged_ = false;
    }
    view_.UpdateLists();
    if (pump) view_.ProcessMessages();
}

void TFQuarnUninstall::Scan(bool scanMode) {
    // A second pass must not start while one runs (only one reader at a time).
    if (Busy()) return;
    scanMode_ = scanMode;
    stopRequested_ = false;
    lastPassStopped_ = false;
    const Widget infinite = scanMode ? Widget::AdvInfiniteProgress1 : Widget::AdvInfiniteProgress2;
    const Widget bar = scanMode ? Widget::TeProgressBarLoad : Widget::TeProgressBarUninstall;
    const Widget operation = scanMode ? Widget::Loperation : Widget::LUninstalloperation;
    const Widget status = scanMode ? Widget::advLStatusDetect : Widget::advLStatusUninstal;

    if (!scanMode) {
        view_.List(Widget::AdvRaport).Clear();
        view_.SetCaption(Widget::lbSummary, "");
        view_.SetCaption(Widget::lbBackupFolder, "");
    }
    view_.SetVisible(infinite, true);
    view_.SetAnimating(infinite, true);
    view_.SetProgress(bar, 0);
    view_.SetProgressMax(bar, 100);
    view_.SetVisible(bar, true);
    for (Widget label : {operation, status}) {
        view_.SetCaption(label, "");
        view_.SetVisible(label, true);
    }
    if (scanMode) lastReport_ = {};
    if (scanMode)
        for (Widget list : {Widget::AdvListREG, Widget::AdvListDisck, Widget::AdvListIni, Widget::AdvRuning,
                            Widget::AdvServers})
            view_.List(list).Clear();

    PassLists lists;
    lists.registry = &view_.List(Widget::AdvListREG);
    lists.disk = &view_.List(Widget::AdvListDisck);
    lists.ini = &view_.List(Widget::AdvListIni);
    lists.report = &view_.List(Widget::AdvRaport);
    lists.process = &view_.List(Widget::AdvRuning);
    lists.server = &view_.List(Widget::AdvServers);
    PassCallbacks callbacks;
    callbacks.status = &ShowOperationStatus;
    callbacks.progress = {&Progress, this};
    callbacks.progressMax = {&ProgressMax, this};
    callbacks.stopRequested = [this] { return stopRequested_; };

    PassResult result;
    const SteadyTime started = clock_();
    {
        // Back, Next and About; enabled again as they were.
        const HeldButtons buttons(view_, {Widget::bBack, Widget::bNext, Widget::TeButton2});
        const RunningFlag running(passRunning_);
        statusChanged_ = progressChanged_ = false;
        pacer_.Start(started);
        PassOptions options;
        options.keepBackup = view_.Checked(Widget::cbKeepBackup);
        result = RunPass(scriptPath_, scanMode, lists, callbacks, modulePath_, options);
        // Always shown at the end; clicks wait for the main loop, when the
        // flow after the pass has set the buttons.
        Refresh(false);
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - started);
    lastPassStopped_ = result.stopped;
    if (!result.scriptOpened) return;  // the script vanished: the halt has run

    view_.SetVisible(Widget::bRetry, result.hadErrors);
    if (!scanMode) {
        const ItemList& report = view_.List(Widget::AdvRaport);
        const ReportCounts counts = CountReport(report);
        std::string summary = SummaryLine(counts, result.stopped, elapsed);
        if (counts.pendingRestart > 0) summary += ". Restart Windows to finish the cleanup.";
        view_.SetCaption(Widget::lbSummary, summary);
        lastBackupFolder_ = result.backupFolder;
        lastReport_ = GatherReportFacts("cleanup", scriptPath_,
                                        {lists.registry, lists.disk, lists.ini, lists.server, lists.process});
        lastReport_.stopped = result.stopped;
        lastReport_.backupFolder = result.backupFolder;
        // The backup keeps its report: what was done, beside what undoes it.
        std::string error;
        if (!result.backupFolder.empty()) SaveReportsInto(result.backupFolder, lastReport_, report, error);
        view_.SetCaption(Widget::lbBackupFolder, BackupFolderCaption(result.backupFolder,
                                                                     view_.Checked(Widget::cbKeepBackup)));
    }
    view_.SetAnimating(infinite, false);
    for (Widget widget : {infinite, operation, status, bar}) view_.SetVisible(widget, false);
}

const ReportFacts& TFQuarnUninstall::ShownReportFacts() {
    if (const ReportFacts* restore = undo_.ShownReportFacts()) return *restore;
    // No removal ran (nothing found, or a scan alone): a report of the scan.
    if (lastReport_.version.empty())
        lastReport_ = GatherReportFacts("scan", scriptPath_,
                                        {&view_.List(Widget::AdvListREG), &view_.List(Widget::AdvListDisck),
                                         &view_.List(Widget::AdvListIni), &view_.List(Widget::AdvServers),
                                         &view_.List(Widget::AdvRuning)});
    return lastReport_;
}

std::string TFQuarnUninstall::ReportContents(bool asJson) {
    const ReportFacts& facts = ShownReportFacts();
    const ItemList& report = view_.List(Widget::AdvRaport);
    return asJson ? ReportJson(facts, report) : ReportText(facts, report);
}

void TFQuarnUninstall::bSaveReportClick() {
    if (Busy() || view_.PageIndex() != kPagePRaport) return;
    // The desktop, where a user finds the file to attach to a message.
    char desktop[MAX_PATH + 1] = {};
    if (CurrentPlatform().SHGetFolderPathA(0, CSIDL_DESKTOPDIRECTORY, 0, 0, desktop) != S_OK) desktop[0] = '\0';
    const std::optional<ReportFileChoice> choice = view_.ChooseReportFile(
        desktop, SuggestedReportName(ShownReportFacts()), kReportFileFilter, "Save report");
    if (!choice) return;
    std::string error;
    if (!WriteReportFile(choice->path, ReportContents(ReportFileIsJson(choice->path, choice->fileType)), error))
        view_.ShowError("The report was not saved: " + error + ".");
}

void TFQuarnUninstall::RestoreAboutBlank() {
    if (!view_.Checked(Widget::CBaboutblank)) return;
    Platform& p = CurrentPlatform();
    // On 64-bit Windows both registry views, when they keep the key apart.
    std::optional<std::u16string> written;
    const bool bothHalves = SeesBothHalves();
    for (const KeyView& view : bothHalves ? std::vector<KeyView>{kView64, kView32} : std::vector<KeyView>{kOnlyView}) {
        RegKey key;
        if (p.RegCreateKeyExA(HKCU, "Software\\Microsoft\\Internet Explorer\\Main", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE | view.flag, nullptr, key.receive(p),
                              nullptr) != ERROR_SUCCESS)
            continue;  // any failure of the reset is ignored
        const std::optional<std::u16string> identity = bothHalves ? KeyIdentity(key.get()) : std::nullopt;
        if (written && identity && identity == written) continue;  // one key both views share
        static const char kBlank[] = "about:blank";
        p.RegSetValueExA(key.get(), "Start Page", 0, REG_SZ, reinterpret_cast<const BYTE*>(kBlank), sizeof kBlank);
        written = identity;
    }
}

}  // namespace qm
