// A simulated machine described by a folder.
#include "platform/sim/MachineFolder.h"

#include <sstream>

#include "platform/sim/MachineOrigin.h"
#include "platform/sim/RegFile.h"
#include "platform/sim/StandardMachine.h"

namespace qm::sim {

namespace {

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

// The folder's own files; none of them may be a link that leads out of it.
constexpr const char* kFolderFiles[] = {"machine.ini", "registry.reg", "processes.txt", "next-start.txt",
                                        "faults.txt"};

// The lines of a text, each with its line break.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, next - at));
        at = next;
    }
    return lines;
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
    for (const char* name : kFolderFiles) InsideFolder(folder, name);  // refused before anything is read
    auto machine = std::make_unique<SimPlatform>(folder);
    for (const auto& [name, bits] : {std::pair{"selfreg", 0}, std::pair{"selfreg32", 32}})
        machine->modules()
            .Define(name)
            .Bits(bits)
            .Export("DllRegisterServer", &SelfRegister)
            .Export("DllUnregisterServer", &SelfRegister);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() != 7 || name.rfind("drive_", 0) != 0) continue;
        if (entry.is_symlink()) InsideFolder(folder, name);  // a drive that lies elsewhere is refused
        if (!entry.is_directory()) continue;
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[6])));
        if (letter >= 'A' && letter <= 'Z' && letter != 'C') machine->disk().MapDrive(letter, entry.path());
    }

    const auto settings = ReadFolderFile(folder, "machine.ini");
    const bool standard = settings ? ApplySettings(*machine, *settings) : true;
    const auto registry = ReadFolderFile(folder, "registry.reg");
    if (registry) {
        try {
            ImportRegFile(machine->registry(), *registry);
        } catch (const RegFileError& error) {
            throw MachineFolderError(std::string("registry.reg ") + error.what());
        }
    }
    if (standard) InstallStandardMachine(*machine);

    auto origin = std::make_shared<MachineOrigin>(machine->registry());
    origin->registryFile = registry;
    if (const auto processes = ReadFolderFile(folder, "processes.txt")) {
        origin->processLines.emplace();
        for (const std::string& text : LinesOf(*processes)) {
            MachineOrigin::ProcessLine line{text, 0};
            std::string path = Trim(text);
            if (!path.empty() && path[0] != '#') {
                const bool wow32 = path.ends_with(kThirtyTwoBitMark);
                if (wow32) path = Trim(path.substr(0, path.size() - kThirtyTwoBitMark.size()));
                line.process = machine->StartProcess(path);
                if (wow32) machine->processes().Find(line.process)->bits = 32;
            }
            origin->processLines->push_back(std::move(line));
        }
    }
    for (const auto& process : machine->processes().running()) origin->processes.insert(process.id);

    // Last, so the rules meet the run and not the machine's own setting up.
    if (const auto faults = ReadFolderFile(folder, "faults.txt")) {
        try {
            AddFaultRules(machine->faults(), *faults, "faults.txt");
        } catch (const std::invalid_argument& error) {
            throw MachineFolderError(error.what());
        }
    }
    machine->SetOrigin(std::move(origin));
    return machine;
}

}  // namespace qm::sim
