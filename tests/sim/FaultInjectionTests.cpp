// Fault injection on the simulated machine: each kind of rule, what it
// counts, and that every failable call of the system area reports an
// injected error the way Windows reports errors for it.
#include <functional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

constexpr DWORD kInjected = 0x20001234;  // an error no real path gives

class FaultInjection : public ::testing::Test {
protected:
    DWORD ReadVariable() {
        char buffer[16];
        return machine.GetEnvironmentVariableA("QM", buffer, sizeof buffer);
    }
    bool Snapshot() {
        const HANDLE snapshot = machine.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == kInvalidHandle) return false;
        machine.CloseHandle(snapshot);
        return true;
    }

    SimPlatform machine;
};

}  // namespace

TEST_F(FaultInjection, RuleForEveryCall_FailsEachCallOfThatOperationOnly) {
    machine.settings().environment = {{"QM", "on"}};
    FaultRule& rule = machine.faults().Fail("GetEnvironmentVariableA", ERROR_NOT_ENOUGH_MEMORY);

    for (int i = 0; i < 3; ++i) {
        machine.SetLastError(0);
        EXPECT_EQ(ReadVariable(), 0u);
        EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    }
    // Another operation of the same kind is untouched.
    EXPECT_TRUE(machine.SetEnvironmentVariableA("QM", "off"));
    EXPECT_TRUE(Snapshot());

    EXPECT_EQ(rule.matched(), 3u);
    EXPECT_EQ(rule.triggered(), 3u);
    EXPECT_EQ(machine.faults().Calls("GetEnvironmentVariableA"), 3u);
    EXPECT_EQ(machine.faults().Triggered("GetEnvironmentVariableA"), 3u);
    EXPECT_EQ(machine.faults().Calls("SetEnvironmentVariableA"), 1u);
    EXPECT_EQ(machine.faults().Triggered("SetEnvironmentVariableA"), 0u);

    machine.faults().Clear();
    EXPECT_EQ(ReadVariable(), 3u);
    EXPECT_EQ(machine.faults().Calls("GetEnvironmentVariableA"), 1u);
}

TEST_F(FaultInjection, NamesOutsideTheTableOfFailableCalls_AreRefusedAtOnce) {
    // A rule with a misspelt name would never fire and a test using it would
    // test nothing: it is an error where it is written.
    for (const char* name : {"DeleteFile", "deletefilea", "DeleteFileW", "", "RegOpenKeyEx"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(machine.faults().Fail(name, ERROR_ACCESS_DENIED), std::invalid_argument);
        EXPECT_THROW(machine.faults().Calls(name), std::invalid_argument);
        EXPECT_THROW(machine.faults().Triggered(name), std::invalid_argument);
    }
    // Every name of the table is accepted, and the rule made from it is the
    // one the simulation's call of that name consults.
    for (std::string_view name : kFailableCallNames) EXPECT_NO_THROW(machine.faults().Fail(name, kInjected));
    EXPECT_EQ(machine.DeleteFileA("C:\\x"), FALSE);
    EXPECT_EQ(machine.GetLastError(), kInjected);
    EXPECT_EQ(machine.faults().Triggered("DeleteFileA"), 1u);
}

TEST_F(FaultInjection, RuleForOnePath_FailsThatPathInAnySpellingOnly) {
    // WinExec's path is its command line; its errors come back as its result.
    FaultRule& rule = machine.faults().Fail("WinExec", ERROR_FILE_NOT_FOUND).ForPath("C:\\WINDOWS\\x.bat");

    EXPECT_EQ(machine.WinExec("c:/windows/X.BAT", SW_HIDE), static_cast<UINT>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(machine.WinExec("C:\\WINDOWS\\y.bat", SW_HIDE), 33u);
    EXPECT_EQ(machine.WinExec("C:\\WINDOWS\\x.bat.bat", SW_HIDE), 33u);

    ASSERT_EQ(machine.winExecCalls().size(), 2u);  // the failed call started nothing
    EXPECT_EQ(machine.winExecCalls()[0].commandLine, "C:\\WINDOWS\\y.bat");
    EXPECT_EQ(rule.matched(), 1u);
    EXPECT_EQ(machine.faults().Calls("WinExec"), 3u);
    EXPECT_EQ(machine.faults().Triggered("WinExec"), 1u);
}

TEST_F(FaultInjection, RuleOnTheNthCall_FailsThatCallAlone) {
    FaultRule& rule = machine.faults().Fail("CreateToolhelp32Snapshot", ERROR_NOT_ENOUGH_MEMORY).OnCall(2);
    EXPECT_TRUE(Snapshot());
    EXPECT_FALSE(Snapshot());
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(Snapshot());
    EXPECT_TRUE(Snapshot());
    EXPECT_EQ(rule.matched(), 4u);
    EXPECT_EQ(rule.triggered(), 1u);
    EXPECT_EQ(machine.faults().Triggered("CreateToolhelp32Snapshot"), 1u);
}

TEST_F(FaultInjection, RuleOnTheNthCallAndAfter_FailsFromThatCallOn) {
    const DWORD id = machine.processes().Start("C:\\Apps\\a.exe");
    FaultRule& rule = machine.faults().Fail("OpenProcess", ERROR_ACCESS_DENIED).OnCall(2).AndAfter();
    auto open = [&] {
        const HANDLE process = machine.OpenProcess(PROCESS_TERMINATE, FALSE, id);
        if (process != 0) machine.CloseHandle(process);
        return process != 0;
    };
    EXPECT_TRUE(open());
    EXPECT_FALSE(open());
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(open());
    EXPECT_FALSE(open());
    EXPECT_EQ(rule.triggered(), 3u);
    EXPECT_EQ(machine.faults().Calls("OpenProcess"), 4u);
}

TEST_F(FaultInjection, RuleForAPath_OnTheNthMatchingCall) {
    FaultRule& rule =
        machine.faults().Fail("WinExec", ERROR_PATH_NOT_FOUND).ForPath("a.bat").OnCall(2);
    EXPECT_EQ(machine.WinExec("a.bat", SW_HIDE), 33u);
    EXPECT_EQ(machine.WinExec("b.bat", SW_HIDE), 33u);  // does not count for the rule
    EXPECT_EQ(machine.WinExec("a.bat", SW_HIDE), static_cast<UINT>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(machine.WinExec("a.bat", SW_HIDE), 33u);
    EXPECT_EQ(rule.matched(), 3u);
    EXPECT_EQ(rule.triggered(), 1u);
}

TEST_F(FaultInjection, EveryFailableSystemCall_ReportsTheInjectedError) {
    // Each entry makes one call and says whether it failed the Windows way
    // for that function; the error must then be the injected one.
    struct Call {
        const char* operation;
        std::function<bool(SimPlatform&)> failed;
    };
    const DWORD id = machine.processes().Start("C:\\Apps\\a.exe");
    const HANDLE snapshot = machine.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    const HANDLE process = machine.OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    char text[MAX_PATH] = "abc";
    WCHAR wide[8];
    PROCESSENTRY32 entry;
    entry.dwSize = kProcessEntry32Size;
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = kOsVersionInfoASize;
    HMODULE module = 0;
    DWORD size = sizeof text;

    const Call calls[] = {
        {"GetWindowsDirectoryA", [&](SimPlatform& m) { return m.GetWindowsDirectoryA(text, MAX_PATH) == 0; }},
        {"GetSystemDirectoryA", [&](SimPlatform& m) { return m.GetSystemDirectoryA(text, MAX_PATH) == 0; }},
        {"GetTempPathA", [&](SimPlatform& m) { return m.GetTempPathA(MAX_PATH, text) == 0; }},
        {"GetModuleFileNameA", [&](SimPlatform& m) { return m.GetModuleFileNameA(0, text, MAX_PATH) == 0; }},
        {"GetUserNameA", [&](SimPlatform& m) { return !m.GetUserNameA(text, &size); }},
        {"GetEnvironmentVariableA", [&](SimPlatform& m) { return m.GetEnvironmentVariableA("X", text, 8) == 0; }},
        {"SetEnvironmentVariableA", [&](SimPlatform& m) { return !m.SetEnvironmentVariableA("X", "1"); }},
        {"GetVersionExA", [&](SimPlatform& m) { return !m.GetVersionExA(&version); }},
        {"CreateToolhelp32Snapshot",
         [&](SimPlatform& m) { return m.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0) == kInvalidHandle; }},
        {"Process32First", [&](SimPlatform& m) { return !m.Process32First(snapshot, &entry); }},
        {"Process32Next", [&](SimPlatform& m) { return !m.Process32Next(snapshot, &entry); }},
        {"OpenProcess", [&](SimPlatform& m) { return m.OpenProcess(PROCESS_TERMINATE, FALSE, id) == 0; }},
        {"EnumProcessModules",
         [&](SimPlatform& m) { return !m.EnumProcessModules(process, &module, sizeof module, &size); }},
        {"GetModuleFileNameExA",
         [&](SimPlatform& m) { return m.GetModuleFileNameExA(process, 0, text, MAX_PATH) == 0; }},
        {"TerminateProcess", [&](SimPlatform& m) { return !m.TerminateProcess(process, 0); }},
        {"LoadLibraryA", [&](SimPlatform& m) { return m.LoadLibraryA("C:\\x.dll") == 0; }},
        {"GetProcAddress", [&](SimPlatform& m) { return m.GetProcAddress(0, "X") == nullptr; }},
        {"FreeLibrary", [&](SimPlatform& m) { return !m.FreeLibrary(0x10000000); }},
        {"CompareStringA",
         [&](SimPlatform& m) { return m.CompareStringA(LOCALE_USER_DEFAULT, 0, "a", -1, "a", -1) == 0; }},
        {"MultiByteToWideChar",
         [&](SimPlatform& m) { return m.MultiByteToWideChar(CP_ACP, 0, "a", -1, wide, 8) == 0; }},
        {"MessageBoxA", [&](SimPlatform& m) { return m.MessageBoxA(0, "t", "c", MB_OK) == 0; }},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.operation);
        machine.faults().Clear();
        machine.faults().Fail(call.operation, kInjected);
        machine.SetLastError(0);
        EXPECT_TRUE(call.failed(machine));
        EXPECT_EQ(machine.GetLastError(), kInjected);
        EXPECT_EQ(machine.faults().Triggered(call.operation), 1u);
    }
    // The process survived its injected termination; nothing was shown.
    EXPECT_TRUE(machine.processes().IsImageRunning("C:\\Apps\\a.exe"));
    EXPECT_TRUE(machine.messageBoxes().empty());

    // Errors beyond their small range come back as "not a program".
    machine.faults().Clear();
    machine.faults().Fail("WinExec", kInjected);
    machine.faults().Fail("ShellExecuteA", kInjected);
    EXPECT_EQ(machine.WinExec("x.bat", SW_HIDE), 11u);
    EXPECT_EQ(machine.ShellExecuteA(0, "open", "http://x", nullptr, nullptr, SW_SHOW), 11);
    EXPECT_TRUE(machine.winExecCalls().empty());
    EXPECT_TRUE(machine.shellExecutes().empty());
}

}  // namespace qm::sim
