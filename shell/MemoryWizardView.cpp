// A wizard window kept in memory.
#include "shell/MemoryWizardView.h"

#include <stdexcept>

namespace qm {

namespace {

template <typename Map, typename Value>
Value Lookup(const Map& map, Widget widget, Value fallback) {
    auto it = map.find(widget);
    return it == map.end() ? fallback : it->second;
}

bool IsList(Widget widget) {
    switch (widget) {
        case Widget::AdvListREG:
        case Widget::AdvListDisck:
        case Widget::AdvListIni:
        case Widget::AdvServers:
        case Widget::AdvRuning:
        case Widget::AdvRaport:
        case Widget::AdvBackups: return true;
        default: return false;
    }
}

}  // namespace

MemoryWizardView::MemoryWizardView() {
    // The window as it opens: Back and Next disabled, Retry hidden,
    // automatic removal chosen, start-page reset unchecked, backups kept.
    enabled_[Widget::bBack] = false;
    enabled_[Widget::bNext] = false;
    visible_[Widget::bRetry] = false;
    checked_[Widget::rbAuto] = true;
    checked_[Widget::rbCustom] = false;
    checked_[Widget::CBaboutblank] = false;
    checked_[Widget::cbKeepBackup] = true;
}

void MemoryWizardView::ShowPage(int page) {
    page_ = page;
    pagesShown_.push_back(page);
}

bool MemoryWizardView::Enabled(Widget widget) const { return Lookup(enabled_, widget, true); }

bool MemoryWizardView::Visible(Widget widget) const { return Lookup(visible_, widget, true); }

std::string MemoryWizardView::Caption(Widget widget) const { return Lookup(captions_, widget, std::string()); }

bool MemoryWizardView::Checked(Widget widget) const { return Lookup(checked_, widget, false); }

void MemoryWizardView::SetChecked(Widget widget, bool checked) {
    checked_[widget] = checked;
    if (widget == Widget::rbAuto) checked_[Widget::rbCustom] = !checked;
    if (widget == Widget::rbCustom) checked_[Widget::rbAuto] = !checked;
}

ItemList& MemoryWizardView::List(Widget list) {
    if (!IsList(list)) throw std::invalid_argument("not a list widget");
    return lists_[list];
}

int MemoryWizardView::SelectedRow(Widget list) const {
    // A selection past the last row (the list shrank) is none, as in a list view.
    const int row = Lookup(selected_, list, -1);
    const auto it = lists_.find(list);
    return it != lists_.end() && row < it->second.RowCount() ? row : -1;
}

int MemoryWizardView::ActiveTabTag() const {
    switch (activeTab_) {
        case Widget::TeTabReg: return 1;
        case Widget::TeTabDisck: return 2;
        case Widget::TeTabIni: return 3;
        case Widget::TeTabServers: return 4;
        case Widget::TeTabRunProcess: return 5;
        default: return 0;
    }
}

std::optional<std::string> MemoryWizardView::ChooseScript(const std::string& initialFolder,
                                                          const std::string& filter, const std::string& title) {
    dialogRequests.push_back({initialFolder, filter, title});
    return dialogAnswer;
}

std::optional<ReportFileChoice> MemoryWizardView::ChooseReportFile(const std::string& initialFolder,
                                                                   const std::string& suggestedName,
                                                                   const std::string& filter,
                                                                   const std::string& title) {
    saveRequests.push_back({initialFolder, suggestedName, filter, title});
    return saveAnswer;
}

void MemoryWizardView::ProcessMessages() {
    ++messagesProcessed_;
    if (whileProcessingMessages) whileProcessingMessages();
}

bool MemoryWizardView::Confirm(const std::string& question) {
    questions.push_back(question);
    return confirmAnswer;
}

bool MemoryWizardView::TabVisible(Widget tab) const { return Lookup(tabVisible_, tab, true); }

int MemoryWizardView::Progress(Widget bar) const { return Lookup(progress_, bar, 0); }

int MemoryWizardView::ProgressMax(Widget bar) const { return Lookup(progressMax_, bar, 100); }

bool MemoryWizardView::Animating(Widget widget) const { return Lookup(animating_, widget, false); }

}  // namespace qm
