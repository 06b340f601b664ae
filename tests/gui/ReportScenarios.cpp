// The GUI test's scenario of saving the report.
#include "tests/gui/ReportScenarios.h"

#include <commdlg.h>
#include <shlobj.h>

#include <string>

#include "shell/WizardView.h"
#include "ui/ControlIds.h"

namespace gui {

namespace {

namespace id = qmui::id;

// Controls of the common save dialog.
constexpr int kFileTypeCombo = 0x470;  // cmb1
constexpr int kFileNameCombo = 0x47c;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1
const wchar_t kSaveTitle[] = L"Save report";

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

// The file's bytes, or nothing when it cannot be read.
std::string ReadAll(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

HWND FileNameBox(Probe& probe, HWND dialog) {
    const HWND combo = probe.FindControl(kFileNameCombo, dialog);
    return combo != nullptr ? combo : probe.Control(kFileNameEdit, dialog);
}

// Opens the save dialog from the report page.
HWND OpenSaveDialog(Probe& probe) {
    probe.Click(id::bSaveReport);
    const HWND dialog = probe.WaitForWindow(L"#32770", kSaveTitle, 30000);
    probe.Settle(dialog);
    return dialog;
}

// Types `name` in the dialog, with file type `type` (0: text, 1: JSON), and saves.
void SaveAs(Probe& probe, HWND dialog, const std::wstring& name, int type) {
    const HWND types = probe.Control(kFileTypeCombo, dialog);
    SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(type), 0);
    // What a choice in the drop-down list sends: the change, then its end.
    for (const WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeCombo, code), reinterpret_cast<LPARAM>(types));
    probe.SetText(FileNameBox(probe, dialog), name);
    probe.Press(dialog, IDOK);
}

// The message box that `owner` shows, waited for.
HWND WaitForBoxOf(HWND owner) {
    struct Search {
        HWND owner, found;
    } search{owner, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(
                [](HWND window, LPARAM context) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(context);
                    wchar_t name[16] = {};
                    GetClassNameW(window, name, 16);
                    if (GetWindow(window, GW_OWNER) != s->owner || std::wstring(name) != L"#32770" ||
                        !IsWindowVisible(window))
                        return TRUE;
                    s->found = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        10000);
    return search.found;
}

bool WriteAll(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    CloseHandle(file);
    return whole;
}

void WaitClosed(HWND dialog, const std::string& what) {
    Check(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000), what);
}

}  // namespace

void SaveTheReport(Probe& probe, const std::wstring& pest) {
    Check(probe.Visible(id::bSaveReport) && probe.Enabled(id::bSaveReport), "the report page offers \"Save report...\"");
    const std::wstring base = TempFolder() + L"quellmar-gui-report";
    DeleteFileW((base + L".json").c_str());
    DeleteFileW((base + L".txt").c_str());

    // The JSON report: the file type chosen, the name typed without its extension.
    HWND dialog = OpenSaveDialog(probe);
    Check(probe.Text(FileNameBox(probe, dialog)).rfind(L"Quellmar report ", 0) == 0,
          "the dialog offers a name with the report's date: " + Utf8(probe.Text(FileNameBox(probe, dialog))));
    wchar_t desktop[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop);
    CheckText(probe.TextFromMessage(dialog, CDM_GETFOLDERPATH, MAX_PATH), desktop, "the dialog opens on the desktop");
    const std::wstring types = probe.Text(probe.Control(kFileTypeCombo, dialog));
    CheckText(types, L"Text report (*.txt)", "the dialog offers the text report first");
    probe.Screenshot(dialog, "6c-save-report");
    SaveAs(probe, dialog, base, 1);
    WaitClosed(dialog, "the dialog closes after Save");
    std::string json;
    WaitUntil([&] { return !(json = ReadAll(base + L".json")).empty(); }, 10000);
    Check(json.rfind("{", 0) == 0 && Has(json, "\"formatVersion\": 1") && Has(json, Utf8(pest)),
          "the JSON file type saves the report as JSON, with the chosen type's extension");

    // The text report over a file that is there: saved only after asking.
    Check(WriteAll(base + L".txt", "an older file"), "a file stands where the text report goes");
    dialog = OpenSaveDialog(probe);
    SaveAs(probe, dialog, base + L".txt", 0);
    const HWND question = WaitForBoxOf(dialog);
    Check(question != nullptr, "saving over a file asks first");
    Check(ReadAll(base + L".txt") == "an older file", "until the question is answered the file stays");
    probe.Press(question, IDYES);
    WaitClosed(dialog, "the dialog closes after Yes");
    std::string text;
    WaitUntil([&] { return (text = ReadAll(base + L".txt")).rfind("Quellmar ", 0) == 0; }, 10000);
    Check(text.rfind("Quellmar ", 0) == 0 && Has(text, " report of a cleanup") && Has(text, Utf8(pest)),
          "Yes replaces the file with the text report");
    Check(probe.Page() == qm::kPagePRaport, "the report page stays");
    DeleteFileW((base + L".json").c_str());
    DeleteFileW((base + L".txt").c_str());
}

}  // namespace gui
