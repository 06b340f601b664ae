// The registry's copy and its comparison, both iterative (keys may nest as
// deep as Windows allows) and linear in the number of keys and values.
#include "platform/sim/RegistryDiff.h"

#include <unordered_map>

#include "platform/sim/CodePage.h"

namespace qm::sim {

namespace {

std::shared_ptr<RegKey> CopyTree(const RegKey& top) {
    auto copy = std::make_shared<RegKey>();
    std::vector<std::pair<const RegKey*, RegKey*>> pending{{&top, copy.get()}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        to->name = from->name;
        to->values = from->values;
        to->lastWrite = from->lastWrite;
        to->subKeys.reserve(from->subKeys.size());
        for (const auto& sub : from->subKeys) {
            auto child = std::make_shared<RegKey>();
            child->parent = to;
            to->subKeys.push_back(child);
            pending.emplace_back(sub.get(), child.get());
        }
    }
    return copy;
}

// The values of one key that changed, were added or went away.
void CompareValues(const std::u16string& path, const RegKey& before, const RegKey& now,
                   std::vector<RegistryChanges::Value>& out) {
    std::unordered_map<std::u16string, const RegValue*> old;
    old.reserve(before.values.size());
    for (const auto& [name, value] : before.values) old.emplace(RegUpperName(name), &value);
    for (const auto& [name, value] : now.values) {
        auto it = old.find(RegUpperName(name));
        if (it == old.end() || !(*it->second == value)) out.push_back({path, name, value});
        if (it != old.end()) old.erase(it);
    }
    for (const auto& [name, value] : before.values)
        if (old.count(RegUpperName(name)) != 0) out.push_back({path, name, std::nullopt});
}

}  // namespace

RegistrySnapshot::RegistrySnapshot(const RegistryStore& store) {
    for (const auto& [name, root] : store.Roots()) roots_.emplace_back(name, CopyTree(*root));
}

RegistryChanges RegistrySnapshot::ChangesTo(const RegistryStore& now) const {
    RegistryChanges changes;
    const auto roots = now.Roots();
    struct Pair {
        std::u16string path;
        const RegKey* before;
        const RegKey* now;
    };
    std::vector<Pair> pending;
    for (std::size_t i = roots_.size(); i-- > 0;)
        pending.push_back({AnsiToUtf16(roots_[i].first), roots_[i].second.get(), roots[i].second.get()});
    while (!pending.empty()) {
        const Pair pair = std::move(pending.back());
        pending.pop_back();
        CompareValues(pair.path, *pair.before, *pair.now, changes.values);
        // Both lists of sub-keys are sorted by CompareRegNames: one merge pass.
        const auto& a = pair.before->subKeys;
        const auto& b = pair.now->subKeys;
        std::vector<Pair> children;
        std::size_t i = 0, j = 0;
        while (i < a.size() || j < b.size()) {
            const int order = i == a.size() ? 1 : j == b.size() ? -1 : CompareRegNames(a[i]->name, b[j]->name);
            if (order < 0) {
                changes.removedKeys.push_back(pair.path + u'\\' + a[i++]->name);
            } else if (order > 0) {
                changes.addedKeys.push_back(pair.path + u'\\' + b[j++]->name);
            } else {
                children.push_back({pair.path + u'\\' + b[j]->name, a[i].get(), b[j].get()});
                ++i;
                ++j;
            }
        }
        for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(std::move(*it));
    }
    return changes;
}

}  // namespace qm::sim
