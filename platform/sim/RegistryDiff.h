// What a run changed in the simulated registry: a copy of the registry taken
// when the machine was opened, compared with the registry at the end, so
// only what changed is written back into the machine folder.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/RegistryStore.h"

namespace qm::sim {

struct RegistryChanges {
    // A value of a key that was there before and still is; no value: removed.
    struct Value {
        std::u16string key;  // full path, root spelled out ("HKEY_CURRENT_USER\...")
        std::u16string name;
        std::optional<RegValue> value;
    };
    std::vector<std::u16string> removedKeys;  // the topmost of each removed tree
    std::vector<std::u16string> addedKeys;    // the topmost of each new tree
    std::vector<Value> values;

    bool empty() const { return removedKeys.empty() && addedKeys.empty() && values.empty(); }
};

class RegistrySnapshot {
public:
    explicit RegistrySnapshot(const RegistryStore& store);
    // Keys in order: removed and added trees depth first, values in the
    // order the key holds them now.
    RegistryChanges ChangesTo(const RegistryStore& now) const;

private:
    std::vector<std::pair<std::string, std::shared_ptr<const RegKey>>> roots_;
};

}  // namespace qm::sim
