// Raising one of the reader's events: an event nobody assigned is skipped.
#pragma once

#include <utility>

namespace qm {

template <typename Event, typename... Args>
void RaiseEvent(const Event& event, Args&&... args) {
    if (event) event(std::forward<Args>(args)...);
}

}  // namespace qm
