// The GUI test's scenario of undoing a cleanup from the window.
#include "tests/gui/UndoScenarios.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "shell/WizardView.h"
#include "ui/ControlIds.h"

namespace gui {

namespace {

namespace id = qmui::id;

constexpr int kRestoreTimeout = 120000;

bool Contains(std::wstring text, std::wstring part) {
    auto upper = [](std::wstring& s) { std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return std::towupper(c); }); };
    upper(text);
    upper(part);
    return text.find(part) != std::wstring::npos;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }

int Selected(HWND list) {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// Answers the window's yes-or-no question that contains `question`.
void Answer(Probe& probe, const std::wstring& question, int button) {
    const HWND box = probe.WaitForWindow(L"#32770", id::kMainTitle, 10000);
    Check(Contains(probe.ChildTexts(box), question), "the question is \"" + Utf8(question) + "\"");
    probe.Press(box, button);
    Check(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000), "the question closes");
}

}  // namespace

void UndoTheLatestCleanup(Probe& probe, const std::wstring& script, bool (*cleanupUndone)()) {
    Check(probe.Visible(id::bUndo) && probe.Enabled(id::bUndo), "the welcome page offers to undo a cleanup");
    probe.Click(id::bUndo);
    probe.WaitForPage(qm::kPageUndo, 10000);
    const HWND list = probe.Control(id::AdvBackups);
    const int backups = probe.RowCount(list);
    Check(backups > 0 && probe.Visible(id::AdvBackups) && !probe.Visible(id::lbNoBackup),
          "the undo page lists the cleanups' backups");
    const std::vector<std::wstring> dates = probe.Column(list, 0);
    Check(std::is_sorted(dates.begin(), dates.end(), std::greater<>()), "the newest backup comes first");
    Check(Contains(probe.Cell(list, 0, 1), script), "a backup names its cleanup's script");
    CheckEqual(Selected(list), 0, "the newest backup is chosen");
    Check(probe.Focus() == list, "the focus is on the list, to choose a backup");
    Check(probe.Enabled(id::bRestoreBackup) && probe.Enabled(id::bDeleteBackup) && probe.Enabled(id::bBack) &&
              !probe.Enabled(id::bNext),
          "Restore, Delete and Back are enabled, Next is not");
    probe.Screenshot(probe.main(), "9-undo");

    // Restore, No: nothing happens; Restore, Yes: the report.
    probe.Click(id::bRestoreBackup);
    Answer(probe, L"Restore the backup", IDNO);
    probe.Settle();
    Check(probe.Page() == qm::kPageUndo && !cleanupUndone(), "No leaves the backup and the machine as they were");
    probe.Click(id::bRestoreBackup);
    Answer(probe, L"Restore the backup", IDYES);
    probe.WaitForPage(qm::kPagePRaport, kRestoreTimeout);
    const std::wstring summary = probe.Text(id::lbSummary);
    Check(Contains(summary, L" restored, ") && Contains(summary, L" left in the backup, 0 failed"),
          "the restore's summary line: " + Utf8(summary));
    Check(StartsWith(probe.Text(id::lbBackupFolder), L"Backup to undo this restore: "),
          "the report names the restore's own backup");
    const std::vector<std::wstring> operations = probe.Column(probe.Control(id::AdvRaport), 1);
    Check(!operations.empty() && std::none_of(operations.begin(), operations.end(),
                                              [](const std::wstring& o) { return StartsWith(o, L"Error "); }),
          "the report lists what the restore did, and nothing failed");
    Check(cleanupUndone(), "the machine shows what the cleanup had removed");
    Check(!probe.Visible(id::bRetry) && probe.Enabled(id::bBack) && !probe.Enabled(id::bNext),
          "on the restore's report Back is enabled, Next and Retry are not");
    probe.Screenshot(probe.main(), "10-restore-report");

    // Back: the list, with the restore's own backup on top; it goes with Delete.
    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPageUndo, 10000);
    CheckEqual(probe.RowCount(list), backups + 1, "the restore's own backup is listed");
    Check(StartsWith(probe.Cell(list, 0, 1), L"undid "), "it says which backup it undid");
    probe.Click(id::bDeleteBackup);
    Answer(probe, L"Delete the backup", IDYES);
    Check(WaitUntil([&] { return probe.RowCount(list) == backups; }, 10000), "Delete removes the chosen backup");
    Check(StartsWith(probe.Text(id::lbUndoStatus), L"Deleted the backup "), "and says so");

    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPagePreclama, 10000);
    Pass("Back leads to the welcome page");
}

}  // namespace gui
