// The report of a removal or a restore as text and JSON.
#include "shell/SavedReport.h"

#include <algorithm>
#include <cstdio>

#include "engine/DiskState.h"
#include "engine/MachineHalves.h"
#include "engine/Restore.h"
#include "platform/Platform.h"
#include "shell/ReportSummary.h"
#include "shell/Sha256.h"
#include "shell/VisibleText.h"

#ifndef QM_VERSION_TEXT
#define QM_VERSION_TEXT "unknown"
#endif

namespace qm {

namespace {

const char* OutcomeName(ReportOutcome outcome) {
    switch (outcome) {
        case ReportOutcome::Changed: return "changed";
        case ReportOutcome::Failed: return "failed";
        case ReportOutcome::PendingRestart: return "pending";
        case ReportOutcome::Refused: return "refused";
        case ReportOutcome::NotDone: return "not-done";
        case ReportOutcome::Nothing: return "nothing";
    }
    return "nothing";
}

std::string SubItemOr(const ItemList& report, int row, int index) {
    return index < report.SubItemCount(row) ? report.SubItem(row, index) : std::string();
}

std::string DateText(const SYSTEMTIME& t) {
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

std::string WindowsText() {
    OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = kOsVersionInfoASize;
    if (!CurrentPlatform().GetVersionExA(&info)) return "unknown";
    std::string text = info.dwPlatformId == VER_PLATFORM_WIN32_NT ? "Windows NT " : "Windows ";
    text += std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + " build " +
            std::to_string(info.dwBuildNumber & 0xFFFF);
    if (info.szCSDVersion[0] != '\0') text += " " + std::string(info.szCSDVersion);
    return text;
}

// ---- JSON ----

std::string JsonString(const std::string& codePageText) {
    std::string json = "\"";
    for (const char c : Utf8FromCodePage(codePageText)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            char escape[7];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string JsonOrNull(const std::string& text) { return text.empty() ? "null" : JsonString(text); }

// ---- Text ----

// Code-page text for the text report: UTF-8, control characters shown.
std::string Shown(const std::string& text) { return VisibleText(Utf8FromCodePage(text)); }

std::string SummaryText(const ReportCounts& counts) {
    return std::to_string(counts.changed) + " changed, " + std::to_string(counts.failed) + " failed, " +
           std::to_string(counts.pendingRestart) + " pending until restart, " + std::to_string(counts.refused) +
           " refused, " + std::to_string(counts.notDone) + " not done";
}

}  // namespace

std::string ProgramVersion() { return QM_VERSION_TEXT; }

ReportFacts GatherReportFacts(const std::string& kind, const std::string& script,
                              const std::vector<const ItemList*>& itemLists) {
    Platform& p = CurrentPlatform();
    ReportFacts facts;
    facts.kind = kind;
    facts.version = ProgramVersion();
    SYSTEMTIME now;
    p.GetLocalTime(&now);
    facts.date = DateText(now);
    char name[256] = {};
    DWORD size = sizeof name;
    facts.computer = p.GetComputerNameA(name, &size) ? name : "unknown";
    size = sizeof name;
    facts.user = p.GetUserNameA(name, &size) ? name : "unknown";
    facts.windows = WindowsText();
    facts.windowsBits = SeesBothHalves() || IsWow64Program() ? 64 : 32;
    facts.script = script;
    if (const auto bytes = script.empty() ? std::nullopt : ReadFileBytes(script)) {
        facts.scriptSize = static_cast<long long>(bytes->size());
        facts.scriptSha256 = Sha256Hex(*bytes);
    }
    for (const ItemList* list : itemLists) {
        if (list == nullptr) continue;
        for (int row = 0; row < list->RowCount(); ++row) {
            const std::string owner = list->SubItemCount(row) > 0 ? list->SubItem(row, 0) : std::string();
            if (!owner.empty() && std::find(facts.pests.begin(), facts.pests.end(), owner) == facts.pests.end())
                facts.pests.push_back(owner);
        }
    }
    return facts;
}

std::string ReportText(const ReportFacts& facts, const ItemList& report) {
    std::string text = "Quellmar " + facts.version + " report of a " + facts.kind + "\r\n";
    text += "Date:     " + facts.date.substr(0, 10) + " " + facts.date.substr(facts.date.size() > 11 ? 11 : 0) + "\r\n";
    text += "Computer: " + Shown(facts.computer) + ", user " + Shown(facts.user) + "\r\n";
    text += "Windows:  " + Shown(facts.windows) + ", " + std::to_string(facts.windowsBits) + "-bit\r\n";
    text += "Script:   " + Shown(facts.script);
    if (facts.scriptSize >= 0)
        text += ", " + std::to_string(facts.scriptSize) + " bytes, SHA-256 " + facts.scriptSha256;
    else if (!facts.script.empty())
        text += " (cannot be read now)";
    text += "\r\n";
    std::string pests;
    for (const std::string& pest : facts.pests) pests += (pests.empty() ? "" : ", ") + Shown(pest);
    text += "Pests:    " + (pests.empty() ? std::string("none found") : pests) + "\r\n\r\n";
    for (int row = 0; row < report.RowCount(); ++row) {
        std::string line = Shown(report.Caption(row));
        for (int i = 0; i < 3; ++i) {
            const std::string part = SubItemOr(report, row, i);
            if (!part.empty()) line += "  " + Shown(part);
        }
        const std::string reason = SubItemOr(report, row, 3);
        if (!reason.empty()) line += "  (" + Shown(reason) + ")";
        text += line + "\r\n";
    }
    const ReportCounts counts = CountReport(report);
    text += "\r\n" + std::string(facts.stopped ? "Stopped: " : "") + SummaryText(counts) + "\r\n";
    if (counts.pendingRestart > 0) text += "Restart Windows to finish: some files are deleted when it starts next.\r\n";
    text += facts.backupFolder.empty() ? std::string("No backup was kept.\r\n")
                                       : "Backup: " + Shown(facts.backupFolder) + "\r\n";
    return text;
}

std::string ReportJson(const ReportFacts& facts, const ItemList& report) {
    std::string json = "{\n";
    json += "  \"format\": \"quellmar-report\",\n";
    json += "  \"formatVersion\": " + std::to_string(kReportFormatVersion) + ",\n";
    json += "  \"kind\": " + JsonString(facts.kind) + ",\n";
    json += "  \"quellmarVersion\": " + JsonString(facts.version) + ",\n";
    json += "  \"date\": " + JsonString(facts.date) + ",\n";
    json += "  \"computer\": " + JsonString(facts.computer) + ",\n";
    json += "  \"user\": " + JsonString(facts.user) + ",\n";
    json += "  \"windows\": {\"version\": " + JsonString(facts.windows) +
            ", \"bits\": " + std::to_string(facts.windowsBits) + "},\n";
    json += "  \"script\": {\"path\": " + JsonOrNull(facts.script) + ", \"size\": " +
            (facts.scriptSize >= 0 ? std::to_string(facts.scriptSize) : "null") +
            ", \"sha256\": " + JsonOrNull(facts.scriptSha256) + "},\n";
    json += "  \"pests\": [";
    for (std::size_t i = 0; i < facts.pests.size(); ++i) json += (i ? ", " : "") + JsonString(facts.pests[i]);
    json += "],\n";
    json += std::string("  \"stopped\": ") + (facts.stopped ? "true" : "false") + ",\n";
    json += "  \"lines\": [";
    for (int row = 0; row < report.RowCount(); ++row) {
        json += row ? ",\n    " : "\n    ";
        json += "{\"category\": " + JsonString(report.Caption(row)) +
                ", \"operation\": " + JsonString(SubItemOr(report, row, 0)) +
                ", \"outcome\": \"" + OutcomeName(OutcomeOf(report, row)) + "\"" +
                ", \"path\": " + JsonString(SubItemOr(report, row, 1)) +
                ", \"name\": " + JsonString(SubItemOr(report, row, 2)) +
                ", \"reason\": " + JsonOrNull(SubItemOr(report, row, 3)) + "}";
    }
    json += report.RowCount() ? "\n  ],\n" : "],\n";
    const ReportCounts counts = CountReport(report);
    json += "  \"summary\": {\"changed\": " + std::to_string(counts.changed) +
            ", \"failed\": " + std::to_string(counts.failed) +
            ", \"pendingRestart\": " + std::to_string(counts.pendingRestart) +
            ", \"refused\": " + std::to_string(counts.refused) +
            ", \"notDone\": " + std::to_string(counts.notDone) +
            ", \"restartNeeded\": " + (counts.pendingRestart > 0 ? "true" : "false") + "},\n";
    json += "  \"backupFolder\": " + JsonOrNull(facts.backupFolder) + "\n}\n";
    return json;
}

std::string SuggestedReportName(const ReportFacts& facts) {
    std::string stamp = facts.date;  // "2026-12-10T11:30:05": no colon in a file name
    std::replace(stamp.begin(), stamp.end(), 'T', ' ');
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    return stamp.empty() ? std::string("Quellmar report") : "Quellmar report " + stamp;
}

bool ReportFileIsJson(const std::string& path, int fileType) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        std::string extension = path.substr(dot);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (extension == ".json") return true;
        if (extension == ".txt") return false;
    }
    return fileType == 2;
}

bool WriteReportFile(const std::string& path, const std::string& contents, std::string& error) {
    if (WriteFileBytes(path, contents)) return true;
    error = "cannot write " + path + " (error " + std::to_string(CurrentPlatform().GetLastError()) + ")";
    return false;
}

bool SaveReportsInto(const std::string& folder, const ReportFacts& facts, const ItemList& report, std::string& error) {
    return WriteReportFile(folder + "\\report.txt", ReportText(facts, report), error) &&
           WriteReportFile(folder + "\\report.json", ReportJson(facts, report), error);
}

RestoreOutcome RestoreWithReport(const BackupInfo& backup, ItemList& report, ReportFacts& facts,
                                 const std::function<void(int, int)>& progress) {
    const RestoreOutcome outcome = RestoreBackup(backup, &report, progress);
    facts = GatherReportFacts("restore", backup.script, {});
    facts.backupFolder = outcome.backupFolder;
    std::string error;
    if (!outcome.backupFolder.empty()) SaveReportsInto(outcome.backupFolder, facts, report, error);
    return outcome;
}

}  // namespace qm
