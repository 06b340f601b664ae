// What a machine folder held when its machine was opened: the registry as
// it was then, registry.reg and processes.txt as they were, and which
// process each line of processes.txt started. Saving the machine compares
// against it and writes back only what the run changed.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/sim/RegistryDiff.h"

namespace qm::sim {

// Marks a 32-bit program in processes.txt.
inline constexpr std::string_view kThirtyTwoBitMark = "(32-bit)";

struct MachineOrigin {
    explicit MachineOrigin(const RegistryStore& store) : registry(store) {}

    RegistrySnapshot registry;
    std::optional<std::string> registryFile;  // registry.reg's bytes; nothing: there was none
    struct ProcessLine {
        std::string text;  // the line with its line break
        DWORD process = 0;  // the process it started; 0 for comments and blank lines
    };
    std::optional<std::vector<ProcessLine>> processLines;  // nothing: there was no processes.txt
    std::set<DWORD> processes;  // every process running when the machine was opened
};

}  // namespace qm::sim
