// Handing the run over to the 64-bit program.
#include "shell/HandOver64.h"

#include "engine/MachineHalves.h"
#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"

namespace qm {

std::string ArgumentsOf(const std::string& commandLine) {
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        at = close == std::string::npos ? commandLine.size() : close + 1;
    }
    at = commandLine.find_first_of(" \t", at);
    return at == std::string::npos ? std::string() : commandLine.substr(at);
}

std::string Missing64BitProgramText(const std::string& programName) {
    return "This is a 64-bit Windows, but " + programName +
           " is not beside this program (or cannot start). This program sees only the 32-bit half of the "
           "machine: the 64-bit half (its registry view and system folder) cannot be checked. Put " +
           programName + " into this program's folder to check the whole machine.";
}

HandOverResult HandOverTo64BitProgram(const std::string& programName, bool wait) {
    if (!IsWow64Program()) return {};
    Platform& p = CurrentPlatform();
    char own[MAX_PATH + 1] = {};
    p.GetModuleFileNameA(0, own, MAX_PATH);
    const std::string program = ExtractFilePath(own) + programName;
    if (!FileExists(program)) return {HandOverOutcome::Missing};

    std::string commandLine = "\"" + program + "\"" + ArgumentsOf(p.GetCommandLineA());
    STARTUPINFOA startup;
    startup.cb = 68;
    PROCESS_INFORMATION started;
    // Inheriting handles passes on a console's redirected input and output.
    if (!p.CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &started))
        return {HandOverOutcome::Missing};
    const ProcessHandle process(p, started.hProcess);
    const ProcessHandle thread(p, started.hThread);
    HandOverResult result{HandOverOutcome::Started};
    if (wait && p.WaitForSingleObject(process.get(), INFINITE) == WAIT_OBJECT_0)
        p.GetExitCodeProcess(process.get(), &result.exitCode);
    return result;
}

}  // namespace qm
