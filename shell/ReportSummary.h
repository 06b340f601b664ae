// The summary line above the report: how many operations changed the
// machine, failed, wait for the next start of Windows or were not done
// (a stopped pass), and how long the pass took. Every report line is
// classified in one place, OutcomeOf.
#pragma once

#include <chrono>
#include <string>

#include "engine/ItemList.h"

namespace qm {

enum class ReportOutcome {
    Changed,
    Failed,
    PendingRestart,  // still on disk: deleted at the next logon or start of Windows
    Refused,         // the guard rails kept the item from being changed
    NotDone,         // a stopped removal never reached it
    Nothing,         // "Noting to do..."
};

// The outcome of one report line, from its operation text.
ReportOutcome OutcomeOf(const ItemList& report, int row);

struct ReportCounts {
    int changed = 0;
    int failed = 0;
    int pendingRestart = 0;
    int notDone = 0;
    int refused = 0;
};

ReportCounts CountReport(const ItemList& report);

// "12 changed, 1 failed, 0 pending until restart, in 2.4 s", with the
// refused items when there are any; a stopped pass begins with "Stopped: "
// and names what was not done.
std::string SummaryLine(const ReportCounts& counts, bool stopped, std::chrono::milliseconds elapsed);

// "0.4 s", "12.0 s", "2 min 5 s".
std::string DurationText(std::chrono::milliseconds elapsed);

}  // namespace qm
