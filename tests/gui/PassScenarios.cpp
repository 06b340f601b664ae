// The GUI test's scenarios of a running pass.
#include "tests/gui/PassScenarios.h"

#include <commctrl.h>

#include <string>

#include "shell/WizardView.h"
#include "ui/ControlIds.h"

namespace gui {

namespace {

namespace id = qmui::id;

constexpr int kPassTimeout = 120000;
const wchar_t kAddedRoot[] = L"Software\\GuiPestFill";

bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }

// The question that Exit, Esc and the close box ask during a pass.
HWND WaitForQuestion(Probe& probe, const std::wstring& question) {
    const HWND box = probe.WaitForWindow(L"#32770", qmui::id::kMainTitle, 10000);
    Check(probe.ChildTexts(box).find(question) != std::wstring::npos, "the question is \"" + Utf8(question) + "\"");
    return box;
}

// While the question is open the pass waits for the answer.
void CheckPassWaits(Probe& probe, int bar) {
    const int before = probe.ProgressPosition(bar);
    Sleep(600);
    CheckEqual(probe.ProgressPosition(bar), before, "the pass waits while the question is open");
}

int CountOperations(Probe& probe, const std::wstring& prefix) {
    int count = 0;
    for (const std::wstring& operation : probe.Column(probe.Control(id::AdvRaport), 1))
        count += StartsWith(operation, prefix);
    return count;
}

}  // namespace

void RemoveAddedKeys() { RegDeleteTreeW(HKEY_CURRENT_USER, kAddedRoot); }

bool AddedKeyPresent(int index) {
    wchar_t path[64];
    wsprintfW(path, L"%s\\A%05d", kAddedRoot, index);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != 0) return false;
    RegCloseKey(key);
    return true;
}

void WaitForPassUnderWay(Probe& probe, int page, int bar) {
    if (!WaitUntil([&] { return probe.Page() == page && probe.ProgressPosition(bar) > 0; }, kPassTimeout))
        Fail("page " + std::to_string(page) + " never showed a pass under way");
}

void ClicksDuringAScan(Probe& probe, int registryRows) {
    probe.Click(id::bNext);
    WaitForPassUnderWay(probe, qm::kPagePDetectie, id::TeProgressBarLoad);
    // Held still, so the clicks and keys wait for the scan's next refresh.
    probe.Suspend();
    Check(!probe.Enabled(id::bBack) && !probe.Enabled(id::bNext) && !probe.Enabled(id::TeButton2),
          "during the scan Back, Next and About are disabled");
    probe.Click(id::bBack);
    probe.Click(id::bNext);
    probe.Click(id::TeButton2);
    probe.Type('B', {VK_MENU}, false);
    probe.Type('N', {VK_MENU}, false);
    probe.Type('U', {VK_MENU}, false);
    probe.Resume();
    Check(WaitUntil([&] { return probe.Page() != qm::kPagePDetectie; }, kPassTimeout) &&
              probe.Page() == qm::kPagePAlegere,
          "Back, Next and About leave the scan on its page until it ends on the choice page");
    Check(probe.FindShown(id::kAboutClass, id::kAboutTitle) == nullptr, "no About box opened during the scan");
    probe.WaitForPage(qm::kPagePAlegere, kPassTimeout);
    const HWND registry = probe.Control(id::AdvListREG);
    CheckEqual(probe.RowCount(registry), registryRows, "the scan lists every registry item once");
    Sleep(1000);
    probe.Settle();
    Check(probe.Page() == qm::kPagePAlegere && probe.RowCount(registry) == registryRows,
          "no second scan follows: the page and the list stay");
    Check(probe.Enabled(id::bBack) && probe.Enabled(id::bNext) && probe.Enabled(id::TeButton2),
          "after the scan Back, Next and About are enabled again");
}

void EscDuringAScanNotStopped(Probe& probe, int registryRows) {
    probe.Click(id::bNext);
    WaitForPassUnderWay(probe, qm::kPagePDetectie, id::TeProgressBarLoad);
    probe.Type(VK_ESCAPE, {}, false);
    const HWND box = WaitForQuestion(probe, L"Stop the scan?");
    CheckPassWaits(probe, id::TeProgressBarLoad);
    probe.Press(box, IDNO);
    probe.WaitForPage(qm::kPagePAlegere, kPassTimeout);
    CheckEqual(probe.RowCount(probe.Control(id::AdvListREG)), registryRows, "No: the scan ran to its end");
    Check(IsWindowVisible(probe.main()) != FALSE, "and the window stays");
}

void ExitDuringAScanStopped(Probe& probe, int registryRows, bool (*pestKeyPresent)()) {
    probe.Click(id::bNext);
    WaitForPassUnderWay(probe, qm::kPagePDetectie, id::TeProgressBarLoad);
    probe.Click(id::btnExit);
    const HWND box = WaitForQuestion(probe, L"Stop the scan?");
    probe.Press(box, IDYES);
    probe.WaitForPage(qm::kPagePAlegere, kPassTimeout);
    const int rows = probe.RowCount(probe.Control(id::AdvListREG));
    Check(rows > 0 && rows < registryRows, "Yes: the choice page lists what was found so far (" +
                                                std::to_string(rows) + " of " + std::to_string(registryRows) + ")");
    Check(pestKeyPresent() && !AddedKeyPresent(0), "a stopped scan changed nothing");
    Check(probe.Enabled(id::bNext) && probe.Enabled(id::bBack), "Next and Back are enabled");
}

void CloseDuringARemovalStopped(Probe& probe, int addedKeys) {
    probe.Click(id::bNext);
    WaitForPassUnderWay(probe, qm::kPagePDezinstalare, id::TeProgressBarUninstall);
    // Some keys are added before the question.
    WaitUntil([] { return AddedKeyPresent(50); }, 30000);
    PostMessageW(probe.main(), WM_CLOSE, 0, 0);
    const HWND box = WaitForQuestion(probe, L"Stop the removal?");
    CheckPassWaits(probe, id::TeProgressBarUninstall);
    probe.Press(box, IDYES);
    probe.WaitForPage(qm::kPagePRaport, kPassTimeout);
    const std::wstring summary = probe.Text(id::lbSummary);
    Check(StartsWith(summary, L"Stopped: "), "the summary says the removal was stopped: " + Utf8(summary));
    const int added = CountOperations(probe, L"Add ");
    const int notDone = CountOperations(probe, L"Not done: ");
    Check(added > 0 && added < addedKeys, "the report lists the keys added before the stop");
    Check(notDone > 0, "and what was not done");
    Check(!AddedKeyPresent(addedKeys - 1), "the last key was not added");
    Check(summary.find(std::to_wstring(notDone) + L" not done") != std::wstring::npos,
          "the summary counts what was not done");
}

void ExitDuringARemovalNotStopped(Probe& probe) {
    probe.Click(id::bNext);
    WaitForPassUnderWay(probe, qm::kPagePDezinstalare, id::TeProgressBarUninstall);
    probe.Click(id::btnExit);
    const HWND box = WaitForQuestion(probe, L"Stop the removal?");
    probe.Press(box, IDNO);
    probe.WaitForPage(qm::kPagePRaport, kPassTimeout);
    const int lines = probe.RowCount(probe.Control(id::AdvRaport));
    const std::wstring summary = probe.Text(id::lbSummary);
    Check(StartsWith(summary, std::to_wstring(lines) + L" changed, 0 failed, 0 pending until restart, in "),
          "No: the removal ran to its end and the summary counts its " + std::to_string(lines) +
              " lines: " + Utf8(summary));
    CheckEqual(CountOperations(probe, L"Not done: "), 0, "nothing is left not done");
}

}  // namespace gui
