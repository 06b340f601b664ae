// The wizard window's controls for backups and undoing, and the list
// selection that the undo page reads.
#include "ui/BackupControls.h"

#include <commctrl.h>

#include <optional>

#include "ui/ControlIds.h"
#include "ui/MainWindow.h"

namespace qmui {

namespace {

using qm::Widget;

constexpr DWORD kTabStop = WS_TABSTOP | WS_GROUP;
// BS_NOTIFY: the window follows the buttons' focus for the default-button look.
constexpr DWORD kPush = BS_PUSHBUTTON | BS_NOTIFY;

// Makes controls and records where they stand, as the pages' builder does.
class Placer {
public:
    Placer(HWND window, const PageResources& resources, WizardControls& controls)
        : window_(window), resources_(resources), controls_(controls) {}

    HWND Make(int page, const wchar_t* className, const wchar_t* text, DWORD style, int id, HFONT font,
              const DesignRect& where, unsigned anchors, std::optional<Widget> widget) {
        HWND hwnd = CreateWindowExW(0, className, text, WS_CHILD | style, 0, 0, 0, 0, window_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE)), nullptr);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : resources_.fonts.normal.get()), FALSE);
        Place(page, hwnd, where, anchors, widget);
        return hwnd;
    }

    void Place(int page, HWND hwnd, const DesignRect& where, unsigned anchors, std::optional<Widget> widget) {
        PlacedControl placed;
        placed.hwnd = hwnd;
        placed.page = page;
        placed.base = resources_.scale(where);
        placed.made = placed.base;  // what a change of DPI rescales from
        placed.anchors = anchors;
        if (widget) controls_.byWidget[*widget] = controls_.placed.size();
        controls_.placed.push_back(placed);
        const RECT& r = placed.base;
        MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }

    HWND Text(int page, int id, const wchar_t* text, const DesignRect& where, unsigned anchors, HFONT font,
              DWORD style, std::optional<Widget> widget = {}) {
        return Make(page, L"STATIC", text, style | SS_NOPREFIX, id, font, where, anchors, widget);
    }

    HWND Button(int page, int id, const wchar_t* text, DWORD style, const DesignRect& where, unsigned anchors,
                Widget widget) {
        return Make(page, L"BUTTON", text, style, id, nullptr, where, anchors, widget);
    }

    const UiFonts& fonts() const { return resources_.fonts; }
    WizardControls& controls() { return controls_; }

private:
    HWND window_;
    const PageResources& resources_;
    WizardControls& controls_;
};

void BuildUndoPage(Placer& p, HWND window, const PageResources& resources) {
    const int page = qm::kPageUndo;
    WizardControls& c = p.controls();
    p.Text(page, id::undoHeading, L"Undo an earlier cleanup", {10, 8, 672, 28}, kAnchorTopWide,
           p.fonts().heading.get(), SS_LEFT);
    p.Text(page, id::lbUndoStatus, L"", {10, 40, 672, 20}, kAnchorTopWide, nullptr, SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS,
           Widget::lbUndoStatus);
    const std::vector<ListColumn> columns = {
        {"Date", 130, qm::ColumnRole::Fitted}, {"Script", 400, qm::ColumnRole::Object}, {"Changes", 100, qm::ColumnRole::Fitted}};
    c.backups.Create(window, id::AdvBackups, columns, false, nullptr, nullptr, p.fonts().normal.get(),
                     resources.scale.dpi());
    p.Place(page, c.backups.hwnd(), {10, 64, 672, 290}, kAnchorAll, Widget::AdvBackups);
    // In the list's place when there is no backup.
    p.Text(page, id::lbNoBackup, L"There is no backup.", {10, 72, 672, 30}, kAnchorTopWide, p.fonts().heading.get(),
           SS_LEFT, Widget::lbNoBackup);
    c.placed.back().visible = false;
    p.Make(page, PROGRESS_CLASSW, L"", PBS_SMOOTH, id::TeProgressBarRestore, nullptr, {10, 362, 672, 16},
           kAnchorBottomWide, Widget::TeProgressBarRestore);
    c.placed.back().visible = false;  // while a restore runs
    p.Button(page, id::bRestoreBackup, L"&Restore...", kPush | kTabStop, {10, 388, 110, 28}, kAnchorBottomLeft,
             Widget::bRestoreBackup);
    p.Button(page, id::bDeleteBackup, L"&Delete...", kPush | kTabStop, {130, 388, 110, 28}, kAnchorBottomLeft,
             Widget::bDeleteBackup);
}

}  // namespace

void BuildBackupControls(HWND window, const PageResources& resources, WizardControls& controls) {
    Placer p(window, resources, controls);
    // The welcome page: beside the picture, below the texts.
    const int left = kPictureWidth + 24, width = kClientWidth - left - 20;
    p.Text(qm::kPagePreclama, id::undoIntro, L"Quellmar keeps a backup of what each cleanup changes.",
           {left, 352, width, 18}, kAnchorBottomWide, nullptr, SS_LEFT);
    p.Button(qm::kPagePreclama, id::bUndo, L"Undo an &earlier cleanup...", kPush | kTabStop, {left, 374, 200, 28},
             kAnchorBottomLeft, Widget::bUndo);
    // The description page, below the start-page box.
    const HWND keep = p.Button(qm::kPagePDescriere, id::cbKeepBackup, L"&Keep a backup to undo this cleanup",
                               BS_AUTOCHECKBOX | BS_MULTILINE | BS_NOTIFY | kTabStop, {14, 388, 664, 24},
                               kAnchorBottomWide, Widget::cbKeepBackup);
    SendMessageW(keep, BM_SETCHECK, BST_CHECKED, 0);
    // The report page, between "Save report..." and Retry.
    p.Text(qm::kPagePRaport, id::lbBackupFolder, L"", {140, 396, 432, 20}, kAnchorBottomWide, nullptr,
           SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, Widget::lbBackupFolder);
    BuildUndoPage(p, window, resources);
}

// ---- The selection of a list, for the undo page's logic ----

HWND MainWindow::ListControl(Widget list) const {
    if (list == Widget::AdvRaport) return controls_.report.hwnd();
    if (list == Widget::AdvBackups) return controls_.backups.hwnd();
    return nullptr;
}

int MainWindow::SelectedRow(Widget list) const {
    const HWND control = ListControl(list);
    if (control == nullptr) return -1;
    return static_cast<int>(SendMessageW(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void MainWindow::SelectRow(Widget list, int row) {
    const HWND control = ListControl(list);
    if (control == nullptr) return;
    UpdateLists();  // the row must be in the control
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    if (row < 0) return;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(control, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    SendMessageW(control, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

}  // namespace qmui
