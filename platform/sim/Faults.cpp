// Fault injection rules of the simulated machine.
#include "platform/sim/Faults.h"

#include <cctype>

#include "platform/sim/SamePath.h"

namespace qm::sim {

FaultRule::FaultRule(std::string operation, DWORD error)
    : operation_(std::move(operation)), error_(error) {}

FaultRule& FaultRule::ForPath(std::string path) {
    path_ = std::move(path);
    return *this;
}

FaultRule& FaultRule::OnCall(unsigned n) {
    onCall_ = n;
    return *this;
}

FaultRule& FaultRule::AndAfter() {
    andAfter_ = true;
    return *this;
}

bool FaultRule::Applies(std::string_view operation, std::string_view path) {
    if (operation != operation_) return false;
    if (path_ && !SamePath(*path_, path)) return false;
    ++matched_;
    const bool fires = onCall_ == 0 || matched_ == onCall_ || (andAfter_ && matched_ > onCall_);
    if (fires) ++triggered_;
    return fires;
}

FaultRule& Faults::Fail(std::string operation, DWORD error) {
    return rules_.emplace_back(std::move(operation), error);
}

std::optional<DWORD> Faults::Check(std::string_view operation, std::string_view path) {
    auto count = [](auto& map, std::string_view key) {
        auto it = map.find(key);
        if (it == map.end()) it = map.emplace(std::string(key), 0).first;
        ++it->second;
    };
    count(calls_, operation);
    std::optional<DWORD> result;
    for (FaultRule& rule : rules_) {
        // Every rule sees the call, so OnCall counts stay true even when an
        // earlier rule already decided it.
        if (rule.Applies(operation, path) && !result) result = rule.error();
    }
    if (result) count(triggered_, operation);
    return result;
}

unsigned Faults::Calls(std::string_view operation) const {
    auto it = calls_.find(operation);
    return it == calls_.end() ? 0 : it->second;
}

unsigned Faults::Triggered(std::string_view operation) const {
    auto it = triggered_.find(operation);
    return it == triggered_.end() ? 0 : it->second;
}

void Faults::Clear() {
    rules_.clear();
    calls_.clear();
    triggered_.clear();
}

}  // namespace qm::sim
