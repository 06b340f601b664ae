// The command-line front end's flow.
#include "tools/cli/CliRun.h"

#include "tools/cli/CliMachine.h"

#include <iostream>

#include "engine/ProgramEnd.h"
#include "shell/MemoryWizardView.h"
#include "shell/HandOver64.h"
#include "shell/Quarn_Main.h"
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

void Heading(std::ostream& out, const std::string& title) {
    out << "\n" << title << "\n" << std::string(title.size(), '-') << "\n";
}

// A row as a line: the caption, the item's own texts, the pest it belongs to.
// The owner (first sub-item) and the item number (last) are not the item's.
std::string ItemLine(const ItemList& list, int row) {
    std::string line = list.Caption(row);
    const int count = list.SubItemCount(row);
    for (int i = 1; i + 1 < count; ++i) {
        const std::string text = list.SubItem(row, i);
        if (!text.empty() && text != "*") line += "  " + text;
    }
    if (count > 0 && !list.SubItem(row, 0).empty()) line += "  [" + list.SubItem(row, 0) + "]";
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

bool AskToRemove(std::istream& in, std::ostream& out, const std::string& line) {
    out << "  " << line << "\n    remove? [Y/n] " << std::flush;
    std::string answer;
    if (!std::getline(in, answer)) return true;
    return answer.empty() || answer[0] == 'y' || answer[0] == 'Y';
}

}  // namespace

std::string Usage() {
    const std::string machine = MachineUsage().empty() ? "" : "[--machine DIR] ";
    return "usage: quellmar-cli [--custom | --scan] [--no-backup] " + machine + "SCRIPT\n" +
           "       quellmar-cli " + machine + "--list-backups | --restore ID|latest | --delete-backup ID\n" +
           "  SCRIPT        the removal script (.malware)\n"
           "  --custom      ask for every item found whether to remove it\n"
           "  --scan        only list what is found; change nothing\n"
           "  --no-backup   keep no backup of what the removal changes\n"
           "  --list-backups       the backups of earlier cleanups, the newest first\n"
           "  --restore ID|latest  undo the cleanup kept in that backup\n"
           "  --delete-backup ID   delete that backup\n" +
           MachineUsage() +
           "exit codes: 0 nothing found, 1 cleaned, 2 cleaned with errors,\n"
           "            3 bad or missing script, 10 found (--scan), 64 bad arguments\n"
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
            return bad("a backup command takes no script and no other option");
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
    wizard.HandOverTo("");
    wizard.FormCreate({options.script});
    showMessages();
    if (ProgramEndRequested() || !view.Enabled(Widget::bNext)) {
        out << "Cannot use the script " << options.script << ".\n";
        return kBadScript;
    }
    out << "Removal script: " << wizard.ScriptPath() << "\n";
    Heading(out, "Description");
    out << HtmlToPlainText(view.Description()) << "\n";

    wizard.bNextClick();  // the description page
    view.SetChecked(options.custom || options.scanOnly ? Widget::rbCustom : Widget::rbAuto, true);
    view.SetChecked(Widget::cbKeepBackup, !options.noBackup);
    if (options.scanOnly) {
        // The scan pass alone: what the wizard shows before removal.
        wizard.Scan(true);
    } else {
        wizard.bNextClick();  // the scan, and in automatic mode the removal
    }
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
        return kNothingFound;
    }
    PrintFound(out, view);
    if (options.scanOnly) return kFoundScanOnly;

    if (options.custom) {
        Heading(out, "Choose");
        for (const auto& info : kItemLists) {
            if (info.widget == Widget::AdvRuning) continue;  // running programs are always stopped
            ItemList& list = view.List(info.widget);
            for (int row = 0; row < list.RowCount(); ++row)
                list.SetChecked(row, AskToRemove(in, out, ItemLine(list, row)));
        }
        wizard.bNextClick();  // the removal
        showMessages();
    }

    Heading(out, "Report");
    ItemList& report = view.List(Widget::AdvRaport);
    for (int row = 0; row < report.RowCount(); ++row) {
        std::string line = report.Caption(row);
        for (int i = 0; i < report.SubItemCount(row); ++i)
            if (!report.SubItem(row, i).empty()) line += "  " + report.SubItem(row, i);
        out << "  " << line << "\n";
    }
    if (!view.Caption(Widget::lbBackupFolder).empty()) out << "\n" << view.Caption(Widget::lbBackupFolder) << "\n";
    if (ProgramEndRequested()) return kBadScript;
    return view.Visible(Widget::bRetry) ? kCleanedWithErrors : kCleaned;
}

}  // namespace qm::cli
