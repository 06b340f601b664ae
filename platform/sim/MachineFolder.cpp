// A simulated machine described by a folder.
#include "platform/sim/MachineFolder.h"

#include <fstream>
#include <sstream>

#include "platform/sim/RegFile.h"
#include "platform/sim/StandardMachine.h"

namespace qm::sim {

namespace {

// Marks a 32-bit program in processes.txt.
constexpr std::string_view kThirtyTwoBitMark = "(32-bit)";

// The module that a machine folder's COM servers can be: a file that starts
// with "QMSIMDLL:selfreg" and a line break registers and unregisters itself
// successfully.
HRESULT QM_STDCALL SelfRegister() { return 0; }

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool ReadHostFile(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    bytes = text.str();
    return true;
}

bool YesNo(const std::string& value, const std::string& where) {
    const std::string v = Lower(value);
    if (v == "yes" || v == "true" || v == "1") return true;
    if (v == "no" || v == "false" || v == "0") return false;
    throw MachineFolderError(where + ": expected yes or no, found '" + value + "'");
}

// machine.ini: settings and environment. Returns whether the standard
// machine is wanted.
bool ApplySettings(SimPlatform& machine, const std::string& text) {
    SimSettings& s = machine.settings();
    bool standard = true;
    std::string section;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string where = "machine.ini line " + std::to_string(number);
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = Lower(line.substr(1, line.size() - 2));
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) throw MachineFolderError(where + ": expected name=value");
        const std::string name = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        if (section == "environment") {
            machine.SetEnvironmentVariableA(name.c_str(), value.c_str());
            continue;
        }
        if (section != "machine") throw MachineFolderError(where + ": unknown section [" + section + "]");
        const std::string key = Lower(name);
        if (key == "windowsdirectory") s.windowsDirectory = value;
        else if (key == "systemdirectory") s.systemDirectory = value;
        else if (key == "temppath") s.tempPath = value;
        else if (key == "programpath") s.programPath = value;
        else if (key == "username") s.userName = value;
        else if (key == "computername") s.computerName = value;
        else if (key == "psapi") s.psapiAvailable = YesNo(value, where);
        else if (key == "toolhelp") s.toolhelpAvailable = YesNo(value, where);
        else if (key == "standard") standard = YesNo(value, where);
        else if (key == "windows") {
            const std::string version = Lower(value);
            if (version == "7 x64" || version == "7x64") MakeWindows7x64(s);
            else if (version != "xp") throw MachineFolderError(where + ": Windows is XP or 7 x64, not '" + value + "'");
        } else if (key == "programbits") {
            if (value != "32" && value != "64") throw MachineFolderError(where + ": ProgramBits is 32 or 64");
            s.programBits = value == "32" ? 32 : 64;
            if (s.machineBits == 32 && s.programBits == 64)
                throw MachineFolderError(where + ": a 64-bit program needs Windows=7 x64 first");
        }
        else if (key == "family") {
            const std::string family = Lower(value);
            if (family == "nt") {
                s.platformId = VER_PLATFORM_WIN32_NT;
                s.majorVersion = 5;
                s.minorVersion = 1;
                s.buildNumber = 2600;
            } else if (family == "9x") {
                s.platformId = VER_PLATFORM_WIN32_WINDOWS;
                s.majorVersion = 4;
                s.minorVersion = 10;
                s.buildNumber = 2222;
            } else {
                throw MachineFolderError(where + ": Family is NT or 9x, not '" + value + "'");
            }
        } else {
            throw MachineFolderError(where + ": unknown setting '" + name + "'");
        }
    }
    return standard;
}

}  // namespace

std::unique_ptr<SimPlatform> OpenMachineFolder(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    auto machine = std::make_unique<SimPlatform>(folder);
    for (const auto& [name, bits] : {std::pair{"selfreg", 0}, std::pair{"selfreg32", 32}})
        machine->modules()
            .Define(name)
            .Bits(bits)
            .Export("DllRegisterServer", &SelfRegister)
            .Export("DllUnregisterServer", &SelfRegister);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name.size() == 7 && name.rfind("drive_", 0) == 0) {
            const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[6])));
            if (letter >= 'A' && letter <= 'Z' && letter != 'C') machine->disk().MapDrive(letter, entry.path());
        }
    }

    std::string text;
    const bool standard = ReadHostFile(folder / "machine.ini", text) ? ApplySettings(*machine, text) : true;
    if (ReadHostFile(folder / "registry.reg", text)) {
        try {
            ImportRegFile(machine->registry(), text);
        } catch (const RegFileError& error) {
            throw MachineFolderError(std::string("registry.reg ") + error.what());
        }
    }
    if (standard) InstallStandardMachine(*machine);
    if (ReadHostFile(folder / "processes.txt", text)) {
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            line = Trim(line);
            if (line.empty() || line[0] == '#') continue;
            const bool wow32 = line.ends_with(kThirtyTwoBitMark);
            if (wow32) line = Trim(line.substr(0, line.size() - kThirtyTwoBitMark.size()));
            const DWORD id = machine->StartProcess(line);
            if (wow32) machine->processes().Find(id)->bits = 32;
        }
    }
    return machine;
}

void SaveMachineFolder(SimPlatform& machine, const std::filesystem::path& folder) {
    std::ofstream(folder / "registry.reg", std::ios::binary) << ExportRegFile(machine.registry(), RegFileFormat::Regedit4);
    std::ofstream processes(folder / "processes.txt", std::ios::binary);
    processes << "# Programs running on this machine, one a line.\n";
    for (const auto& process : machine.processes().running())
        processes << process.exePath << (process.bits == 32 ? " " + std::string(kThirtyTwoBitMark) : "") << "\n";

    std::ofstream next(folder / "next-start.txt", std::ios::binary);
    next << "# What Quellmar left for the next start of Windows.\n";
    for (const auto& call : machine.winExecCalls()) next << "started: " << call.commandLine << "\n";
    for (const auto& move : machine.delayedMoves())
        next << (move.to.empty() ? "delete at restart: " + move.from : "move at restart: " + move.from + " -> " + move.to)
             << "\n";
}

}  // namespace qm::sim
