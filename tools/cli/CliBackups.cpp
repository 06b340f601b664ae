// The command line's backup commands: list, restore, delete.
#include <ostream>
#include <string>

#include "engine/MemoryItemList.h"
#include "engine/Restore.h"
#include "shell/SavedReport.h"
#include "shell/UndoPage.h"
#include "shell/VisibleText.h"
#include "tools/cli/CliRun.h"

namespace qm::cli {

namespace {

std::optional<BackupInfo> Named(const std::string& id, std::ostream& out) {
    auto backup = FindBackup(id);
    if (!backup) out << (id == "latest" ? std::string("There is no backup.") : "There is no backup " + id + ".") << "\n";
    return backup;
}

}  // namespace

int RunBackupCommand(const CliOptions& options, std::ostream& out) {
    if (options.listBackups) {
        const std::vector<BackupInfo> backups = ListBackups();
        if (backups.empty()) out << "There is no backup.\n";
        for (const BackupInfo& backup : backups)
            out << backup.id << "  " << backup.kind << "  " << backup.changes << " changes"
                << (backup.restored > 0 ? " (" + std::to_string(backup.restored) + " restored)" : "") << "  "
                << (backup.kind == "restore" ? "undid " + backup.of : backup.script) << "\n";
        return 0;
    }
    if (!options.deleteBackup.empty()) {
        const auto backup = Named(options.deleteBackup, out);
        if (!backup) return kUsage;
        std::string error;
        if (!DeleteBackup(*backup, error)) {
            out << "The backup " << backup->id << " was not deleted: " << error << "\n";
            return kCleanedWithErrors;
        }
        out << "Deleted the backup " << backup->id << ".\n";
        return 0;
    }
    const auto backup = Named(options.restore, out);
    if (!backup) return kUsage;
    out << "Restoring the backup " << backup->id << " (" << backup->changes << " changes";
    if (!backup->script.empty()) out << " of " << backup->script;
    out << ")\n";
    MemoryItemList report;
    ReportFacts facts;
    const RestoreOutcome outcome = RestoreWithReport(*backup, report, facts);
    for (int row = 0; row < report.RowCount(); ++row) {
        std::string line = VisibleText(report.Caption(row));
        for (int i = 0; i < report.SubItemCount(row); ++i)
            if (!report.SubItem(row, i).empty()) line += "  " + VisibleText(report.SubItem(row, i));
        out << "  " << line << "\n";
    }
    const bool saved = WriteReportFiles(
        options, [&](bool asJson) { return asJson ? ReportJson(facts, report) : ReportText(facts, report); }, out);
    out << "\n" << RestoreSummaryLine(outcome) << "\n";
    if (!outcome.backupFolder.empty()) out << "Backup to undo this restore: " << outcome.backupFolder << "\n";
    return outcome.kept + outcome.failed > 0 || !saved ? kCleanedWithErrors : 0;
}

}  // namespace qm::cli
