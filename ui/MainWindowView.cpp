// The wizard window as the view its logic drives: pages, widget states,
// captions, lists, tabs, progress and the dialogs.
#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

#include "ui/ControlIds.h"
#include "ui/MainWindow.h"
#include "ui/MessagePump.h"
#include "ui/OpenScriptDialog.h"
#include "ui/SaveReportDialog.h"
#include "ui/Win32Text.h"

namespace qmui {

using qm::Widget;

const PlacedControl* MainWindow::Find(Widget widget) const {
    const auto it = controls_.byWidget.find(widget);
    return it == controls_.byWidget.end() ? nullptr : &controls_.placed[it->second];
}

PlacedControl* MainWindow::Find(Widget widget) {
    const auto it = controls_.byWidget.find(widget);
    return it == controls_.byWidget.end() ? nullptr : &controls_.placed[it->second];
}

void MainWindow::ApplyVisibility(const PlacedControl& control) const {
    const bool shown = control.visible && (control.page == kBarPage || control.page == page_);
    const bool showing = (GetWindowLongW(control.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (showing != shown) ShowWindow(control.hwnd, shown ? SW_SHOWNA : SW_HIDE);
}

void MainWindow::ShowPage(int page) {
    page_ = page;
    pageChanged_ = true;
    // Hide the old page first, so no control of it keeps the focus.
    for (const PlacedControl& control : controls_.placed)
        if (control.page != page && control.page != kBarPage) ApplyVisibility(control);
    for (const PlacedControl& control : controls_.placed)
        if (control.page == page || control.page == kBarPage) ApplyVisibility(control);
    FixFocus();
}

void MainWindow::SetEnabled(Widget widget, bool enabled) {
    if (const PlacedControl* control = Find(widget)) {
        EnableWindow(control->hwnd, enabled ? TRUE : FALSE);
        FixFocus();
    }
}

bool MainWindow::Enabled(Widget widget) const {
    const PlacedControl* control = Find(widget);
    return control == nullptr || IsWindowEnabled(control->hwnd) != FALSE;
}

void MainWindow::SetVisible(Widget widget, bool visible) {
    if (TabbedLists::IsTab(widget)) {
        controls_.tabs.SetTabVisible(widget, visible);
        return;
    }
    if (PlacedControl* control = Find(widget)) {
        control->visible = visible;
        ApplyVisibility(*control);
        if (!visible) FixFocus();
        return;
    }
    listVisible_[widget] = visible;  // the lists inside PgAllOperation follow their tabs
}

bool MainWindow::Visible(Widget widget) const {
    if (TabbedLists::IsTab(widget)) return controls_.tabs.TabVisible(widget);
    if (const PlacedControl* control = Find(widget)) return control->visible;
    const auto it = listVisible_.find(widget);
    return it == listVisible_.end() || it->second;
}

void MainWindow::SetCaption(Widget widget, const std::string& caption) {
    const PlacedControl* control = Find(widget);
    if (control == nullptr) return;
    captions_[widget] = caption;
    // lbFound ends its lines with a carriage return alone.
    const std::wstring text = widget == Widget::lbFound ? WithLineFeeds(Widen(caption)) : Widen(caption);
    SetWindowTextW(control->hwnd, text.c_str());
    if (widget == Widget::advLStatusDetect || widget == Widget::advLStatusUninstal)
        InvalidateRect(control->hwnd, nullptr, TRUE);  // drawn by the window
}

std::string MainWindow::Caption(Widget widget) const {
    const auto it = captions_.find(widget);
    if (it != captions_.end()) return it->second;
    const PlacedControl* control = Find(widget);
    return control == nullptr ? std::string() : Narrow(WindowText(control->hwnd));
}

bool MainWindow::Checked(Widget widget) const {
    if (widget != Widget::rbAuto && widget != Widget::rbCustom && widget != Widget::CBaboutblank &&
        widget != Widget::cbKeepBackup)
        return false;
    const PlacedControl* control = Find(widget);
    return control != nullptr && SendMessageW(control->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

qm::ItemList& MainWindow::List(Widget list) {
    if (list == Widget::AdvRaport) return controls_.report;
    if (list == Widget::AdvBackups) return controls_.backups;
    if (ListViewItemList* found = controls_.tabs.List(list)) return *found;
    throw std::invalid_argument("not a list widget");
}

void MainWindow::SetTabVisible(Widget tab, bool visible) {
    controls_.tabs.SetTabVisible(tab, visible);
    FixFocus();
}

void MainWindow::ActivateTab(Widget tab) { controls_.tabs.Activate(tab); }

int MainWindow::ActiveTabTag() const { return controls_.tabs.ActiveTag(); }

void MainWindow::SetProgress(Widget bar, int position) {
    if (const PlacedControl* control = Find(bar))
        SendMessageW(control->hwnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void MainWindow::SetProgressMax(Widget bar, int maximum) {
    if (const PlacedControl* control = Find(bar)) SendMessageW(control->hwnd, PBM_SETRANGE32, 0, maximum);
}

void MainWindow::SetAnimating(Widget infiniteProgress, bool animating) {
    if (const PlacedControl* control = Find(infiniteProgress))
        SendMessageW(control->hwnd, PBM_SETMARQUEE, animating ? TRUE : FALSE, 40);
}

void MainWindow::LoadDescription(const std::string& html) { controls_.description.Load(html); }

void MainWindow::ProcessMessages() { PumpWaitingMessages(); }

void MainWindow::UpdateLists() {
    controls_.tabs.FlushLists();
    controls_.report.Flush();
    controls_.backups.Flush();
}

bool MainWindow::Confirm(const std::string& question) {
    return MessageBoxW(hwnd_, WithLineFeeds(Widen(question)).c_str(), id::kMainTitle,
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::optional<std::string> MainWindow::ChooseScript(const std::string& initialFolder, const std::string& filter,
                                                    const std::string& title) {
    // At start-up the window is not shown yet; the dialog then stands alone.
    const HWND owner = IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
    return ChooseScriptFile(owner, initialFolder, filter, title);
}

std::optional<qm::ReportFileChoice> MainWindow::ChooseReportFile(const std::string& initialFolder,
                                                                 const std::string& suggestedName,
                                                                 const std::string& filter, const std::string& title) {
    return ChooseReportFileName(hwnd_, initialFolder, suggestedName, filter, title);
}

void MainWindow::ShowError(const std::string& text) {
    MessageBoxW(hwnd_, WithLineFeeds(Widen(text)).c_str(), id::kMainTitle, MB_OK | MB_ICONERROR);
}

void MainWindow::ShowAbout() {
    if (!about_) CreateAboutBox();
    about_->ShowModal(hwnd_);
}

void MainWindow::AnchorPages() {
    anchored_ = true;
    Relayout();
}

}  // namespace qmui
