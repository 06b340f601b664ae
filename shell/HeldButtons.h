// While a pass or a restore runs, nothing may start another operation or
// leave the page: the buttons that could are disabled for its length and
// get their states back afterwards, and the operation is marked running,
// whatever ends it.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

#include "shell/WizardView.h"

namespace qm {

class HeldButtons {
public:
    HeldButtons(WizardView& view, std::initializer_list<Widget> buttons) : view_(view) {
        for (const Widget button : buttons) {
            held_.emplace_back(button, view.Enabled(button));
            view.SetEnabled(button, false);
        }
    }
    ~HeldButtons() {
        for (const auto& [button, enabled] : held_) view_.SetEnabled(button, enabled);
    }
    HeldButtons(const HeldButtons&) = delete;
    HeldButtons& operator=(const HeldButtons&) = delete;

private:
    WizardView& view_;
    std::vector<std::pair<Widget, bool>> held_;
};

class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace qm
