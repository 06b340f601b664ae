// A wizard window kept in memory: the tests drive the wizard's logic through
// it, and the command-line front end runs the same flow without windows.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/MemoryItemList.h"
#include "shell/WizardView.h"

namespace qm {

class MemoryWizardView : public WizardView {
public:
    MemoryWizardView();

    int PageIndex() const override { return page_; }
    void ShowPage(int page) override;
    void SetEnabled(Widget widget, bool enabled) override { enabled_[widget] = enabled; }
    bool Enabled(Widget widget) const override;
    void SetVisible(Widget widget, bool visible) override { visible_[widget] = visible; }
    bool Visible(Widget widget) const override;
    void SetCaption(Widget widget, const std::string& caption) override { captions_[widget] = caption; }
    std::string Caption(Widget widget) const override;
    bool Checked(Widget widget) const override;
    ItemList& List(Widget list) override;
    int SelectedRow(Widget list) const override;
    void SelectRow(Widget list, int row) override { selected_[list] = row; }
    void SetTabVisible(Widget tab, bool visible) override { tabVisible_[tab] = visible; }
    void ActivateTab(Widget tab) override { activeTab_ = tab; }
    int ActiveTabTag() const override;
    void SetProgress(Widget bar, int position) override { progress_[bar] = position; }
    void SetProgressMax(Widget bar, int maximum) override { progressMax_[bar] = maximum; }
    void SetAnimating(Widget widget, bool animating) override { animating_[widget] = animating; }
    void LoadDescription(const std::string& html) override { description_ = html; }
    void ProcessMessages() override;
    void UpdateLists() override { ++listUpdates_; }
    bool Confirm(const std::string& question) override;
    std::optional<std::string> ChooseScript(const std::string& initialFolder, const std::string& filter,
                                            const std::string& title) override;
    std::optional<ReportFileChoice> ChooseReportFile(const std::string& initialFolder, const std::string& suggestedName,
                                                     const std::string& filter, const std::string& title) override;
    void ShowError(const std::string& text) override { errorsShown.push_back(text); }
    void ShowAbout() override { ++aboutShown_; }
    void AnchorPages() override { anchored_ = true; }

    // ---- What a user would do, and what the tests look at ----
    void SetChecked(Widget widget, bool checked);  // rbAuto/rbCustom act as one group
    bool TabVisible(Widget tab) const;
    Widget ActiveTab() const { return activeTab_; }
    int Progress(Widget bar) const;
    int ProgressMax(Widget bar) const;
    bool Animating(Widget widget) const;
    const std::string& Description() const { return description_; }
    const std::vector<int>& PagesShown() const { return pagesShown_; }
    int aboutShown() const { return aboutShown_; }
    bool anchored() const { return anchored_; }
    int messagesProcessed() const { return messagesProcessed_; }
    int listUpdates() const { return listUpdates_; }

    // What the user does while the window handles its messages, for example
    // a click in the middle of a pass.
    std::function<void()> whileProcessingMessages;
    // The answer to Confirm, and the questions asked.
    bool confirmAnswer = false;
    std::vector<std::string> questions;

    // The open dialog: the answer it gives (nothing = Cancel), and what it was asked.
    std::optional<std::string> dialogAnswer;
    struct DialogRequest {
        std::string initialFolder, filter, title;
    };
    std::vector<DialogRequest> dialogRequests;
    // The save dialog: its answer (nothing = Cancel), and what it was asked.
    std::optional<ReportFileChoice> saveAnswer;
    struct SaveRequest {
        std::string initialFolder, suggestedName, filter, title;
    };
    std::vector<SaveRequest> saveRequests;
    // The errors shown to the user.
    std::vector<std::string> errorsShown;

private:
    int page_ = 0;
    std::vector<int> pagesShown_;
    std::map<Widget, bool> enabled_, visible_, checked_, tabVisible_, animating_;
    std::map<Widget, std::string> captions_;
    std::map<Widget, int> progress_, progressMax_, selected_;
    std::map<Widget, MemoryItemList> lists_;
    Widget activeTab_ = Widget::TeTabReg;
    std::string description_;
    int aboutShown_ = 0;
    bool anchored_ = false;
    int messagesProcessed_ = 0;
    int listUpdates_ = 0;
};

}  // namespace qm
