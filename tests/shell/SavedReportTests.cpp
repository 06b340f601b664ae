// The report as files: SHA-256 against the standard's examples, and the text
// and JSON of a report with a line of every outcome.
#include <gtest/gtest.h>

#include <string>

#include "engine/MemoryItemList.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
#include "shell/SavedReport.h"
#include "shell/Sha256.h"
#include "tests/support/UseMachine.h"

namespace qm {

namespace {

void AddLine(MemoryItemList& report, const std::string& caption, const std::string& operation,
             const std::string& path, const std::string& name, const std::string& reason = {}) {
    const int row = report.AddRow();
    report.SetCaption(row, caption);
    report.AddSubItem(row, operation);
    report.AddSubItem(row, path);
    report.AddSubItem(row, name);
    if (!reason.empty()) report.AddSubItem(row, reason);
}

}  // namespace

TEST(Sha256, StandardExamples) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first padded block.
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(SavedReport, TextAndJsonCarryEveryLineWithItsOutcome) {
    sim::SimPlatform machine;
    sim::InstallStandardMachine(machine);
    const test::UseMachine use(machine);
    MemoryItemList report;
    AddLine(report, "Registry", "Delete ", "HKCU\\Software\\Pest", "");
    AddLine(report, "Disk", "Delete at next start", "C:\\WINDOWS\\", "pest.dll", "still on disk");
    AddLine(report, "Disk", "Refused Delete ", "C:\\WINDOWS", "", "a folder Windows needs");
    AddLine(report, "Registry", "Error Delete ", "HKCU\\Software\\\"quoted\" \xE9t\xE9\x1b", "v");
    ReportFacts facts;
    facts.version = "1.2";
    facts.date = "2026-12-10T11:30:05";
    facts.script = "C:\\pest.malware";
    facts.pests = {"Pest"};
    facts.backupFolder = "C:\\ProgramData\\Quellmar\\Backups\\2026-12-10 11.30.05";

    const std::string json = ReportJson(facts, report);
    for (const char* expected : {
             "\"formatVersion\": 1", "\"outcome\": \"changed\"", "\"outcome\": \"pending\"", "\"outcome\": \"refused\"",
             "\"outcome\": \"failed\"", "\"reason\": \"still on disk\"", "\"reason\": null",
             // Code-page text as UTF-8; quotes, backslashes and controls escaped.
             "\"path\": \"HKCU\\\\Software\\\\\\\"quoted\\\" \xC3\xA9t\xC3\xA9\\u001b\"",
             "\"summary\": {\"changed\": 1, \"failed\": 1, \"pendingRestart\": 1, \"refused\": 1, \"notDone\": 0, "
             "\"restartNeeded\": true}",
             "\"script\": {\"path\": \"C:\\\\pest.malware\", \"size\": null, \"sha256\": null}", "\"pests\": [\"Pest\"]"})
        EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;

    const std::string text = ReportText(facts, report);
    for (const char* expected : {"Quellmar 1.2 report of a cleanup", "Disk  Delete at next start  C:\\WINDOWS\\  pest.dll  (still on disk)",
                                 "1 changed, 1 failed, 1 pending until restart, 1 refused, 0 not done",
                                 "Restart Windows", "Backup: C:\\ProgramData\\Quellmar\\Backups\\2026-12-10 11.30.05",
                                 "\xC3\xA9t\xC3\xA9\\x1B"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
}

}  // namespace qm
