// The report of a removal or a restore as files: a text meant to be pasted
// into a help forum, and JSON for programs that collect the results of many
// PCs (its schema: docs/report-format.md). Both carry the same: a header
// (Quellmar's version, date and time, computer and user, Windows version and
// bitness, the script's name, size and SHA-256, the pests it names), one line
// per operation with its outcome, and a summary.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/ItemList.h"

namespace qm {

inline constexpr int kReportFormatVersion = 1;

struct ReportFacts {
    std::string kind = "cleanup";  // "restore", or "scan" when no removal ran
    std::string version;           // Quellmar's
    std::string date;              // local time, "2026-12-10T11:30:05"
    std::string computer;
    std::string user;
    std::string windows;  // "Windows 6.1 build 7601 Service Pack 1"
    int windowsBits = 32;
    std::string script;         // the script's path
    long long scriptSize = -1;  // -1: it could not be read
    std::string scriptSha256;
    std::vector<std::string> pests;
    bool stopped = false;
    std::string backupFolder;  // empty: none was kept
};

// The facts of this machine and script now; the pests are the owners of the
// rows in these lists, in order, each once.
ReportFacts GatherReportFacts(const std::string& kind, const std::string& script,
                              const std::vector<const ItemList*>& itemLists);

// Quellmar's version, "1.2".
std::string ProgramVersion();

std::string ReportText(const ReportFacts& facts, const ItemList& report);
std::string ReportJson(const ReportFacts& facts, const ItemList& report);

// The save dialog's file types, in the order ReportFileIsJson counts them.
inline constexpr const char* kReportFileFilter = "Text report (*.txt)|*.txt|JSON report (*.json)|*.json";
// The name the save dialog offers: "Quellmar report 2026-12-10 11-30-05".
std::string SuggestedReportName(const ReportFacts& facts);
// Whether the file chosen in the save dialog gets the JSON report: its
// extension decides, else the file type chosen (2: JSON).
bool ReportFileIsJson(const std::string& path, int fileType);

// Writes one of them (UTF-8) through the file functions; false with why.
bool WriteReportFile(const std::string& path, const std::string& contents, std::string& error);
// Both, as report.txt and report.json, into a backup folder.
bool SaveReportsInto(const std::string& folder, const ReportFacts& facts, const ItemList& report, std::string& error);

struct BackupInfo;
struct RestoreOutcome;
// A restore whose report is kept in its own backup, as a removal's is: the
// front ends restore through this.
RestoreOutcome RestoreWithReport(const BackupInfo& backup, ItemList& report, ReportFacts& facts,
                                 const std::function<void(int, int)>& progress = {});

}  // namespace qm
