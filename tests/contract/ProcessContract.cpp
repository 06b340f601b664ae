// The running processes as the program finds them: the Tool Help snapshot,
// OpenProcess and the PSAPI query of a process's executable.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

bool SameIgnoringCase(std::string a, std::string b) {
    for (char& c : a) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : b) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return a == b;
}

class ProcessContract : public Contract {
protected:
    // The test program's own file; on the simulated machine nothing runs
    // until a test starts it, so it is started there.
    std::string OwnProgram() {
        char path[MAX_PATH + 1] = {};
        const DWORD length = P().GetModuleFileNameA(0, path, sizeof path);
        EXPECT_GT(length, 0u);
        backend().ShowOwnProcess(path);
        return path;
    }

    // The process entries of one snapshot, read to its end.
    std::vector<PROCESSENTRY32> ReadSnapshot(HANDLE snapshot) {
        std::vector<PROCESSENTRY32> entries;
        PROCESSENTRY32 entry;
        entry.dwSize = kProcessEntry32Size;
        for (BOOL more = P().Process32First(snapshot, &entry); more;
             more = P().Process32Next(snapshot, &entry)) {
            entries.push_back(entry);
            if (entries.size() > 10000) break;
        }
        EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        return entries;
    }

    // The executable of a process as the program reads it (PSAPI), or "".
    std::string ExecutableOf(DWORD processId) {
        const HANDLE process =
            P().OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
        if (process == 0) return {};
        std::string result;
        HMODULE first = 0;
        DWORD needed = 0;
        if (P().EnumProcessModules(process, &first, sizeof first, &needed)) {
            EXPECT_GE(needed, sizeof first);
            char path[513] = {};
            const DWORD length = P().GetModuleFileNameExA(process, first, path, sizeof path);
            EXPECT_EQ(length, std::strlen(path));
            result = path;
        }
        EXPECT_TRUE(P().CloseHandle(process));
        return result;
    }

    bool IsListed(DWORD processId) {
        const HANDLE snapshot = P().CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        EXPECT_NE(snapshot, kInvalidHandle);
        bool listed = false;
        for (const PROCESSENTRY32& entry : ReadSnapshot(snapshot))
            if (entry.th32ProcessID == processId) listed = true;
        P().CloseHandle(snapshot);
        return listed;
    }

    // Starts the system's ping, which runs for about half a minute, as a
    // child of this program, and gives its id (0 when it cannot be found).
    DWORD StartChildProgram() {
        const std::string own = OwnProgram();
        char folder[MAX_PATH + 1] = {};
        P().GetSystemDirectoryA(folder, sizeof folder);
        const DWORD child = backend().StartProgram(std::string(folder) + "\\PING.EXE", "-n 30 127.0.0.1");
        // Its snapshot entry names this program as its parent.
        const HANDLE snapshot = P().CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        const std::vector<PROCESSENTRY32> entries = ReadSnapshot(snapshot);
        P().CloseHandle(snapshot);
        for (const PROCESSENTRY32& entry : entries) {
            if (entry.th32ProcessID != child) continue;
            EXPECT_TRUE(SameIgnoringCase(entry.szExeFile, "PING.EXE")) << entry.szExeFile;
            EXPECT_TRUE(SameIgnoringCase(ExecutableOf(entry.th32ParentProcessID), own));
            return child;
        }
        return 0;
    }
};

}  // namespace

TEST_F(ProcessContract, TerminateProcess_EndsTheProcess_LaterSnapshotsLackIt) {
    const DWORD child = StartChildProgram();
    ASSERT_NE(child, 0u);
    ASSERT_TRUE(IsListed(child));

    const HANDLE process = P().OpenProcess(PROCESS_TERMINATE, FALSE, child);
    ASSERT_NE(process, HANDLE{0}) << P().GetLastError();
    EXPECT_TRUE(P().TerminateProcess(process, 0)) << P().GetLastError();
    EXPECT_TRUE(P().CloseHandle(process));

    // Termination is only requested; a real process takes a moment to go.
    bool gone = false;
    for (int attempt = 0; attempt < 50 && !gone; ++attempt) {
        gone = !IsListed(child);
        if (!gone) P().Sleep(100);
    }
    EXPECT_TRUE(gone);
}

TEST_F(ProcessContract, Snapshot_ListsOwnProgramByFileName_PsapiGivesItsFullPath) {
    const std::string own = OwnProgram();
    const std::string ownName = own.substr(own.find_last_of('\\') + 1);

    const HANDLE snapshot = P().CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snapshot, kInvalidHandle) << P().GetLastError();
    const std::vector<PROCESSENTRY32> entries = ReadSnapshot(snapshot);

    // Reading again from the first entry gives the same list.
    PROCESSENTRY32 again;
    again.dwSize = kProcessEntry32Size;
    ASSERT_TRUE(P().Process32First(snapshot, &again));
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(again.th32ProcessID, entries.front().th32ProcessID);
    EXPECT_TRUE(P().CloseHandle(snapshot));

    // The NT family names the file only; the full path comes from PSAPI.
    bool found = false;
    for (const PROCESSENTRY32& entry : entries) {
        if (!SameIgnoringCase(entry.szExeFile, ownName)) continue;
        EXPECT_EQ(std::strchr(entry.szExeFile, '\\'), nullptr) << entry.szExeFile;
        if (SameIgnoringCase(ExecutableOf(entry.th32ProcessID), own)) found = true;
    }
    EXPECT_TRUE(found) << own << " not found in " << entries.size() << " processes";
}

TEST_F(ProcessContract, ClosedSnapshot_CanNeitherBeReadNorClosedAgain) {
    const HANDLE snapshot = P().CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snapshot, kInvalidHandle);
    ASSERT_TRUE(P().CloseHandle(snapshot));
    PROCESSENTRY32 entry;
    entry.dwSize = kProcessEntry32Size;
    EXPECT_FALSE(P().Process32First(snapshot, &entry));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(P().CloseHandle(snapshot));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ProcessContract, ProcessEntry_WithoutTheRecordSize_FailsWithInsufficientBuffer) {
    OwnProgram();
    const HANDLE snapshot = P().CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snapshot, kInvalidHandle);
    PROCESSENTRY32 entry;
    for (const DWORD size : {DWORD{0}, DWORD{100}}) {
        entry.dwSize = size;
        EXPECT_FALSE(P().Process32First(snapshot, &entry));
        EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    }
    P().CloseHandle(snapshot);
}

TEST_F(ProcessContract, OpenProcess_OfAnIdThatDoesNotExist_FailsWithInvalidParameter) {
    for (const DWORD id : {DWORD{0x7FFFFFF0}, DWORD{0}}) {
        SCOPED_TRACE(id);
        P().SetLastError(0);
        EXPECT_EQ(P().OpenProcess(PROCESS_TERMINATE, FALSE, id), HANDLE{0});
        EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

TEST_F(ProcessContract, PsapiNeedsQueryAccess) {
    const std::string own = OwnProgram();
    const std::string ownName = own.substr(own.find_last_of('\\') + 1);
    const HANDLE snapshot = P().CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    ASSERT_NE(snapshot, kInvalidHandle);
    DWORD id = 0;
    for (const PROCESSENTRY32& entry : ReadSnapshot(snapshot))
        if (SameIgnoringCase(entry.szExeFile, ownName)) id = entry.th32ProcessID;
    P().CloseHandle(snapshot);
    ASSERT_NE(id, 0u);

    // A handle opened for termination only may not read the module list.
    const HANDLE process = P().OpenProcess(PROCESS_TERMINATE, FALSE, id);
    ASSERT_NE(process, HANDLE{0}) << P().GetLastError();
    HMODULE first = 0;
    DWORD needed = 0;
    EXPECT_FALSE(P().EnumProcessModules(process, &first, sizeof first, &needed));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(P().CloseHandle(process));
}

}  // namespace qm::test
