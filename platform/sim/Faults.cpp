// Fault injection rules of the simulated machine.
#include "platform/sim/Faults.h"

#include <algorithm>
#include <stdexcept>

#include "platform/sim/SamePath.h"

namespace qm::sim {

std::optional<FailableCall> FailableCallNamed(std::string_view name) {
    const auto* found = std::find(std::begin(kFailableCallNames), std::end(kFailableCallNames), name);
    if (found == std::end(kFailableCallNames)) return std::nullopt;
    return static_cast<FailableCall>(found - std::begin(kFailableCallNames));
}

FailableCall RequireFailableCall(std::string_view name) {
    if (auto call = FailableCallNamed(name)) return *call;
    throw std::invalid_argument("no failable call is named \"" + std::string(name) +
                                "\" (names are Windows' own, such as DeleteFileA)");
}

FaultRule::FaultRule(FailableCall call, DWORD error) : call_(call), error_(error) {}

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

bool FaultRule::Applies(FailableCall call, std::string_view path) {
    if (call != call_) return false;
    if (path_ && !SamePath(*path_, path)) return false;
    ++matched_;
    const bool fires = onCall_ == 0 || matched_ == onCall_ || (andAfter_ && matched_ > onCall_);
    if (fires) ++triggered_;
    return fires;
}

FaultRule& Faults::Fail(FailableCall call, DWORD error) { return rules_.emplace_back(call, error); }

FaultRule& Faults::Fail(std::string_view callName, DWORD error) {
    return Fail(RequireFailableCall(callName), error);
}

std::optional<DWORD> Faults::Check(FailableCall call, std::string_view path) {
    const auto index = static_cast<std::size_t>(call);
    ++calls_[index];
    std::optional<DWORD> result;
    for (FaultRule& rule : rules_) {
        // Every rule sees the call, so OnCall counts stay true even when an
        // earlier rule already decided it.
        if (rule.Applies(call, path) && !result) result = rule.error();
    }
    if (result) ++triggered_[index];
    return result;
}

unsigned Faults::Calls(std::string_view callName) const {
    return calls_[static_cast<std::size_t>(RequireFailableCall(callName))];
}

unsigned Faults::Triggered(std::string_view callName) const {
    return triggered_[static_cast<std::size_t>(RequireFailableCall(callName))];
}

void Faults::Clear() {
    rules_.clear();
    calls_.fill(0);
    triggered_.fill(0);
}

}  // namespace qm::sim
