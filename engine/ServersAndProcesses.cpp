// COM servers registered and unregistered through their own entry points,
// and running programs found by their file and stopped.
#include "engine/Quarn_link.h"

#include <stdexcept>

#include "engine/Backup.h"
#include "engine/GuardRails.h"
#include "engine/MachineHalves.h"
#include "engine/WindowsFamily.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"

namespace qm {

namespace {

using RegistrationEntry = HRESULT(QM_STDCALL*)();

constexpr const char* kRegistrationEntries[] = {"DllRegisterServer", "DllUnregisterServer"};

// The upper-cased short (8.3) form of a path; empty when it has none.
std::string ComparableForm(const std::string& path) {
    char buffer[261] = {};
    CurrentPlatform().GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return AnsiUpperCase(std::string(buffer));
}

}  // namespace

bool RegisterWithRegsvr32(const std::string& Program, const std::string& Path, bool Register) {
    Platform& p = CurrentPlatform();
    std::string commandLine =
        "\"" + Program + "\" /s " + (Register ? "" : "/u ") + "\"" + Path + "\"";
    STARTUPINFOA startup;
    startup.cb = 68;
    PROCESS_INFORMATION started;
    if (!p.CreateProcessA(Program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &started))
        return false;
    const ProcessHandle process(p, started.hProcess);
    const ProcessHandle thread(p, started.hThread);
    // A server whose registration hangs must not hold the pass for ever.
    constexpr DWORD kLongestRegistration = 60000;
    if (p.WaitForSingleObject(process.get(), kLongestRegistration) != WAIT_OBJECT_0) {
        p.TerminateProcess(process.get(), 1);
        return false;
    }
    DWORD exitCode = 1;
    return p.GetExitCodeProcess(process.get(), &exitCode) && exitCode == 0;
}

bool CallRegistrationEntry(const std::string& Path, bool Register) {
    bool result = false;
    try {
        Platform& p = CurrentPlatform();
        ModuleHandle module(p, p.LoadLibraryA(Path.c_str()));
        if (!module) {
            // A 64-bit program cannot load a 32-bit server: the system's
            // 32-bit regsvr32 registers it.
            if (p.GetLastError() != static_cast<DWORD>(ERROR_BAD_EXE_FORMAT) || !SeesBothHalves()) return false;
            const std::string wow64 = InfoDir.GetSystemWow64Folder();
            return !wow64.empty() && RegisterWithRegsvr32(wow64 + "\\regsvr32.exe", Path, Register);
        }
        const FARPROC entry = p.GetProcAddress(module.get(), kRegistrationEntries[Register ? 0 : 1]);
        if (entry != nullptr) {
            try {
                result = reinterpret_cast<RegistrationEntry>(entry)() >= 0;
            } catch (...) {
                result = false;
            }
        }
    } catch (const std::exception&) {
        result = false;
    }
    return result;
}

std::string GetProcessFileName(DWORD ProcessId) {
    try {
        Platform& p = CurrentPlatform();
        ProcessHandle process(p, p.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ProcessId));
        if (!process) return {};
        // Room for one module handle: the first module of a process is its executable.
        HMODULE module = 0;
        DWORD needed = 0;
        if (!p.EnumProcessModules(process.get(), &module, sizeof module, &needed)) return {};
        char buffer[513] = {};
        p.GetModuleFileNameExA(process.get(), module, buffer, sizeof buffer);
        return std::string(buffer);
    } catch (const std::exception&) {
        return {};
    }
}

std::string GetProcessImageName(DWORD ProcessId) {
    std::string name = GetProcessFileName(ProcessId);
    if (!name.empty()) return name;
    // Where PSAPI may not read the process (another bitness, a protected or
    // another user's process), Windows Vista and later still name its image.
    try {
        Platform& p = CurrentPlatform();
        ProcessHandle process(p, p.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ProcessId));
        if (!process) return {};
        char buffer[513] = {};
        DWORD size = sizeof buffer;
        if (!p.QueryFullProcessImageNameA(process.get(), 0, buffer, &size)) return {};
        return std::string(buffer, size);
    } catch (const std::exception&) {
        return {};
    }
}

bool FindProcessByFile(const std::string& Path, DWORD& ProcessId) {
    const std::string target = ComparableForm(Path);
    // A file without a short form never matches: an empty text would match
    // every process whose path cannot be read.
    if (target.empty()) return false;
    Platform& p = CurrentPlatform();
    SnapshotHandle snapshot(p, p.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    const bool nt = IsWindowsNT();
    PROCESSENTRY32 entry;
    entry.dwSize = kProcessEntry32Size;
    for (BOOL more = p.Process32First(snapshot.get(), &entry); more; more = p.Process32Next(snapshot.get(), &entry)) {
        const std::string executable = nt ? GetProcessImageName(entry.th32ProcessID) : std::string(entry.szExeFile);
        if (ComparableForm(executable) == target) {
            ProcessId = entry.th32ProcessID;
            return true;
        }
    }
    return false;
}

std::int32_t KillProcess(const std::string& Path) {
    DWORD processId = 0;
    if (!FindProcessByFile(Path, processId)) return -1;
    if (ProcessRefusal(processId, Path)) return 0;  // never stopped, whoever asks
    Platform& p = CurrentPlatform();
    ProcessHandle process(p, p.OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    return p.TerminateProcess(process.get(), 0);
}

void TlinkObject::RegisterServer(const std::string& Path) {
    try {
        const std::string path = ResolveFileName(Path, false, kOpRegister);
        if (!FileExists(path)) return;
        if (FScanMode) {
            AddItemRow(FServerList, kCategoryServer, "Register Server", kPictureRegisterServer, {path});
            return;
        }
        if (!IsItemChecked(kCategoryServer)) return;
        if (FBackup != nullptr && !BackedUp(FBackup->ServerRegistered(path), kCategoryServer, kOpRegister,
                                            ExtractFileName(path), ExtractFilePath(path)))
            return;
        const bool ok = CallRegistrationEntry(path, true);
        if (!ok && FBackup != nullptr) FBackup->NotMade();
        AddReportLine(kCategoryServer, kOpRegister, !ok, ExtractFileName(path), ExtractFilePath(path));
    } catch (const std::exception&) {
    }
}

void TlinkObject::UnregisterServer(const std::string& Path) {
    try {
        const std::string path = ResolveFileName(Path, false, kOpUnregister);
        if (!FileExists(path)) return;
        if (Refused(FGuardRails->File(path), kCategoryServer, kOpUnregister, ExtractFileName(path),
                    ExtractFilePath(path)))
            return;
        if (FScanMode) {
            AddItemRow(FServerList, kCategoryServer, "UNRegister Server", kPictureUnregisterServer, {path});
            return;
        }
        if (!IsItemChecked(kCategoryServer)) return;
        if (FBackup != nullptr && !BackedUp(FBackup->ServerUnregistered(path), kCategoryServer, kOpUnregister,
                                            ExtractFileName(path), ExtractFilePath(path)))
            return;
        const bool ok = CallRegistrationEntry(path, false);
        if (!ok && FBackup != nullptr) FBackup->NotMade();
        AddReportLine(kCategoryServer, kOpUnregister, !ok, ExtractFileName(path), ExtractFilePath(path));
    } catch (const std::exception&) {
    }
}

void TlinkObject::KillRunningProcess(const std::string& Path) {
    try {
        if (!FileExists(Path)) return;
        if (AnsiUpperCase(ExtractFileExt(Path)) != ".EXE") return;
        DWORD processId = 0;
        if (!FindProcessByFile(Path, processId)) return;
        if (Refused(ProcessRefusal(processId, Path), kCategoryProcess, kOperationKill, ExtractFileName(Path),
                    ExtractFilePath(Path)))
            return;
        if (FScanMode) {
            AddItemRow(FProcessList, kCategoryProcess, "Runing Process", kPictureProcess, {Path});
            return;
        }
        if (!IsItemChecked(kCategoryProcess)) return;
        const std::int32_t result = KillProcess(Path);
        if (result > 0 && FBackup != nullptr) FBackup->ProcessStopped(Path);
        AddReportLine(kCategoryProcess, kOperationKill, result < 0, ExtractFileName(Path), ExtractFilePath(Path));
    } catch (const std::exception&) {
    }
}

}  // namespace qm
