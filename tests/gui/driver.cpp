// The GUI test's driver, a Windows program run under Wine beside
// Quellmar.exe. It plants a test pest (a registry key, a Run value of the
// user and one of the machine in each registry view, two files in the
// Windows folder, one of them a running program, an INI value), starts
// Quellmar on the test script and clicks through an automatic removal,
// saving its report, then a custom removal, a scan that finds nothing,
// undoing the latest cleanup and the About box, checking pages, lists, the
// report and the machine, and asking the runner (run-gui-test.sh) for a
// screenshot of every page.
//
// Usage: driver.exe QUELLMAR.EXE SCRIPT.malware SHOT_FOLDER
//        driver.exe --idle   (the planted pest program: waits to be stopped)
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <vector>

#include "shell/WizardView.h"
#include "tests/gui/GuiProbe.h"
#include "tests/gui/PassScenarios.h"
#include "tests/gui/ReportScenarios.h"
#include "tests/gui/UndoScenarios.h"
#include "ui/ControlIds.h"

namespace {

namespace id = qmui::id;
using gui::Check;
using gui::CheckEqual;
using gui::CheckText;
using gui::Fail;
using gui::Pass;
using gui::Probe;

constexpr int kPassTimeout = 120000;
const wchar_t kPestKey[] = L"Software\\GuiPest";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The registry views of 64-bit Windows.
constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
const wchar_t kStartPageKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";
const wchar_t kDialogTitle[] = L"Alege Fisierul care sa-l Uninstall";
// Controls of the common open dialog.
constexpr int kFileTypeCombo = 0x470;  // cmb1
constexpr int kFileNameCombo = 0x47c;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1

std::wstring Upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
    return text;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return Upper(text).find(Upper(part)) != std::wstring::npos;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The test pest on this machine.
class Pest {
public:
    Pest() {
        wchar_t folder[MAX_PATH] = {};
        GetWindowsDirectoryW(folder, MAX_PATH);
        windows_ = folder;
    }
    ~Pest() { StopProgram(); }
    Pest(const Pest&) = delete;
    Pest& operator=(const Pest&) = delete;

    std::wstring Program() const { return windows_ + L"\\guipest.exe"; }
    std::wstring Library() const { return windows_ + L"\\guipest.dll"; }

    void Plant() {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kPestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
            Fail("cannot create the pest's key");
        RegCloseKey(key);
        const std::wstring program = Program();
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0 ||
            RegSetValueExW(key, L"GuiPest", 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                           static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t))) != 0)
            Fail("cannot write the pest's Run value");
        RegCloseKey(key);
        // The machine's Run value in both halves of a 64-bit Windows: a
        // 32-bit pest's lands in the 32-bit view.
        for (const REGSAM view : kViews) {
            if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                                nullptr) != 0 ||
                RegSetValueExW(key, L"GuiPest", 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                               static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t))) != 0)
                Fail("cannot write the pest's Run value of the machine");
            RegCloseKey(key);
        }

        const HANDLE file = CreateFileW(Library().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) Fail("cannot write guipest.dll");
        DWORD written = 0;
        WriteFile(file, "MZ", 2, &written, nullptr);
        CloseHandle(file);

        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        if (!CopyFileW(self, program.c_str(), FALSE)) Fail("cannot copy the pest's program");
        std::wstring commandLine = L"\"" + program + L"\" --idle";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &running_))
            Fail("cannot start the pest's program");

        if (!WritePrivateProfileStringW(L"boot", L"shell", L"guipest.exe", L"guipest.ini"))
            Fail("cannot write guipest.ini");
        gui::Pass("planted the pest");
    }

    bool KeyPresent() const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kPestKey, 0, KEY_READ, &key) != 0) return false;
        RegCloseKey(key);
        return true;
    }
    void RemoveKey() const { RegDeleteKeyW(HKEY_CURRENT_USER, kPestKey); }
    // The user's Run value, or the machine's in one registry view.
    bool RunValuePresent(HKEY root = HKEY_CURRENT_USER, REGSAM view = 0) const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, kRunKey, 0, KEY_READ | view, &key) != 0) return false;
        const bool present = RegQueryValueExW(key, L"GuiPest", nullptr, nullptr, nullptr, nullptr) == 0;
        RegCloseKey(key);
        return present;
    }
    bool IniValuePresent() const {
        wchar_t text[64] = {};
        GetPrivateProfileStringW(L"boot", L"shell", L"", text, 64, L"guipest.ini");
        return text[0] != L'\0';
    }
    bool ProgramRunning() const {
        return running_.hProcess != nullptr && WaitForSingleObject(running_.hProcess, 0) == WAIT_TIMEOUT;
    }
    void StopProgram() {
        if (running_.hProcess == nullptr) return;
        TerminateProcess(running_.hProcess, 0);
        WaitForSingleObject(running_.hProcess, 5000);
        CloseHandle(running_.hThread);
        CloseHandle(running_.hProcess);
        running_ = {};
    }

private:
    std::wstring windows_;
    PROCESS_INFORMATION running_{};
};

using Rows = std::vector<std::vector<std::wstring>>;

// The report's lines of the pest itself, without the keys the script adds.
Rows ReportRows(Probe& probe) {
    const HWND report = probe.Control(id::AdvRaport);
    const std::vector<std::wstring> paths = probe.Column(report, 2);
    Rows rows;
    for (size_t row = 0; row < paths.size(); ++row)
        if (!Contains(paths[row], L"\\GuiPestFill")) rows.push_back(probe.Row(report, static_cast<int>(row), 4));
    return rows;
}

// A report line of this type and operation whose path or value names `what`.
bool HasLine(const Rows& rows, const std::wstring& type, const std::wstring& operation, const std::wstring& what) {
    return std::any_of(rows.begin(), rows.end(), [&](const std::vector<std::wstring>& r) {
        return r[0] == type && r[1] == operation && (Contains(r[2], what) || Contains(r[3], what));
    });
}

bool HasError(const Rows& rows) {
    return std::any_of(rows.begin(), rows.end(),
                       [](const std::vector<std::wstring>& r) { return r[1].rfind(L"Error ", 0) == 0; });
}

// Waits until a pass is under way on its page, holds Quellmar still and
// takes the page's picture.
void ShootPass(Probe& probe, int page, int bar, const std::string& name) {
    if (!gui::WaitUntil([&] { return probe.Page() == page && probe.ProgressPosition(bar) > 0; }, kPassTimeout))
        Fail("page " + std::to_string(page) + " never showed a pass under way");
    Sleep(100);
    probe.Suspend();
    if (probe.Page() != page) {
        probe.Resume();
        Fail("the pass of page " + std::to_string(page) + " ended before its picture; make the script longer");
    }
    probe.Screenshot(probe.main(), name);
    probe.Resume();
}

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

bool LooksDefault(Probe& probe, int button) {
    return (GetWindowLongW(probe.Control(button), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// Tab visits every control of page 1 and of the button bar in reading order,
// the radio buttons answer to their mnemonics, Next keeps its default look
// and after Alt+B Enter means Next again.
void KeyboardOnDescriptionPage(Probe& probe) {
    const int order[] = {id::btnExit,      id::TeButton2,    id::htmlLite1, id::rbAuto,
                         id::CBaboutblank, id::cbKeepBackup, id::bBack,     id::bNext};
    bool inOrder = true;
    bool nextLooksDefault = true;
    for (int expected : order) {
        probe.Type(VK_TAB);
        inOrder = inOrder && probe.Focus() == probe.Control(expected);
        if (expected == id::htmlLite1 || expected == id::rbAuto || expected == id::CBaboutblank ||
            expected == id::cbKeepBackup)
            nextLooksDefault = nextLooksDefault && LooksDefault(probe, id::bNext) && !LooksDefault(probe, id::btnExit);
    }
    Check(inOrder, "Tab follows the reading order: the description, the choice, the boxes, Back, Next, Exit, About");
    Check(nextLooksDefault, "Next looks like the default button while the page's controls have the focus");
    probe.Type(VK_TAB, {VK_SHIFT});
    Check(probe.Focus() == probe.Control(id::bBack) && LooksDefault(probe, id::bBack) && !LooksDefault(probe, id::bNext),
          "a push button with the focus is the default one while it has it");
    probe.Type(VK_TAB);
    probe.Type('C', {VK_MENU});
    Check(probe.Checked(id::rbCustom) && !probe.Checked(id::rbAuto), "Alt+C chooses custom removal");
    probe.Type('A', {VK_MENU});
    Check(probe.Checked(id::rbAuto) && !probe.Checked(id::rbCustom), "Alt+A chooses automatic removal again");
    probe.Type(VK_TAB, {VK_SHIFT});
    Check(probe.Focus() == probe.Control(id::htmlLite1), "Shift+Tab goes back to the description");

    probe.Type('B', {VK_MENU});
    probe.WaitForPage(qm::kPagePreclama, 10000);
    Check(probe.Focus() == probe.Control(id::bNext) && LooksDefault(probe, id::bNext),
          "after Alt+B the focus is on Next, the default button");
    probe.Type(VK_RETURN);
    probe.WaitForPage(qm::kPagePDescriere, 10000);
    Pass("and Enter goes forward again");
}

void WelcomeAndDescription(Probe& probe) {
    probe.WaitForPage(qm::kPagePreclama, 20000);
    const SIZE client = ClientSize(probe.main());
    CheckEqual<long>(client.cx, MulDiv(692, ScreenDpi(), 96), "the window's client area is 692 wide");
    CheckEqual<long>(client.cy, MulDiv(473, ScreenDpi(), 96), "the window's client area is 473 high");
    CheckText(probe.Text(id::welcomeHeading), L"Welcome!", "page 0 greets the user");
    Check(probe.Enabled(id::bNext) && !probe.Enabled(id::bBack), "at start Next is enabled, Back is not");
    probe.Screenshot(probe.main(), "1-welcome");

    Check(probe.Focus() == probe.Control(id::bNext), "Next has the keyboard focus");
    probe.Type(VK_RETURN);
    probe.WaitForPage(qm::kPagePDescriere, 10000);
    Check(Contains(probe.Text(id::htmlLite1), L"GuiPest is a test pest"), "Enter goes to page 1, the description");
    Check(probe.Checked(id::rbAuto) && !probe.Checked(id::rbCustom), "automatic removal is chosen at start");
    Check(!probe.Checked(id::CBaboutblank), "the start-page box is unchecked at start");
    Check(probe.Checked(id::cbKeepBackup), "the backup box is checked at start");
    Check(probe.Enabled(id::bBack) && probe.Enabled(id::bNext), "Back and Next are enabled on page 1");
    probe.Screenshot(probe.main(), "2-description");
    KeyboardOnDescriptionPage(probe);
}

void CheckRemovedAll(const Rows& rows, bool keyKept) {
    const bool keyLine = std::any_of(rows.begin(), rows.end(), [](const std::vector<std::wstring>& r) {
        return r[0] == L"Registry" && r[1] == L"Delete " && Contains(r[2], L"\\GuiPest");
    });
    Check(keyLine != keyKept, keyKept ? "report: no line for the unchecked key" : "report: the key was deleted");
    const bool runLine = std::any_of(rows.begin(), rows.end(), [](const std::vector<std::wstring>& r) {
        return r[0] == L"Registry" && r[1] == L"Delete " && Contains(r[2], L"CurrentVersion\\Run") &&
               r[3] == L"GuiPest";
    });
    Check(runLine, "report: the Run value was deleted");
    for (const bool view32 : {false, true}) {
        const bool machineLine = std::any_of(rows.begin(), rows.end(), [&](const std::vector<std::wstring>& r) {
            return r[0] == L"Registry" && r[1] == L"Delete " && Contains(r[2], L"CurrentVersion\\Run") &&
                   Contains(r[2], view32 ? L"(32-bit)" : L"(64-bit)") && r[3] == L"GuiPest";
        });
        Check(machineLine, view32 ? "report: the machine's Run value in the 32-bit view was deleted, marked (32-bit)"
                                  : "report: the machine's Run value in the 64-bit view was deleted, marked (64-bit)");
    }
    Check(HasLine(rows, L"INI", L"Delete ", L"guipest.ini"), "report: the INI value was deleted");
    Check(HasLine(rows, L"Process ", L"Kill ", L"guipest.exe"), "report: the pest's program was stopped");
    Check(HasLine(rows, L"Disk", L"Delete ", L"guipest.exe"), "report: guipest.exe was deleted");
    Check(HasLine(rows, L"Disk", L"Delete ", L"guipest.dll"), "report: guipest.dll was deleted");
    Check(!HasError(rows), "report: no operation failed");
}

void CheckMachineClean(const Pest& pest, bool keyKept) {
    Check(pest.KeyPresent() == keyKept, keyKept ? "the unchecked key is still there" : "the key is gone");
    Check(!pest.RunValuePresent(), "the Run value is gone");
    Check(!pest.RunValuePresent(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY) &&
              !pest.RunValuePresent(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY),
          "the machine's Run value is gone from both registry views");
    Check(!pest.IniValuePresent(), "the INI value is gone");
    Check(!FileExists(pest.Library()) && !FileExists(pest.Program()), "both files are gone");
    Check(gui::WaitUntil([&] { return !pest.ProgramRunning(); }, 5000), "the pest's program is no longer running");
}

void AutomaticRemoval(Probe& probe, const Pest& pest) {
    probe.Click(id::bNext);
    ShootPass(probe, qm::kPagePDetectie, id::TeProgressBarLoad, "3-detection");
    ShootPass(probe, qm::kPagePDezinstalare, id::TeProgressBarUninstall, "5-removal");
    probe.WaitForPage(qm::kPagePRaport, kPassTimeout);
    CheckRemovedAll(ReportRows(probe), false);
    Check(!probe.Visible(id::bRetry), "Retry stays hidden after a pass without errors");
    Check(probe.Enabled(id::bBack) && !probe.Enabled(id::bNext), "on the report page Back is enabled, Next is not");
    Check(probe.Focus() == probe.Control(id::bBack), "the focus is back on Back, not on Exit");
    Check(probe.Text(id::lbBackupFolder).rfind(L"Backup to undo this cleanup: ", 0) == 0,
          "the report says where the cleanup's backup is");
    CheckMachineClean(pest, false);
    probe.Screenshot(probe.main(), "6-report");
}

void CheckAllRows(Probe& probe, HWND list, bool checked, const std::string& what) {
    bool all = probe.RowCount(list) > 0;
    for (int row = 0; row < probe.RowCount(list); ++row) all = all && probe.RowChecked(list, row) == checked;
    Check(all, what);
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The check boxes answer to the mouse and to Space, as check boxes do; a
// click on a row's caption selects the row and leaves its check alone.
// Starts and ends with both rows of `list` checked.
void CheckBoxesByHand(Probe& probe, HWND list) {
    enum class Act { ClickBox, DoubleClickBox, ClickCaption, Space };
    struct Case {
        Act act;
        int row;
        bool row0, row1;  // the checks after the act
        const char* what;
    };
    const Case cases[] = {
        {Act::ClickBox, 0, false, true, "a click on row 0's check box unchecks it, and only it"},
        {Act::ClickBox, 0, true, true, "a second click checks it again"},
        {Act::DoubleClickBox, 1, true, true, "a double click on row 1's check box toggles it twice"},
        {Act::ClickCaption, 1, true, true, "a click on row 1's caption leaves both checks alone"},
        {Act::Space, 1, true, false, "Space unchecks the focused row 1, and only it"},
        {Act::Space, 1, true, true, "Space again checks it again"},
    };
    for (const Case& c : cases) {
        switch (c.act) {
            case Act::ClickBox: probe.ClickRow(list, c.row, true); break;
            case Act::DoubleClickBox: probe.ClickRow(list, c.row, true, true); break;
            case Act::ClickCaption: probe.ClickRow(list, c.row, false); break;
            case Act::Space: probe.Type(VK_SPACE); break;
        }
        Check(probe.RowChecked(list, 0) == c.row0 && probe.RowChecked(list, 1) == c.row1, c.what);
    }
    Check(probe.Focus() == list, "the list has the focus after the clicks");
}

// Once a script is loaded the pages follow the window's size: the lists
// grow, the buttons keep to the bottom right corner.
void Resizing(Probe& probe) {
    const RECT frame = WindowRect(probe.main());
    const RECT tab = WindowRect(probe.Control(id::PgAllOperation));
    const RECT next = WindowRect(probe.Control(id::bNext));
    const int dx = 200, dy = 120;
    SetWindowPos(probe.main(), nullptr, 0, 0, frame.right - frame.left + dx, frame.bottom - frame.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    probe.Settle();
    const RECT grownTab = WindowRect(probe.Control(id::PgAllOperation));
    const RECT movedNext = WindowRect(probe.Control(id::bNext));
    Check(grownTab.right - grownTab.left == tab.right - tab.left + dx &&
              grownTab.bottom - grownTab.top == tab.bottom - tab.top + dy,
          "PgAllOperation grows with the window");
    Check(movedNext.left == next.left + dx && movedNext.top == next.top + dy, "Next keeps to the bottom right");
    SetWindowPos(probe.main(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    probe.Settle();
    Check(WindowRect(probe.Control(id::bNext)).left == next.left, "and all go back when it shrinks");
}

// On a screen of another DPI the window takes the rectangle Windows
// suggests and that DPI's layout, pictures and fonts; back on the first
// screen, its first ones. (Wine draws the title bar at one DPI only, so the
// client area's height is not checked: Windows' suggestion counts the title
// bar of the new DPI.)
void ScreenOfAnotherDpi(Probe& probe, HWND list) {
    const int first = ScreenDpi();
    const RECT firstRow = probe.RowRect(list, 0, LVIR_BOUNDS);
    const int firstHeight = firstRow.bottom - firstRow.top;
    struct Case {
        int dpi;
        const char* screen;
    };
    const Case cases[] = {{first * 5 / 4, "on a screen of 125% the DPI"}, {first, "back on the first screen"}};
    for (const Case& c : cases) {
        const RECT suggested = probe.MoveToScreenOfDpi(c.dpi);
        const std::string on = std::string(c.screen) + " (" + std::to_string(c.dpi) + " DPI)";
        const RECT frame = WindowRect(probe.main());
        Check(EqualRect(&frame, &suggested) != FALSE, on + " the window takes the rectangle Windows suggests");
        CheckEqual<long>(ClientSize(probe.main()).cx, MulDiv(692, c.dpi, 96), on + " the client area is 692 wide");
        RECT next = WindowRect(probe.Control(id::bNext));
        MapWindowPoints(nullptr, probe.main(), reinterpret_cast<POINT*>(&next), 2);
        Check(std::abs(next.right - next.left - MulDiv(95, c.dpi, 96)) <= 1 &&
                  std::abs(next.bottom - next.top - MulDiv(28, c.dpi, 96)) <= 1 &&
                  std::abs(ClientSize(probe.main()).cx - next.right - MulDiv(10, c.dpi, 96)) <= 1,
              on + " Next is 95 x 28 design units, 10 from the right edge");
        const RECT icon = probe.RowRect(list, 0, LVIR_ICON);
        CheckEqual<long>(icon.right - icon.left, MulDiv(16, c.dpi, 96), on + " the rows' pictures are 16 design units");
        const RECT row = probe.RowRect(list, 0, LVIR_BOUNDS);
        const int height = row.bottom - row.top;
        Check(std::abs(height - MulDiv(firstHeight, c.dpi, first)) <= 2,
              on + " the rows are as high as the font and pictures make them: " + std::to_string(height) + " pixels");
        if (c.dpi != first) probe.Screenshot(probe.main(), "4c-choice-dpi-changed");
    }
}

void CustomRemoval(Probe& probe, Pest& pest) {
    pest.StopProgram();
    pest.Plant();
    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPagePDescriere, 10000);
    probe.Click(id::rbCustom);
    probe.Settle();
    Check(probe.Checked(id::rbCustom) && !probe.Checked(id::rbAuto), "custom removal chosen");

    probe.Click(id::bNext);
    probe.WaitForPage(qm::kPagePAlegere, kPassTimeout);
    CheckText(probe.Text(id::lbFound),
              L"Found entry in \r\n=> Runing Process \r\n=> INI \r\n=> Disk \r\n=> Registry \r\n",
              "lbFound names the lists with items, one a line");
    const std::vector<std::wstring> tabs = probe.TabCaptions();
    Check(tabs == std::vector<std::wstring>{L"Registry items", L"Disk files", L"INI files", L"Running Processes"},
          "only the tabs of lists with items show");
    CheckEqual(probe.SelectedTab(), 0, "the registry tab is active");
    const HWND registry = probe.Control(id::AdvListREG);
    CheckEqual(probe.RowCount(registry), 4,
               "the registry list holds the key, the user's Run value and the machine's in each view");
    const std::vector<std::wstring> keys = probe.Column(registry, 2);
    for (const wchar_t* mark : {L"(64-bit)", L"(32-bit)"})
        Check(std::count_if(keys.begin(), keys.end(), [&](const std::wstring& k) { return Contains(k, mark); }) == 1,
              "one row says " + gui::Utf8(mark) + ": the machine's Run value in that view");
    CheckAllRows(probe, registry, true, "the registry rows are checked");
    CheckEqual(static_cast<int>(SendMessageW(registry, LVM_GETCOLUMNWIDTH, 5, 0)), 0,
               "the item-number column is hidden");
    probe.Screenshot(probe.main(), "4-choice");
    Resizing(probe);
    ScreenOfAnotherDpi(probe, registry);

    probe.ClickTab(3);
    CheckEqual(probe.SelectedTab(), 3, "a click on \"Running Processes\" opens its tab");
    Check(!probe.Visible(id::bCheckall) && !probe.Visible(id::bUncheckall) && !probe.Visible(id::lbFound),
          "Select all, Select none and lbFound hide on the running-process tab");
    const HWND processes = probe.Control(id::AdvRuning);
    Check(probe.Visible(id::AdvRuning) && probe.Visible(id::runningLabel), "the running-process list shows");
    CheckEqual(probe.RowCount(processes), 1, "one running process is listed");
    Check(Contains(probe.Cell(processes, 0, 2), L"guipest.exe"), "the listed process is guipest.exe");
    probe.Screenshot(probe.main(), "4b-choice-processes");

    probe.ClickTab(1);
    Check(probe.Visible(id::bCheckall) && probe.Visible(id::bUncheckall), "Select all and Select none come back");
    const HWND disk = probe.Control(id::AdvListDisck);
    CheckEqual(probe.RowCount(disk), 2, "the disk list holds both files");
    probe.Click(id::bUncheckall);
    probe.Settle();
    CheckAllRows(probe, disk, false, "Select none unchecks every disk row");
    probe.Click(id::bCheckall);
    probe.Settle();
    CheckAllRows(probe, disk, true, "Select all checks every disk row");
    CheckBoxesByHand(probe, disk);

    probe.ClickTab(0);
    int keyRow = -1;
    for (int row = 0; row < probe.RowCount(registry); ++row) {
        const std::wstring key = probe.Cell(registry, row, 2);
        if (key.size() >= 8 && Upper(key.substr(key.size() - 8)) == L"\\GUIPEST") keyRow = row;
    }
    Check(keyRow >= 0, "the pest's key has a row");
    probe.ClickRow(registry, keyRow, true);
    Check(!probe.RowChecked(registry, keyRow), "the key's row is unchecked");

    probe.Click(id::bNext);
    probe.WaitForPage(qm::kPagePRaport, kPassTimeout);
    CheckRemovedAll(ReportRows(probe), true);
    CheckMachineClean(pest, true);
}

std::wstring StartPage() {
    HKEY key = nullptr;
    wchar_t text[128] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kStartPageKey, 0, KEY_READ, &key) != 0) return {};
    RegQueryValueExW(key, L"Start Page", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return text;
}

void NothingFound(Probe& probe, const Pest& pest) {
    pest.RemoveKey();
    HKEY key = nullptr;
    const wchar_t hijacked[] = L"http://hijack.example/";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kStartPageKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0 ||
        RegSetValueExW(key, L"Start Page", 0, REG_SZ, reinterpret_cast<const BYTE*>(hijacked), sizeof hijacked) != 0)
        Fail("cannot write the start page");
    RegCloseKey(key);

    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPagePDescriere, 10000);
    probe.Click(id::CBaboutblank);
    probe.Settle();
    Check(probe.Checked(id::CBaboutblank), "the start-page box is checked");
    probe.Click(id::bNext);
    probe.WaitForPage(qm::kPagePspecial, kPassTimeout);
    CheckText(StartPage(), L"about:blank", "the scan began by resetting the start page to about:blank");
    CheckText(probe.Text(id::nothingText), L"No spyware, adware or malware infection detected on your computer...",
              "page 6 says that nothing was found");
    Check(!probe.Enabled(id::bNext) && probe.Enabled(id::bBack), "on page 6 Back is enabled, Next is not");
    probe.Screenshot(probe.main(), "7-nothing-found");
}

// Without a script beside it or on its command line Quellmar asks for one.
// A chosen script is loaded; a cancelled dialog ends the program.
void StartWithoutScript(const std::wstring& program, const std::wstring& script, const std::wstring& shots) {
    {
        Probe probe(program, {}, shots);
        const HWND dialog = probe.WaitForWindow(L"#32770", kDialogTitle, 60000);
        Pass("with no script Quellmar opens its open dialog");
        Check(probe.FindShown(id::kMainClass, id::kMainTitle) == nullptr, "the wizard is not shown yet");
        probe.Settle(dialog);
        CheckText(probe.Text(probe.Control(kFileTypeCombo, dialog)), L"All anti-malware files",
                  "the dialog offers the removal scripts");
        const std::wstring folder = probe.TextFromMessage(dialog, CDM_GETFOLDERPATH, MAX_PATH);
        Check(Upper(folder + L"\\") == Upper(program.substr(0, program.find_last_of(L'\\') + 1)),
              "the dialog opens in the program's folder");
        probe.Screenshot(dialog, "0-open-dialog");
        HWND name = probe.FindControl(kFileNameCombo, dialog);
        if (name == nullptr) name = probe.Control(kFileNameEdit, dialog);
        probe.SetText(name, script);
        probe.Press(dialog, IDOK);
        probe.WaitForMain(60000);
        probe.WaitForPage(qm::kPagePreclama, 10000);
        Check(probe.Enabled(id::bNext), "the chosen script is loaded");
        probe.Click(id::btnExit);
        CheckEqual<DWORD>(probe.WaitForExit(30000), 0, "Exit ends Quellmar with code 0");
    }
    Probe probe(program, {}, shots);
    const HWND dialog = probe.WaitForWindow(L"#32770", kDialogTitle, 60000);
    probe.Press(dialog, IDCANCEL);
    CheckEqual<DWORD>(probe.WaitForExit(30000), 0, "a cancelled dialog ends Quellmar with code 0");
}

// A damaged script halts the program before its window shows.
void CorruptScript(const std::wstring& program, const std::wstring& shots) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring broken = std::wstring(folder) + L"broken.malware";
    const HANDLE file = CreateFileW(broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char garbage[] = "This is not a removal script, only some text that ends without a trailer.";
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE || !WriteFile(file, garbage, sizeof garbage, &written, nullptr))
        Fail("cannot write broken.malware");
    CloseHandle(file);

    Probe probe(program, {broken}, shots);
    const HWND box = probe.WaitForWindow(L"#32770", id::kMainTitle, 60000);
    Check(Contains(probe.ChildTexts(box), L"Corupt Instalation!"), "a damaged script is reported as corrupt");
    Check(probe.FindShown(id::kMainClass, id::kMainTitle) == nullptr, "the wizard does not show");
    probe.Press(box, IDOK);
    CheckEqual<DWORD>(probe.WaitForExit(30000), 0, "after the message Quellmar ends");
    DeleteFileW(broken.c_str());
}

void AboutBox(Probe& probe) {
    probe.Click(id::TeButton2);
    const HWND about = probe.WaitForWindow(id::kAboutClass, id::kAboutTitle, 10000);
    probe.Settle();
    const SIZE client = ClientSize(about);
    Check(client.cx == MulDiv(457, ScreenDpi(), 96) && client.cy == MulDiv(474, ScreenDpi(), 96),
          "the About box's client area is 457 x 474");
    CheckText(probe.Text(probe.Control(id::lab_version, about)), L"Version 1.2", "the About box shows the version");
    CheckText(probe.Text(probe.Control(id::Label13, about)), L"Web page", "the web link has its caption");
    CheckText(probe.Text(probe.Control(id::Label12, about)), L"Email", "the mail link has its caption");
    Check(!probe.Text(probe.Control(id::lab_web, about)).empty() &&
              !probe.Text(probe.Control(id::lab_email, about)).empty(),
          "both links show an address");
    Check(!IsWindowEnabled(probe.main()), "the wizard waits while the About box is open");
    probe.Screenshot(about, "8-about");
    probe.Type(VK_ESCAPE);
    Check(gui::WaitUntil([&] { return !IsWindowVisible(about); }, 10000), "Esc closes the About box");
    Check(gui::WaitUntil([&] { return IsWindowEnabled(probe.main()) != FALSE; }, 5000), "the wizard takes input again");

    probe.Click(id::TeButton2);
    probe.WaitForWindow(id::kAboutClass, id::kAboutTitle, 10000);
    probe.Click(id::aboutOk, about);
    Check(gui::WaitUntil([&] { return !IsWindowVisible(about); }, 10000), "OK closes the About box");
    Check(gui::WaitUntil([&] { return IsWindowEnabled(probe.main()) != FALSE; }, 5000), "the wizard takes input again");
}

bool PestKeyPresent() { return Pest().KeyPresent(); }

// What the custom removal took away is back: the Run value, the INI value, the files.
bool PestBack() {
    const Pest pest;
    return pest.RunValuePresent() && pest.IniValuePresent() && FileExists(pest.Library()) && FileExists(pest.Program());
}

// A scan from page 1 that runs to its end, in custom mode.
void WholeScan(Probe& probe) {
    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPagePDescriere, 10000);
    probe.Click(id::bNext);
    probe.WaitForPage(qm::kPagePAlegere, kPassTimeout);
}

// Clicks, keys and Exit while the passes run: one pass at a time, stop or go on.
void DuringPasses(Probe& probe, Pest& pest, int addedKeys) {
    pest.StopProgram();
    pest.Plant();
    gui::RemoveAddedKeys();
    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPagePDescriere, 10000);
    probe.Click(id::rbCustom);
    probe.Settle();
    // The pest's key and Run values (the user's, the machine's in two views), then the keys to add.
    const int registryRows = 4 + addedKeys;
    gui::ClicksDuringAScan(probe, registryRows);
    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPagePDescriere, 10000);
    gui::EscDuringAScanNotStopped(probe, registryRows);
    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPagePDescriere, 10000);
    gui::ExitDuringAScanStopped(probe, registryRows, &PestKeyPresent);

    WholeScan(probe);
    gui::CloseDuringARemovalStopped(probe, addedKeys);
    probe.Screenshot(probe.main(), "6b-report-stopped");
    Check(FileExists(pest.Library()), "the pest's queued file deletion was not started");

    pest.StopProgram();
    pest.Plant();
    gui::RemoveAddedKeys();
    WholeScan(probe);
    gui::ExitDuringARemovalNotStopped(probe);
    CheckRemovedAll(ReportRows(probe), false);
    CheckMachineClean(pest, false);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--idle") {
        Sleep(300000);  // the pest's program: runs until Quellmar stops it
        return 0;
    }
    if (argc != 5) {
        std::printf("usage: driver.exe QUELLMAR.EXE SCRIPT.malware SHOT_FOLDER ADDED_KEYS\n");
        return 2;
    }
    const std::wstring program = argv[1], script = argv[2], shots = argv[3];
    const int addedKeys = _wtoi(argv[4]);
    StartWithoutScript(program, script, shots);
    CorruptScript(program, shots);

    Pest pest;
    pest.Plant();
    gui::RemoveAddedKeys();
    Probe probe(program, {script}, shots);
    probe.WaitForMain(60000);
    WelcomeAndDescription(probe);
    AutomaticRemoval(probe, pest);
    gui::SaveTheReport(probe, L"guipest");
    DuringPasses(probe, pest, addedKeys);
    CustomRemoval(probe, pest);
    NothingFound(probe, pest);
    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPagePDescriere, 10000);
    probe.Click(id::bBack);
    probe.WaitForPage(qm::kPagePreclama, 10000);
    gui::UndoTheLatestCleanup(probe, L"gui-pests.malware", &PestBack);
    AboutBox(probe);
    probe.Type(VK_ESCAPE, {}, false);
    CheckEqual<DWORD>(probe.WaitForExit(30000), 0, "Esc ends Quellmar with code 0");
    std::printf("PASS\n");
    return 0;
}
