// The simulated machine's profile functions under its own controls: injected
// faults, faults of the file functions underneath, and the Windows folder
// of its settings.
#include <algorithm>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

class SimProfile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(machine_.CreateDirectoryA("C:\\data", nullptr));
        Put("[Boot]\r\nShell=Explorer.exe\r\n");
    }

    void Put(const std::string& bytes) {
        HANDLE file = machine_.CreateFileA(kIni, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, 0);
        ASSERT_NE(file, kInvalidHandle);
        DWORD written = 0;
        EXPECT_TRUE(machine_.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        machine_.CloseHandle(file);
    }

    std::string Bytes(const char* path = kIni) {
        HANDLE file = machine_.CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, 0);
        if (file == kInvalidHandle) return "<missing>";
        std::string bytes;
        char chunk[256];
        DWORD got = 0;
        while (machine_.ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
        machine_.CloseHandle(file);
        return bytes;
    }

    std::string Shell() {
        char buffer[64] = {};
        const DWORD n = machine_.GetPrivateProfileStringA("Boot", "Shell", "#absent#", buffer, sizeof buffer, kIni);
        return std::string(buffer, n);
    }

    static constexpr const char* kIni = "C:\\data\\system.ini";
    SimPlatform machine_;
};

}  // namespace

TEST_F(SimProfile, InjectedReadFaultReadsLikeAnUnreadableFile) {
    machine_.faults().Fail("GetPrivateProfileStringA", ERROR_SHARING_VIOLATION).ForPath("c:/DATA/system.ini");
    machine_.SetLastError(0);
    EXPECT_EQ(Shell(), "#absent#");
    EXPECT_EQ(machine_.GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));

    char list[16];
    std::fill(std::begin(list), std::end(list), '\x7f');
    EXPECT_EQ(machine_.GetPrivateProfileStringA(nullptr, nullptr, "default", list, sizeof list, kIni), 0u);
    EXPECT_EQ(list[0], '\0');
    EXPECT_EQ(list[1], '\x7f');

    machine_.faults().Clear();
    EXPECT_EQ(Shell(), "Explorer.exe");
}

TEST_F(SimProfile, InjectedWriteFaultRefusesTheWrite) {
    machine_.faults().Fail("WritePrivateProfileStringA", ERROR_ACCESS_DENIED).ForPath(kIni).OnCall(2);
    EXPECT_TRUE(machine_.WritePrivateProfileStringA("Boot", "Shell", "first.exe", kIni));
    machine_.SetLastError(0);
    EXPECT_FALSE(machine_.WritePrivateProfileStringA("Boot", "Shell", "second.exe", kIni));
    EXPECT_EQ(machine_.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Shell(), "first.exe");
    EXPECT_EQ(machine_.faults().Triggered("WritePrivateProfileStringA"), 1u);
}

TEST_F(SimProfile, FaultsOfTheFileFunctionsReachTheProfileFunctions) {
    // Opening fails: a read falls back to the default, a write is refused.
    machine_.faults().Fail("CreateFileA", ERROR_LOCK_VIOLATION).ForPath(kIni);
    EXPECT_EQ(Shell(), "#absent#");
    machine_.SetLastError(0);
    EXPECT_FALSE(machine_.WritePrivateProfileStringA("Boot", "Shell", "new.exe", kIni));
    EXPECT_EQ(machine_.GetLastError(), static_cast<DWORD>(ERROR_LOCK_VIOLATION));
    machine_.faults().Clear();
    EXPECT_EQ(Shell(), "Explorer.exe");

    // Reading fails after the open.
    machine_.faults().Fail("ReadFile", ERROR_READ_FAULT);
    EXPECT_EQ(Shell(), "#absent#");
    EXPECT_FALSE(machine_.WritePrivateProfileStringA("Boot", "Shell", "new.exe", kIni));
    EXPECT_EQ(machine_.GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
    machine_.faults().Clear();

    // Writing the new text back fails.
    machine_.faults().Fail("WriteFile", ERROR_DISK_FULL);
    EXPECT_FALSE(machine_.WritePrivateProfileStringA("Boot", "Shell", "new.exe", kIni));
    EXPECT_EQ(machine_.GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
}

TEST_F(SimProfile, UnchangedTextIsNotWrittenBack) {
    const unsigned writesBefore = machine_.faults().Calls("WriteFile");
    EXPECT_TRUE(machine_.WritePrivateProfileStringA("Boot", "Shell", "Explorer.exe", kIni));
    EXPECT_TRUE(machine_.WritePrivateProfileStringA("Boot", "Absent", nullptr, kIni));
    EXPECT_TRUE(machine_.WritePrivateProfileStringA("Absent", nullptr, nullptr, kIni));
    EXPECT_EQ(machine_.faults().Calls("WriteFile"), writesBefore);
    EXPECT_EQ(Bytes(), "[Boot]\r\nShell=Explorer.exe\r\n");
}

TEST_F(SimProfile, SuccessLeavesTheCallersLastError) {
    machine_.SetLastError(1234);
    EXPECT_TRUE(machine_.WritePrivateProfileStringA("Boot", "Shell", "new.exe", kIni));
    EXPECT_EQ(machine_.GetLastError(), 1234u);
}

TEST_F(SimProfile, BareFileNameLivesInTheMachinesWindowsFolder) {
    machine_.settings().windowsDirectory = "C:\\OS";
    ASSERT_TRUE(machine_.CreateDirectoryA("C:\\OS", nullptr));
    EXPECT_TRUE(machine_.WritePrivateProfileStringA("rename", "NUL", "C:\\BAD~1.EXE", "WININIT.INI"));
    EXPECT_EQ(Bytes("C:\\OS\\WININIT.INI"), "[rename]\r\nNUL=C:\\BAD~1.EXE\r\n");

    char buffer[64] = {};
    const DWORD n = machine_.GetPrivateProfileStringA("Rename", "nul", "", buffer, sizeof buffer, "wininit.ini");
    EXPECT_EQ(std::string(buffer, n), "C:\\BAD~1.EXE");
}

}  // namespace qm::sim
