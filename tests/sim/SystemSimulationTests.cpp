// What the simulated machine adds to the system functions' contract: its
// settings show through them, its clock stands still until Sleep moves it,
// the 9x family answers as 9x did, and user-interface calls are recorded.
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

class SimulatedSystem : public ::testing::Test {
protected:
    SimPlatform machine;
};

bool operator==(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Text(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d (%d) %02d:%02d:%02d.%03d", t.wYear, t.wMonth, t.wDay,
                  t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

}  // namespace

TEST_F(SimulatedSystem, FoldersUserAndProgram_ComeFromTheSettings) {
    machine.settings().windowsDirectory = "D:\\WINNT";
    machine.settings().tempPath = "D:\\TEMP\\";
    machine.settings().programPath = "E:\\Tools\\q.exe";
    machine.settings().userName = "Admin";
    char text[MAX_PATH];
    EXPECT_EQ(machine.GetWindowsDirectoryA(text, sizeof text), 8u);
    EXPECT_STREQ(text, "D:\\WINNT");
    EXPECT_EQ(machine.GetTempPathA(sizeof text, text), 8u);
    EXPECT_STREQ(text, "D:\\TEMP\\");
    EXPECT_EQ(machine.GetModuleFileNameA(0, text, sizeof text), 14u);
    EXPECT_STREQ(text, "E:\\Tools\\q.exe");
    DWORD size = sizeof text;
    EXPECT_TRUE(machine.GetUserNameA(text, &size));
    EXPECT_STREQ(text, "Admin");
}

TEST_F(SimulatedSystem, Clock_StandsStillAndSleepMovesItAcrossMidnight) {
    machine.settings().localTime = SYSTEMTIME{2004, 12, 5, 31, 23, 59, 59, 900};  // a Friday
    SYSTEMTIME first, second;
    machine.GetLocalTime(&first);
    machine.GetLocalTime(&second);
    EXPECT_TRUE(first == second);

    machine.Sleep(1000);
    machine.GetLocalTime(&second);
    EXPECT_EQ(Text(second), "2005-01-01 (6) 00:00:00.900");
    for (int day = 0; day < 59; ++day) machine.Sleep(24 * 60 * 60 * 1000);  // past February
    machine.GetLocalTime(&second);
    EXPECT_EQ(Text(second), "2005-03-01 (2) 00:00:00.900");
}

TEST_F(SimulatedSystem, SystemTime_IsLocalTimeLessTheBias) {
    machine.settings().localTime = SYSTEMTIME{2005, 3, 2, 1, 0, 30, 0, 5};  // Tuesday
    machine.settings().utcBiasMinutes = 60;  // one hour east of Greenwich
    SYSTEMTIME utc;
    machine.GetSystemTime(&utc);
    EXPECT_EQ(Text(utc), "2005-02-28 (1) 23:30:00.005");
    machine.settings().utcBiasMinutes = -5 * 60;
    machine.GetSystemTime(&utc);
    EXPECT_EQ(Text(utc), "2005-03-01 (2) 05:30:00.005");
}

TEST_F(SimulatedSystem, NineXFamily_VersionAndUserNameAnswersOfThatFamily) {
    machine.settings().platformId = VER_PLATFORM_WIN32_WINDOWS;
    machine.settings().majorVersion = 4;
    machine.settings().minorVersion = 10;
    OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = kOsVersionInfoASize;
    ASSERT_TRUE(machine.GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_EQ(info.dwMajorVersion, 4u);
    EXPECT_EQ(info.dwMinorVersion, 10u);

    // A wrong size fails without an error of its own.
    info.dwOSVersionInfoSize = 0;
    machine.SetLastError(0xDEADBEEF);
    EXPECT_FALSE(machine.GetVersionExA(&info));
    EXPECT_EQ(machine.GetLastError(), 0xDEADBEEFu);

    // The size query counts characters, not UTF-16 bytes.
    DWORD size = 0;
    EXPECT_FALSE(machine.GetUserNameA(nullptr, &size));
    EXPECT_EQ(size, machine.settings().userName.size() + 1);
}

TEST_F(SimulatedSystem, UserInterfaceAndStartedPrograms_AreRecordedNotRun) {
    machine.settings().messageBoxAnswer = 7;
    EXPECT_EQ(machine.MessageBoxA(0, "Error I=3", "Quellmar", MB_OK | MB_ICONEXCLAMATION), 7);
    ASSERT_EQ(machine.messageBoxes().size(), 1u);
    EXPECT_EQ(machine.messageBoxes()[0].text, "Error I=3");
    EXPECT_EQ(machine.messageBoxes()[0].caption, "Quellmar");
    EXPECT_EQ(machine.messageBoxes()[0].type, MB_OK | MB_ICONEXCLAMATION);

    EXPECT_GT(machine.WinExec("C:\\WINDOWS\\1.bat", SW_HIDE), 31u);
    ASSERT_EQ(machine.winExecCalls().size(), 1u);
    EXPECT_EQ(machine.winExecCalls()[0].commandLine, "C:\\WINDOWS\\1.bat");
    EXPECT_EQ(machine.winExecCalls()[0].show, SW_HIDE);

    EXPECT_GT(machine.ShellExecuteA(0, "open", "http://example.com/", nullptr, nullptr, SW_SHOW), 32);
    ASSERT_EQ(machine.shellExecutes().size(), 1u);
    EXPECT_EQ(machine.shellExecutes()[0].operation, "open");
    EXPECT_EQ(machine.shellExecutes()[0].file, "http://example.com/");
    EXPECT_TRUE(machine.processes().running().empty());
}

TEST_F(SimulatedSystem, SetErrorMode_GivesThePreviousMode) {
    EXPECT_EQ(machine.SetErrorMode(SEM_FAILCRITICALERRORS), 0u);
    EXPECT_EQ(machine.SetErrorMode(0), SEM_FAILCRITICALERRORS);
    EXPECT_EQ(machine.SetErrorMode(0), 0u);
}

}  // namespace qm::sim
