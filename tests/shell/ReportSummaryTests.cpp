// The summary line above the report: the outcome of each line, the counts
// and the text.
#include <gtest/gtest.h>

#include "engine/MemoryItemList.h"
#include "shell/ReportSummary.h"

namespace qm {

namespace {

void AddLine(MemoryItemList& report, const std::string& caption, const std::string& operation) {
    const int row = report.AddRow();
    report.SetCaption(row, caption);
    if (operation.empty()) return;
    report.AddSubItem(row, operation);
    report.AddSubItem(row, "C:\\WINDOWS\\");
    report.AddSubItem(row, "pest.dll");
}

}  // namespace

TEST(ReportSummary, EachLineHasOneOutcome) {
    struct Case {
        const char* caption;
        const char* operation;
        ReportOutcome outcome;
    };
    const Case cases[] = {
        {"Registry", "Delete ", ReportOutcome::Changed},
        {"Disk", "Delete ", ReportOutcome::Changed},
        {"Process ", "Kill ", ReportOutcome::Changed},
        {"Server ", "Unregister ", ReportOutcome::Changed},
        {"INI", "Error Add ", ReportOutcome::Failed},
        {"Disk", "Error Delete ", ReportOutcome::Failed},
        {"Disk", "Not done: Delete ", ReportOutcome::NotDone},
        {"Registry", "Not done: Delete regsitry value", ReportOutcome::NotDone},
        {"Disk", "Delete at next start", ReportOutcome::PendingRestart},
        {"Disk", "Refused Delete ", ReportOutcome::Refused},
        {"Process ", "Refused Kill ", ReportOutcome::Refused},
        {"Noting to do...", "", ReportOutcome::Nothing},
    };
    MemoryItemList report;
    for (const Case& c : cases) AddLine(report, c.caption, c.operation);
    for (int row = 0; row < report.RowCount(); ++row) EXPECT_EQ(OutcomeOf(report, row), cases[row].outcome) << row;
    const ReportCounts counts = CountReport(report);
    EXPECT_EQ(counts.changed, 4);
    EXPECT_EQ(counts.failed, 2);
    EXPECT_EQ(counts.notDone, 2);
    EXPECT_EQ(counts.pendingRestart, 1);
    EXPECT_EQ(counts.refused, 2);
}

TEST(ReportSummary, Lines) {
    struct Case {
        ReportCounts counts;
        bool stopped;
        int ms;
        const char* line;
    };
    const Case cases[] = {
        {{12, 1, 0, 0}, false, 2440, "12 changed, 1 failed, 0 pending until restart, in 2.4 s"},
        {{0, 0, 0, 0}, false, 0, "0 changed, 0 failed, 0 pending until restart, in 0.0 s"},
        {{3, 0, 2, 0}, false, 61000, "3 changed, 0 failed, 2 pending until restart, in 1 min 1 s"},
        {{5, 0, 0, 7}, true, 999, "Stopped: 5 changed, 0 failed, 0 pending until restart, 7 not done, in 0.9 s"},
        {{5, 0, 0, 0}, true, 100, "Stopped: 5 changed, 0 failed, 0 pending until restart, 0 not done, in 0.1 s"},
        {{2, 0, 1, 0, 3}, false, 100, "2 changed, 0 failed, 1 pending until restart, 3 refused, in 0.1 s"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SummaryLine(c.counts, c.stopped, std::chrono::milliseconds(c.ms)), c.line);
}

}  // namespace qm
