// The command-line front end's flow.
#include "tools/cli/CliRun.h"

#include "tools/cli/CliMachine.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <utility>

#include "engine/ProgramEnd.h"
#include "shell/MemoryWizardView.h"
#include "shell/HandOver64.h"
#include "shell/Quarn_Main.h"
#include "shell/ReportSummary.h"
#include "shell/SavedReport.h"
#include "shell/VisibleText.h"
#include "description/HtmlToPlainText.h"

namespace qm::cli {

namespace {

constexpr const char* k64BitProgram = "quellmar-cli64.exe";

struct ListInfo {
    Widget widget;
    const char* title;
};
constexpr ListInfo kItemLists[] = {
    {Widget::AdvListREG, "Registry items"},
    {Widget::AdvListDisck, "Disk files"},
    {Widget::AdvListIni, "INI files"},
    {Widget::AdvServers, "Register / Unregister servers"},
    {Widget::AdvRuning, "Running Processes"},
};

// A script's texts as they may reach a terminal: control characters shown,
// line breaks kept where the text has them on purpose (the description).
std::string VisibleLines(const std::string& text) {
    std::string shown;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        shown += VisibleText(line);
        if (end < text.size()) shown += "\n";
        start = end + 1;
    }
    return shown;
}

void Heading(std::ostream& out, const std::string& title) {
    out << "\n" << title << "\n" << std::string(title.size(), '-') << "\n";
}

// A row as a line: the caption, the item's own texts, the pest it belongs to.
// The owner (first sub-item) and the item number (last) are not the item's.
std::string ItemLine(const ItemList& list, int row) {
    std::string line = VisibleText(list.Caption(row));
    const int count = list.SubItemCount(row);
    for (int i = 1; i + 1 < count; ++i) {
        const std::string text = list.SubItem(row, i);
        if (!text.empty() && text != "*") line += "  " + VisibleText(text);
    }
    if (count > 0 && !list.SubItem(row, 0).empty()) line += "  [" + VisibleText(list.SubItem(row, 0)) + "]";
    return line;
}

// The item number of a row: its last sub-item.
std::string ItemNumber(const ItemList& list, int row) {
    const int count = list.SubItemCount(row);
    return count > 0 ? list.SubItem(row, count - 1) : std::string();
}

std::string ReportLine(const ItemList& report, int row) {
    std::string line = VisibleText(report.Caption(row));
    for (int i = 0; i < report.SubItemCount(row); ++i)
        if (!report.SubItem(row, i).empty()) line += "  " + VisibleText(report.SubItem(row, i));
    return line;
}

void PrintFound(std::ostream& out, MemoryWizardView& view) {
    Heading(out, "Found");
    for (const auto& info : kItemLists) {
        ItemList& list = view.List(info.widget);
        if (list.RowCount() == 0) continue;
        out << info.title << " (" << list.RowCount() << ")\n";
        for (int row = 0; row < list.RowCount(); ++row) out << "  " << ItemLine(list, row) << "\n";
    }
}

// One question for an item and every row it has; nothing when the input
// has ended (never taken as a yes).
std::optional<bool> AskToRemove(std::istream& in, std::ostream& out, bool echo, const std::string& number,
                                const std::vector<std::string>& lines) {
    out << "  Item " << VisibleText(number) << ":\n";
    for (const std::string& line : lines) out << "    " << line << "\n";
    out << "    remove? [Y/n] " << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) {
        out << "\n";
        return std::nullopt;
    }
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    if (echo) out << VisibleText(answer) << "\n";
    return answer.empty() || answer[0] == 'y' || answer[0] == 'Y';
}

// Asks about every item of the lists once; false when the input ended first.
bool ChooseItems(MemoryWizardView& view, std::istream& in, std::ostream& out, bool echo) {
    for (const auto& info : kItemLists) {
        if (info.widget == Widget::AdvRuning) continue;  // running programs are always stopped
        ItemList& list = view.List(info.widget);
        // The rows of one item share its number, in order of first appearance.
        std::vector<std::pair<std::string, std::vector<int>>> items;
        for (int row = 0; row < list.RowCount(); ++row) {
            const std::string number = ItemNumber(list, row);
            auto item = std::find_if(items.begin(), items.end(), [&](const auto& i) { return i.first == number; });
            if (item == items.end()) items.push_back({number, {row}});
            else item->second.push_back(row);
        }
        for (const auto& [number, rows] : items) {
            std::vector<std::string> lines;
            for (const int row : rows) lines.push_back(ItemLine(list, row));
            const std::optional<bool> remove = AskToRemove(in, out, echo, number, lines);
            if (!remove) return false;
            for (const int row : rows) list.SetChecked(row, *remove);
        }
    }
    return true;
}

// "Removing ... 42%" on one line of a terminal, as the pass refreshes.
void ShowProgress(std::ostream& progress, const MemoryWizardView& view) {
    const bool scan = !view.Visible(Widget::TeProgressBarUninstall);
    const Widget bar = scan ? Widget::TeProgressBarLoad : Widget::TeProgressBarUninstall;
    const int maximum = view.ProgressMax(bar);
    const int percent = maximum > 0 ? static_cast<int>(100LL * view.Progress(bar) / maximum) : 0;
    progress << "\r" << (scan ? "Scanning" : "Removing") << " ... " << percent << "%   " << std::flush;
}

bool WriteReports(const CliOptions& options, TFQuarnUninstall& wizard, std::ostream& out) {
    return WriteReportFiles(options, [&](bool asJson) { return wizard.ReportContents(asJson); }, out);
}

}  // namespace

bool WriteReportFiles(const CliOptions& options, const std::function<std::string(bool asJson)>& contents,
                      std::ostream& out) {
    bool ok = true;
    for (const auto& [path, json] : {std::pair{options.reportFile, false}, std::pair{options.jsonFile, true}}) {
        if (path.empty()) continue;
        std::string error;
        const std::string text = contents(json);
        if (options.writeOutput ? options.writeOutput(path, text, error) : WriteReportFile(path, text, error)) continue;
        out << "The report was not saved: " << error << "\n";
        ok = false;
    }
    return ok;
}

std::string Usage() {
    const std::string machine = MachineUsage().empty() ? "" : "[--machine DIR] ";
    return "usage: quellmar-cli [--custom | --scan] [--no-backup] [--report FILE] [--json FILE] " + machine + "SCRIPT\n" +
           "       quellmar-cli " + machine + "--list-backups | --restore ID|latest | --delete-backup ID\n" +
           "  SCRIPT        the removal script (.malware)\n"
           "  --custom      ask for every item found whether to remove it\n"
           "  --scan        only list what is found; change nothing\n"
           "  --no-backup   keep no backup of what the removal changes\n"
           "  --report FILE write the report as text to FILE (also with --restore)\n"
           "  --json FILE   write the report as JSON to FILE (also with --restore)\n"
           "  --list-backups       the backups of earlier cleanups, the newest first\n"
           "  --restore ID|latest  undo the cleanup kept in that backup\n"
           "  --delete-backup ID   delete that backup\n" +
           MachineUsage() +
           "exit codes: 0 nothing found, 1 cleaned, 2 cleaned with errors,\n"
           "            3 bad or missing script, 10 found and left alone (--scan, or all kept),\n"
           "            64 bad arguments (or --custom's input ended), 3010 cleaned, restart needed\n"
           "  backups:  0 done, 2 done with errors or changes left in the backup,\n"
           "            64 no such backup\n";
}

int ParseArguments(const std::vector<std::string>& arguments, CliOptions& options, std::string& message) {
    auto bad = [&](const std::string& why) {
        message = why + "\n" + Usage();
        return kUsage;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--custom") {
            options.custom = true;
        } else if (argument == "--scan") {
            options.scanOnly = true;
        } else if (argument == "--no-backup") {
            options.noBackup = true;
        } else if (argument == "--list-backups") {
            options.listBackups = true;
        } else if (argument == "--restore" || argument == "--delete-backup") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) return bad(argument + " needs a backup's id");
            (argument == "--restore" ? options.restore : options.deleteBackup) = arguments[++i];
        } else if (argument == "--report" || argument == "--json") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) return bad(argument + " needs a file name");
            (argument == "--report" ? options.reportFile : options.jsonFile) = arguments[++i];
        } else if (argument == "--help" || argument == "-h") {
            message = Usage();
            return kUsage;
        } else if (!argument.empty() && argument[0] == '-' && argument.size() > 1) {
            return bad("unknown option " + argument);
        } else if (options.script.empty()) {
            options.script = argument;
        } else {
            return bad("only one script, please");
        }
    }
    const int backupCommands = int{options.listBackups} + int{!options.restore.empty()} + int{!options.deleteBackup.empty()};
    if (backupCommands > 1) return bad("--list-backups, --restore and --delete-backup exclude each other");
    if (backupCommands == 1) {
        if (!options.script.empty() || options.custom || options.scanOnly || options.noBackup)
            return bad("a backup command takes no script and no other option but --report and --json");
        if (options.restore.empty() && !(options.reportFile.empty() && options.jsonFile.empty()))
            return bad("--report and --json go with a script or --restore");
        return 0;
    }
    if (options.script.empty()) return bad("no script given");
    if (options.custom && options.scanOnly) return bad("--custom and --scan exclude each other");
    return 0;
}

int RunCli(const CliOptions& options, std::istream& in, std::ostream& out,
           const std::function<std::vector<std::string>()>& messages) {
    size_t shown = 0;
    auto showMessages = [&] {
        const auto texts = messages();
        for (; shown < texts.size(); ++shown) out << "\n*** " << texts[shown] << "\n";
    };
    ResetProgramEndRequest();
    // The 32-bit front end on 64-bit Windows leaves the run to the 64-bit one.
    const HandOverResult handOver = HandOverTo64BitProgram(k64BitProgram, true);
    if (handOver.outcome == HandOverOutcome::Started) return static_cast<int>(handOver.exitCode);
    if (handOver.outcome == HandOverOutcome::Missing) out << "\n*** " << Missing64BitProgramText(k64BitProgram) << "\n";
    MemoryWizardView view;  // no dialog: a missing script is an error here
    TFQuarnUninstall wizard(view);
    // The module file extracted for the passes goes at the end, as the
    // wizard's window removes it when it closes.
    struct ModuleFile {
        TFQuarnUninstall& wizard;
        ~ModuleFile() { wizard.FormClose(); }
    } moduleFile{wizard};
    if (options.progress != nullptr) view.whileProcessingMessages = [&] { ShowProgress(*options.progress, view); };
    auto endProgress = [&] {
        if (options.progress != nullptr) *options.progress << "\r" << std::string(24, ' ') << "\r" << std::flush;
    };
    wizard.HandOverTo("");
    wizard.FormCreate({options.script});
    showMessages();
    if (ProgramEndRequested() || !view.Enabled(Widget::bNext)) {
        out << "Cannot use the script " << options.script << ".\n";
        return kBadScript;
    }
    out << "Removal script: " << wizard.ScriptPath() << "\n";
    Heading(out, "Description");
    out << VisibleLines(HtmlToPlainText(view.Description())) << "\n";

    wizard.bNextClick();  // the description page
    view.SetChecked(options.custom || options.scanOnly ? Widget::rbCustom : Widget::rbAuto, true);
    view.SetChecked(Widget::cbKeepBackup, !options.noBackup);
    if (options.scanOnly) {
        // The scan pass alone: what the wizard shows before removal.
        wizard.Scan(true);
    } else {
        wizard.bNextClick();  // the scan, and in automatic mode the removal
    }
    endProgress();
    showMessages();
    if (ProgramEndRequested()) {
        out << "The script is corrupt; nothing more was done.\n";
        return kBadScript;
    }
    int found = 0;
    for (Widget list : {Widget::AdvListREG, Widget::AdvListDisck, Widget::AdvListIni, Widget::AdvServers})
        found += view.List(list).RowCount();
    if (found == 0) {  // running programs alone do not count, as in the wizard
        PrintFound(out, view);
        out << "\nNo spyware, adware or malware infection detected on your computer...\n";
        return WriteReports(options, wizard, out) ? kNothingFound : kCleanedWithErrors;
    }
    PrintFound(out, view);
    if (options.scanOnly) return WriteReports(options, wizard, out) ? kFoundScanOnly : kCleanedWithErrors;

    if (options.custom) {
        Heading(out, "Choose");
        if (!ChooseItems(view, in, out, !options.inputIsTerminal)) {
            out << "The input ended before every item was answered; nothing was changed.\n";
            return kUsage;
        }
    }
    if (options.custom) {
        wizard.bNextClick();  // the removal
        endProgress();
        showMessages();
    }

    Heading(out, "Report");
    const ItemList& report = view.List(Widget::AdvRaport);
    for (int row = 0; row < report.RowCount(); ++row) out << "  " << ReportLine(report, row) << "\n";
    out << "\n" << view.Caption(Widget::lbSummary) << "\n";
    if (!view.Caption(Widget::lbBackupFolder).empty()) out << VisibleText(view.Caption(Widget::lbBackupFolder)) << "\n";
    const bool saved = WriteReports(options, wizard, out);
    if (ProgramEndRequested()) return kBadScript;
    const ReportCounts counts = CountReport(report);
    if (view.Visible(Widget::bRetry) || counts.failed > 0 || !saved) return kCleanedWithErrors;
    if (counts.pendingRestart > 0) return kRestartNeeded;
    // Nothing acted on (every item kept): not a cleanup.
    if (counts.changed == 0) return kFoundScanOnly;
    return kCleaned;
}

}  // namespace qm::cli
