// The summary line above the report.
#include "shell/ReportSummary.h"

#include <cstdio>

#include "engine/Quarn_link.h"

namespace qm {

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

ReportOutcome OutcomeOf(const ItemList& report, int row) {
    if (report.SubItemCount(row) == 0) return ReportOutcome::Nothing;
    const std::string operation = report.SubItem(row, 0);
    if (StartsWith(operation, kReportFailedPrefix)) return ReportOutcome::Failed;
    if (StartsWith(operation, kReportNotDonePrefix)) return ReportOutcome::NotDone;
    if (operation == kReportPendingText) return ReportOutcome::PendingRestart;
    if (StartsWith(operation, kReportRefusedPrefix)) return ReportOutcome::Refused;
    return ReportOutcome::Changed;
}

ReportCounts CountReport(const ItemList& report) {
    ReportCounts counts;
    for (int row = 0; row < report.RowCount(); ++row) {
        switch (OutcomeOf(report, row)) {
            case ReportOutcome::Changed: ++counts.changed; break;
            case ReportOutcome::Failed: ++counts.failed; break;
            case ReportOutcome::PendingRestart: ++counts.pendingRestart; break;
            case ReportOutcome::Refused: ++counts.refused; break;
            case ReportOutcome::NotDone: ++counts.notDone; break;
            case ReportOutcome::Nothing: break;
        }
    }
    return counts;
}

std::string DurationText(std::chrono::milliseconds elapsed) {
    const long long ms = elapsed.count() < 0 ? 0 : elapsed.count();
    char text[48];
    if (ms < 60000) {
        std::snprintf(text, sizeof text, "%lld.%lld s", ms / 1000, ms % 1000 / 100);
    } else {
        std::snprintf(text, sizeof text, "%lld min %lld s", ms / 60000, ms % 60000 / 1000);
    }
    return text;
}

std::string SummaryLine(const ReportCounts& counts, bool stopped, std::chrono::milliseconds elapsed) {
    std::string line = stopped ? "Stopped: " : "";
    line += std::to_string(counts.changed) + " changed, " + std::to_string(counts.failed) + " failed, " +
            std::to_string(counts.pendingRestart) + " pending until restart";
    if (counts.refused > 0) line += ", " + std::to_string(counts.refused) + " refused";
    if (stopped || counts.notDone > 0) line += ", " + std::to_string(counts.notDone) + " not done";
    return line + ", in " + DurationText(elapsed);
}

}  // namespace qm
