// The work after the last record: progress and status while the queued files
// and folders are deleted, nothing at all after a scan pass, and (on Windows)
// a file in use really deleted by the hidden cleanup batch file once it is
// released.
#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "engine/PassRunner.h"
#include "engine/Quarn_link.h"
#include "locations/Paths.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

// Everything the engine passes on to the wizard, in order: "P<n>" for a
// progress position, "M<n>" for a maximum, "S<text>|<path>|<scan>" for a
// status text. The status callback carries no context, hence one log.
std::vector<std::string> g_events;

void LogPosition(void*, TReadSpecialFile*, std::int32_t value) { g_events.push_back("P" + std::to_string(value)); }
void LogMaximum(void*, TReadSpecialFile*, std::int32_t value) { g_events.push_back("M" + std::to_string(value)); }
void LogStatus(const std::string& text, const std::string& path, bool scanMode) {
    g_events.push_back("S" + text + "|" + path + "|" + (scanMode ? "scan" : "removal"));
}

class DeferredRemoval : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        g_events.clear();
    }

    PassResult Pass(bool scanMode) {
        PassCallbacks callbacks;
        callbacks.status = &LogStatus;
        callbacks.progress = {&LogPosition, this};
        callbacks.progressMax = {&LogMaximum, this};
        if (!scanMode) report.Clear();
        g_events.clear();
        return RunPass(scriptPath, scanMode, Lists(), callbacks, modulePath);
    }

    std::string WindowsFolder() {
        char folder[MAX_PATH + 1] = {};
        P().GetWindowsDirectoryA(folder, sizeof folder);
        std::string text = folder;
        if (!text.empty() && text.back() == '\\') text.pop_back();
        return text;
    }

    // The names of the batch files in the Windows folder.
    std::vector<std::string> BatchFiles() {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        const HANDLE find = P().FindFirstFileA((WindowsFolder() + "\\*.bat").c_str(), &data);
        if (find == kInvalidHandle) return names;
        do names.emplace_back(data.cFileName);
        while (P().FindNextFileA(find, &data));
        P().FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }

    // The RunOnce value of that name under the root, or "" when there is none.
    std::string RunOnceValue(HKEY root, const std::string& name) {
        HKEY key = 0;
        if (P().RegOpenKeyExA(root, kRunOnce, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
        char data[1024] = {};
        DWORD size = sizeof data - 1;
        DWORD type = 0;
        const bool found = P().RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                                                &size) == ERROR_SUCCESS;
        P().RegCloseKey(key);
        EXPECT_TRUE(!found || type == REG_SZ);
        return found ? std::string(data) : std::string();
    }

    void DeleteRunOnceValue(const std::string& name) {
        for (HKEY root : {HKLM, HKCU}) {
            HKEY key = 0;
            if (P().RegOpenKeyExA(root, kRunOnce, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) continue;
            P().RegDeleteValueA(key, name.c_str());
            P().RegCloseKey(key);
        }
    }

    // Command interpreters that this program started and that still run.
    int OwnInterpreters() {
        char own[MAX_PATH + 1] = {};
        P().GetModuleFileNameA(0, own, sizeof own);
        const HANDLE snapshot = P().CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == kInvalidHandle) return -1;
        std::vector<PROCESSENTRY32> entries;
        PROCESSENTRY32 entry;
        entry.dwSize = kProcessEntry32Size;
        for (BOOL more = P().Process32First(snapshot, &entry); more; more = P().Process32Next(snapshot, &entry))
            entries.push_back(entry);
        P().CloseHandle(snapshot);
        const std::string ownShort = AnsiUpperCase(ShortOf(own));
        int count = 0;
        for (const PROCESSENTRY32& child : entries) {
            if (AnsiUpperCase(child.szExeFile) != "CMD.EXE") continue;
            if (AnsiUpperCase(ShortOf(GetProcessFileName(child.th32ParentProcessID))) == ownShort) ++count;
        }
        return count;
    }

    std::string ShortOf(const std::string& path) {
        char buffer[MAX_PATH + 1] = {};
        P().GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
        return buffer;
    }

    // Waits up to `seconds` for the condition; gives the seconds it took, or -1.
    template <typename Condition>
    static double WaitFor(Condition&& condition, int seconds) {
        const auto start = std::chrono::steady_clock::now();
        while (!condition()) {
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(seconds)) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    static constexpr const char* kRunOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

    // The last `count` events: what ProcessPendingLists passed on.
    static std::vector<std::string> Last(size_t count) {
        if (g_events.size() < count) return g_events;
        return std::vector<std::string>(g_events.end() - static_cast<std::ptrdiff_t>(count), g_events.end());
    }
};

}  // namespace

TEST_F(DeferredRemoval, AfterAScanPassOnlyPositionAndMaximumZeroTwiceAndNoReportLine) {
    WriteFile(InScratch("doomed.txt"), "d");
    ASSERT_TRUE(P().CreateDirectoryA(InScratch("Doomed").c_str(), nullptr));
    WriteScript(R"(
        description "scan"
        delete file '{DIR}\doomed.txt'
        delete folder '{DIR}\Doomed'
    )");
    Pass(true);
    ASSERT_EQ(disk.RowCount(), 2);
    EXPECT_EQ(Last(4), (std::vector<std::string>{"P0", "M0", "P0", "M0"}));
    EXPECT_EQ(report.RowCount(), 0);
    EXPECT_TRUE(FileExists(InScratch("doomed.txt")));
}

TEST_F(DeferredRemoval, FilesThenFoldersFromTheLastToTheFirstWithProgressAndStatus) {
    for (const char* name : {"f1.txt", "f2.txt", "f3.txt"}) WriteFile(InScratch(name), name);
    ASSERT_TRUE(P().CreateDirectoryA(InScratch("A").c_str(), nullptr));
    ASSERT_TRUE(P().CreateDirectoryA(InScratch("A\\B").c_str(), nullptr));
    WriteScript(R"(
        description "removal"
        delete folder '{DIR}\A'
        delete file '{DIR}\f2.txt'
        delete file '{DIR}\f3.txt'
        delete folder '{DIR}\A\B'
        delete file '{DIR}\f1.txt'
    )");
    Pass(true);
    Pass(false);
    const std::string a = InScratch("A");
    const std::string b = InScratch("A\\B");
    auto status = [](const std::string& path) { return "Sdelete |" + path + "|removal"; };
    EXPECT_EQ(Last(14), (std::vector<std::string>{"P0", "M3",                                 //
                                                  "P2", status(InScratch("f3.txt")),          //
                                                  "P1", status(InScratch("f2.txt")),          //
                                                  "P0", status(InScratch("f1.txt")),          //
                                                  "P0", "M2",                                 //
                                                  "P1", status(b), "P0", status(a)}));
    const std::string dir = Scratch() + "\\";
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Delete ", dir, "f3.txt"},
                                   {"Disk", "Delete ", dir, "f2.txt"},
                                   {"Disk", "Delete ", dir, "f1.txt"},
                                   {"Disk", "Delete ", b, ""},
                                   {"Disk", "Delete ", a, ""}}));
}

TEST_F(DeferredRemoval, ALockedFileIsDeletedByTheHiddenBatchOnceReleasedAndTheBatchDeletesItself) {
    if (IsSimulated()) GTEST_SKIP() << "the simulated machine records the batch file's start, runs nothing";
    // A "%" in the name: the batch file must act on exactly this file.
    const std::string path = InScratch("locked 100% file.txt");
    WriteFile(path, "held open");
    const HANDLE held =
        P().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(held, kInvalidHandle) << P().GetLastError();
    const std::vector<std::string> before = BatchFiles();

    EXPECT_TRUE(ForceDeleteFile(path, false));
    EXPECT_TRUE(FileExists(path));
    std::vector<std::string> created;
    for (const std::string& name : BatchFiles())
        if (!std::binary_search(before.begin(), before.end(), name)) created.push_back(name);
    ASSERT_EQ(created.size(), 1u);
    const std::string name = created[0];
    const std::string batch = WindowsFolder() + "\\" + name;
    // Written under HKEY_LOCAL_MACHINE where the user may, else under HKEY_CURRENT_USER.
    std::string runOnce = RunOnceValue(HKLM, name);
    if (runOnce.empty()) runOnce = RunOnceValue(HKCU, name);
    EXPECT_EQ(runOnce, batch + ".bat");

    // Started hidden, the batch keeps trying while the file is held.
    EXPECT_EQ(OwnInterpreters(), 1);
    P().CloseHandle(held);
    const double deleted = WaitFor([&] { return !FileExists(path); }, 60);
    EXPECT_GE(deleted, 0) << "the batch did not delete the released file";
    const double selfDeleted = WaitFor([&] { return !FileExists(batch); }, 30);
    EXPECT_GE(selfDeleted, 0) << "the batch file did not delete itself";
    // Its interpreter ends with it instead of going on trying.
    const double ended = WaitFor([&] { return OwnInterpreters() == 0; }, 30);
    EXPECT_GE(ended, 0) << "the batch's command interpreter still runs";
    std::cout << "[ batch road ] file gone " << deleted << " s after its release, batch file gone after "
              << selfDeleted << " s more, interpreter ended after " << ended << " s more\n";
    EXPECT_EQ(ReadFile(batch + ".bat"), "@Echo off\r\nEcho Cleaning Complete...\r\ndel %0 \r\n");

    DeleteRunOnceValue(name);
    P().DeleteFileA((batch + ".bat").c_str());
    P().DeleteFileA(batch.c_str());
}

}  // namespace qm::test
