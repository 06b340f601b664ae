// The simulated machine's processes: what tests start and end, and how the
// snapshot, OpenProcess, PSAPI and TerminateProcess show them.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

class ProcessSimulation : public ::testing::Test {
protected:
    // The file names (or paths, on the 9x family) of a snapshot, in order.
    std::vector<std::string> Names(HANDLE snapshot) {
        std::vector<std::string> names;
        PROCESSENTRY32 entry;
        entry.dwSize = kProcessEntry32Size;
        for (BOOL more = machine.Process32First(snapshot, &entry); more;
             more = machine.Process32Next(snapshot, &entry))
            names.emplace_back(entry.szExeFile);
        EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        return names;
    }
    std::vector<std::string> CurrentNames() {
        const HANDLE snapshot = machine.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        EXPECT_NE(snapshot, kInvalidHandle);
        auto names = Names(snapshot);
        machine.CloseHandle(snapshot);
        return names;
    }
    std::string ExecutableOf(HANDLE process, DWORD size = 513) {
        HMODULE first = 0;
        DWORD needed = 0;
        if (!machine.EnumProcessModules(process, &first, sizeof first, &needed)) return "error";
        std::string path(size, '\0');
        const DWORD length = machine.GetModuleFileNameExA(process, first, path.data(), size);
        path.resize(length);
        return path;
    }

    SimPlatform machine;
};

using NameList = std::vector<std::string>;

}  // namespace

TEST_F(ProcessSimulation, Snapshot_IsTakenWhenCreated) {
    const DWORD a = machine.processes().Start("C:\\Apps\\a.exe");
    const HANDLE snapshot = machine.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    machine.processes().Start("C:\\Apps\\b.exe");
    machine.processes().End(a);

    EXPECT_EQ(Names(snapshot), (NameList{"a.exe"}));
    EXPECT_EQ(CurrentNames(), (NameList{"b.exe"}));
    EXPECT_TRUE(machine.CloseHandle(snapshot));
    EXPECT_EQ(machine.processes().openHandles(), 0u);
}

TEST_F(ProcessSimulation, EntriesCarryIdsInStartOrder_TwoProcessesOfOneFileBothListed) {
    const DWORD first = machine.processes().Start("C:\\Apps\\same.exe");
    const DWORD second = machine.processes().Start("C:\\Apps\\same.exe");
    EXPECT_NE(first, second);
    EXPECT_EQ(first % 4, 0u);

    const HANDLE snapshot = machine.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = kProcessEntry32Size;
    ASSERT_TRUE(machine.Process32First(snapshot, &entry));
    EXPECT_EQ(entry.th32ProcessID, first);
    ASSERT_TRUE(machine.Process32Next(snapshot, &entry));
    EXPECT_EQ(entry.th32ProcessID, second);
    EXPECT_FALSE(machine.Process32Next(snapshot, &entry));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    machine.CloseHandle(snapshot);
}

TEST_F(ProcessSimulation, NineXFamily_NamesFullPathsAndHasNoPsapi) {
    machine.settings().platformId = VER_PLATFORM_WIN32_WINDOWS;
    const DWORD id = machine.processes().Start("C:\\WINDOWS\\Explorer.exe");
    EXPECT_EQ(CurrentNames(), (NameList{"C:\\WINDOWS\\Explorer.exe"}));

    const HANDLE process = machine.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    ASSERT_NE(process, HANDLE{0});
    HMODULE first = 0;
    DWORD needed = 0;
    EXPECT_FALSE(machine.EnumProcessModules(process, &first, sizeof first, &needed));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    char path[64];
    EXPECT_EQ(machine.GetModuleFileNameExA(process, 0, path, sizeof path), 0u);
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    machine.CloseHandle(process);
}

TEST_F(ProcessSimulation, MissingPsapiOrToolHelp_FailAsTheirMissingFunctions) {
    const DWORD id = machine.processes().Start("C:\\Apps\\a.exe");
    machine.settings().psapiAvailable = false;
    const HANDLE process = machine.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    EXPECT_EQ(ExecutableOf(process), "error");
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    machine.CloseHandle(process);

    machine.settings().toolhelpAvailable = false;
    EXPECT_EQ(machine.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0), kInvalidHandle);
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST_F(ProcessSimulation, Psapi_GivesTheFullPathCutToTheBuffer) {
    const DWORD id = machine.processes().Start("C:\\Program Files\\Pest\\pest.exe");
    const HANDLE process = machine.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    EXPECT_EQ(ExecutableOf(process), "C:\\Program Files\\Pest\\pest.exe");
    EXPECT_EQ(ExecutableOf(process, 8), "C:\\Prog");  // seven and the zero

    // Room for no module still succeeds and tells the room needed.
    DWORD needed = 0;
    EXPECT_TRUE(machine.EnumProcessModules(process, nullptr, 0, &needed));
    EXPECT_EQ(needed, sizeof(HMODULE));
    machine.CloseHandle(process);
}

TEST_F(ProcessSimulation, TerminateProcess_EndsItOnceAndOnlyWithTerminateAccess) {
    const DWORD id = machine.processes().Start("C:\\Apps\\a.exe");
    const HANDLE queryOnly = machine.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    EXPECT_FALSE(machine.TerminateProcess(queryOnly, 0));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    const HANDLE process = machine.OpenProcess(PROCESS_TERMINATE, FALSE, id);
    ASSERT_NE(process, HANDLE{0});
    EXPECT_TRUE(machine.TerminateProcess(process, 0));
    EXPECT_TRUE(CurrentNames().empty());
    EXPECT_FALSE(machine.processes().IsImageRunning("c:/apps/A.EXE"));

    // The handles outlive the process: ending it again is refused, and its
    // modules can no longer be read.
    EXPECT_FALSE(machine.TerminateProcess(process, 0));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ExecutableOf(queryOnly), "error");
    EXPECT_EQ(machine.OpenProcess(PROCESS_TERMINATE, FALSE, id), HANDLE{0});
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    EXPECT_TRUE(machine.CloseHandle(process));
    EXPECT_TRUE(machine.CloseHandle(queryOnly));
    EXPECT_FALSE(machine.CloseHandle(process));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(machine.processes().openHandles(), 0u);
}

TEST_F(ProcessSimulation, ProtectedProcesses_RefuseOpeningOrTermination) {
    const DWORD closed = machine.processes().Start("C:\\WINDOWS\\system32\\csrss.exe");
    machine.processes().Find(closed)->refuseOpen = true;
    const DWORD stubborn = machine.processes().Start("C:\\Apps\\stubborn.exe");
    machine.processes().Find(stubborn)->refuseTerminate = true;

    EXPECT_EQ(machine.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, closed), HANDLE{0});
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    const HANDLE process = machine.OpenProcess(PROCESS_TERMINATE, FALSE, stubborn);
    ASSERT_NE(process, HANDLE{0});
    EXPECT_FALSE(machine.TerminateProcess(process, 0));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(machine.processes().IsImageRunning("C:\\Apps\\stubborn.exe"));
    machine.CloseHandle(process);
}

}  // namespace qm::sim
