// Writing back into a machine folder what a run changed.
#include <algorithm>

#include "platform/sim/MachineFolder.h"
#include "platform/sim/MachineOrigin.h"
#include "platform/sim/RegFile.h"
#include "platform/sim/RegFileUpdate.h"

namespace qm::sim {

namespace {

// processes.txt's lines: those of programs still running (and the
// comments) stay as they were; programs started since are added; nothing
// when the file would not change.
std::optional<std::vector<MachineOrigin::ProcessLine>> UpdatedProcesses(SimPlatform& machine,
                                                                       const MachineOrigin& origin) {
    std::set<DWORD> running;
    for (const auto& process : machine.processes().running()) running.insert(process.id);
    std::vector<MachineOrigin::ProcessLine> lines;
    bool changed = false;
    if (origin.processLines) {
        for (const auto& line : *origin.processLines) {
            if (line.process != 0 && running.count(line.process) == 0) {
                changed = true;
                continue;
            }
            lines.push_back(line);
        }
        if (!lines.empty() && !lines.back().text.ends_with('\n')) lines.back().text += '\n';
    } else {
        lines.push_back({"# Programs running on this machine, one a line.\n", 0});
    }
    for (const auto& process : machine.processes().running()) {
        if (origin.processes.count(process.id) != 0) continue;
        lines.push_back({process.exePath + (process.bits == 32 ? " " + std::string(kThirtyTwoBitMark) : "") + "\n",
                         process.id});
        changed = true;
    }
    if (!changed) return std::nullopt;
    return lines;
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
    const auto processLines = UpdatedProcesses(machine, origin);
    std::optional<std::string> processes;
    if (processLines) {
        processes.emplace();
        for (const auto& line : *processLines) *processes += line.text;
    }
    const std::string nextStart = NextStart(machine);

    std::vector<std::pair<std::string, std::string>> files;
    if (registry) files.emplace_back("registry.reg", *registry);
    if (processes) files.emplace_back("processes.txt", *processes);
    if (ReadFolderFile(folder, "next-start.txt") != nextStart) files.emplace_back("next-start.txt", nextStart);
    WriteFolderFiles(folder, files);

    // What was written is the new starting point of a later save.
    if (registry) {
        origin.registry = RegistrySnapshot(machine.registry());
        origin.registryFile = registry;
    }
    if (processLines) {
        origin.processLines = processLines;
        origin.processes = std::set<DWORD>();
        for (const auto& process : machine.processes().running()) origin.processes.insert(process.id);
    }
}

}  // namespace qm::sim
