// Starting programs on the simulated machine and waiting for them; the
// machine's regsvr32 runs as the real one does.
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/SamePath.h"
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

// The words of a command line as a program's argument parser splits them:
// blanks separate, double quotes group.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

// regsvr32's exit codes.
constexpr DWORD kRegsvr32Ok = 0;
constexpr DWORD kRegsvr32BadArguments = 1;
constexpr DWORD kRegsvr32LoadFailed = 3;
constexpr DWORD kRegsvr32NoEntry = 4;
constexpr DWORD kRegsvr32EntryFailed = 5;

using RegistrationEntry = HRESULT(QM_STDCALL*)();

}  // namespace

DWORD SimPlatform::RunRegsvr32(int bits, const std::string& commandLine) {
    bool unregister = false;
    std::string server;
    const std::vector<std::string> words = Words(commandLine);
    for (std::size_t i = 1; i < words.size(); ++i) {
        std::string option = words[i];
        for (char& c : option) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (option == "/u" || option == "-u") unregister = true;
        else if (option == "/s" || option == "-s") continue;
        else if (!option.empty() && option[0] != '/' && option[0] != '-') server = words[i];
    }
    if (server.empty()) return kRegsvr32BadArguments;
    // Loaded as a program of regsvr32's bitness would load it.
    const std::optional<std::string> name = ModuleNameOfFile(server);
    const SimModule* module = name ? modules_.Definition(*name) : nullptr;
    if (module == nullptr || (module->bits() != 0 && module->bits() != bits) || !module->RunLoadHook())
        return kRegsvr32LoadFailed;
    const SimExport entry = module->Find(unregister ? "DllUnregisterServer" : "DllRegisterServer");
    if (entry == nullptr) return kRegsvr32NoEntry;
    return reinterpret_cast<RegistrationEntry>(entry)() >= 0 ? kRegsvr32Ok : kRegsvr32EntryFailed;
}

BOOL SimPlatform::CreateProcessA(const char* applicationName, char* commandLine, const void*, const void*, BOOL,
                                 DWORD, const void*, const char*, STARTUPINFOA*,
                                 PROCESS_INFORMATION* processInformation) {
    const std::string line = commandLine != nullptr ? commandLine : "";
    std::string image = applicationName != nullptr ? applicationName : "";
    if (image.empty()) {
        const std::vector<std::string> words = Words(line);
        if (!words.empty()) image = words.front();
    }
    if (auto error = Injected(FailableCall::CreateProcessA, image)) return Fail(*error, FALSE);
    if (image.empty() || processInformation == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    const DWORD attributes = GetFileAttributesA(image.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Fail(ERROR_FILE_NOT_FOUND, FALSE);

    const std::string native = settings_.systemDirectory + "\\regsvr32.exe";
    const std::string wow32 = settings_.systemWow64Directory + "\\regsvr32.exe";
    std::optional<DWORD> exitCode;
    int bits = 0;
    if (SamePath(image, native)) {
        bits = settings_.machineBits;
        exitCode = RunRegsvr32(bits, line);
    } else if (settings_.machineBits == 64 && SamePath(image, wow32)) {
        bits = 32;
        exitCode = RunRegsvr32(bits, line);
    } else if (settings_.runProgram) {
        exitCode = settings_.runProgram(image, line);
    }

    const DWORD id = StartProcess(image);
    processes_.Find(id)->bits = bits;
    if (exitCode) EndProcess(id, *exitCode);
    processInformation->hProcess = NewHandle();
    processes_.AddProcessHandle(processInformation->hProcess, ProcessHandleRecord{id, 0x1FFFFF, false});
    processInformation->hThread = NewHandle();
    processes_.AddProcessHandle(processInformation->hThread, ProcessHandleRecord{id, 0x1FFFFF, true});
    processInformation->dwProcessId = id;
    processInformation->dwThreadId = id + 2;
    return TRUE;
}

DWORD SimPlatform::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    if (auto error = Injected(FailableCall::WaitForSingleObject, "")) return Fail(*error, WAIT_FAILED);
    const ProcessHandleRecord* record = processes_.FindProcessHandle(handle);
    if (record == nullptr) return Fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
    if (processes_.Find(record->processId) == nullptr) return WAIT_OBJECT_0;  // it has ended
    // Nothing else runs meanwhile: a limited wait just lets the time pass.
    if (milliseconds == INFINITE) return Fail(ERROR_INVALID_PARAMETER, WAIT_FAILED);
    Sleep(milliseconds);
    return WAIT_TIMEOUT;
}

BOOL SimPlatform::GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
    if (auto error = Injected(FailableCall::GetExitCodeProcess, "")) return Fail(*error, FALSE);
    const ProcessHandleRecord* record = processes_.FindProcessHandle(process);
    if (record == nullptr || record->thread) return Fail(ERROR_INVALID_HANDLE, FALSE);
    if (exitCode == nullptr) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    const std::optional<DWORD> ended = processes_.ExitCode(record->processId);
    *exitCode = ended ? *ended : STILL_ACTIVE;
    return TRUE;
}

}  // namespace qm::sim
