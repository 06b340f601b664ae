// Writing back into a machine folder what a run changed.
#include <algorithm>

#include "platform/sim/MachineFolder.h"
#include "platform/sim/MachineOrigin.h"
#include "platform/sim/RegFile.h"
#include "platform/sim/RegFileUpdate.h"

namespace qm::sim {

namespace {

// processes.txt: the lines of programs still running (and the comments)
// stay as they were; programs started since are added; nothing when it
// would not change.
std::optional<std::string> UpdatedProcesses(SimPlatform& machine, const MachineOrigin& origin) {
    std::set<DWORD> running;
    for (const auto& process : machine.processes().running()) running.insert(process.id);
    std::string text;
    bool changed = false;
    if (origin.processLines) {
        for (const auto& line : *origin.processLines) {
            if (line.process != 0 && running.count(line.process) == 0) {
                changed = true;
                continue;
            }
            text += line.text;
        }
        if (!text.empty() && text.back() != '\n') text += '\n';
    } else {
        text = "# Programs running on this machine, one a line.\n";
    }
    for (const auto& process : machine.processes().running()) {
        if (origin.processes.count(process.id) != 0) continue;
        text += process.exePath + (process.bits == 32 ? " " + std::string(kThirtyTwoBitMark) : "") + "\n";
        changed = true;
    }
    if (!changed) return std::nullopt;
    return text;
}

std::string NextStart(SimPlatform& machine) {
    std::string text = "# What Quellmar left for the next start of Windows.\n";
    for (const auto& call : machine.winExecCalls()) text += "started: " + call.commandLine + "\n";
    for (const auto& move : machine.delayedMoves())
        text += (move.to.empty() ? "delete at restart: " + move.from : "move at restart: " + move.from + " -> " + move.to) +
                "\n";
    return text;
}

}  // namespace

void SaveMachineFolder(SimPlatform& machine, const std::filesystem::path& folder) {
    if (!machine.origin()) {
        // A machine not opened from a folder: everything it holds is new.
        const RegistryStore empty;
        machine.SetOrigin(std::make_shared<MachineOrigin>(empty));
    }
    MachineOrigin& origin = *machine.origin();

    const RegistryChanges changes = origin.registry.ChangesTo(machine.registry());
    std::optional<std::string> registry;
    try {
        registry = UpdatedRegFile(origin.registryFile, machine.registry(), changes);
    } catch (const RegFileError& error) {
        throw MachineFolderError(std::string("registry.reg ") + error.what());
    }
    const std::optional<std::string> processes = UpdatedProcesses(machine, origin);
    const std::string nextStart = NextStart(machine);

    if (registry) WriteFolderFile(folder, "registry.reg", *registry);
    if (processes) WriteFolderFile(folder, "processes.txt", *processes);
    if (ReadFolderFile(folder, "next-start.txt") != nextStart) WriteFolderFile(folder, "next-start.txt", nextStart);

    // What was written is the new starting point of a later save.
    if (registry) {
        origin.registry = RegistrySnapshot(machine.registry());
        origin.registryFile = registry;
    }
    if (processes) {
        origin.processLines.emplace();
        for (const auto& process : machine.processes().running()) {
            const std::string line = process.exePath + (process.bits == 32 ? " " + std::string(kThirtyTwoBitMark) : "");
            origin.processLines->push_back({line + "\n", process.id});
        }
        origin.processes.clear();
        for (const auto& process : machine.processes().running()) origin.processes.insert(process.id);
    }
}

}  // namespace qm::sim
