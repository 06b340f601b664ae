// COM servers registered and unregistered through their own entry points,
// and running programs found by their file and stopped.
#include "engine/Quarn_link.h"

#include <stdexcept>

#include "engine/WindowsFamily.h"
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

bool CallRegistrationEntry(const std::string& Path, bool Register) {
    bool result = false;
    try {
        Platform& p = CurrentPlatform();
        ModuleHandle module(p, p.LoadLibraryA(Path.c_str()));
        if (!module) return false;
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
        const std::string executable = nt ? GetProcessFileName(entry.th32ProcessID) : std::string(entry.szExeFile);
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
        const bool ok = CallRegistrationEntry(path, true);
        AddReportLine(kCategoryServer, kOpRegister, !ok, ExtractFileName(path), ExtractFilePath(path));
    } catch (const std::exception&) {
    }
}

void TlinkObject::UnregisterServer(const std::string& Path) {
    try {
        const std::string path = ResolveFileName(Path, false, kOpUnregister);
        if (!FileExists(path)) return;
        if (FScanMode) {
            AddItemRow(FServerList, kCategoryServer, "UNRegister Server", kPictureUnregisterServer, {path});
            return;
        }
        if (!IsItemChecked(kCategoryServer)) return;
        const bool ok = CallRegistrationEntry(path, false);
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
        if (FScanMode) {
            AddItemRow(FProcessList, kCategoryProcess, "Runing Process", kPictureProcess, {Path});
            return;
        }
        if (!IsItemChecked(kCategoryProcess)) return;
        const std::int32_t result = KillProcess(Path);
        AddReportLine(kCategoryProcess, kOperationKill, result < 0, ExtractFileName(Path), ExtractFilePath(Path));
    } catch (const std::exception&) {
    }
}

}  // namespace qm
