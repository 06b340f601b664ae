// How often a running pass shows its state: the status texts, the progress
// and the new rows reach the window at a human rate, not after every record.
#pragma once

#include <chrono>
#include <functional>

namespace qm {

using SteadyTime = std::chrono::steady_clock::time_point;
// Where the wizard reads the time; the tests give a clock of their own.
using PassClock = std::function<SteadyTime()>;

class RefreshPacer {
public:
    // About 30 refreshes a second.
    static constexpr std::chrono::milliseconds kInterval{33};

    // The pass begins now: the first refresh is due one interval later.
    void Start(SteadyTime now) { last_ = now; }
    // True when an interval has passed since the last refresh; the refresh
    // then counts as done at `now`.
    bool Due(SteadyTime now) {
        if (now - last_ < kInterval) return false;
        last_ = now;
        return true;
    }

private:
    SteadyTime last_{};
};

}  // namespace qm
