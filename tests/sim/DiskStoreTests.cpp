// The simulated disk against its host folders: names in any case, files in
// use, read-only as the host's mode bit, 8.3 aliases, drives, delayed moves,
// and fault injection on file operations.
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Handles.h"
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

class DiskSimulation : public ::testing::Test {
protected:
    std::filesystem::path Host(const std::string& relative) { return machine.hostRoot() / "drive_c" / relative; }
    void HostFile(const std::string& relative, const std::string& text = "x") {
        std::filesystem::create_directories(Host(relative).parent_path());
        std::ofstream(Host(relative)) << text;
    }
    void Folder(const char* path) { ASSERT_TRUE(machine.CreateDirectoryA(path, nullptr)) << path; }
    void File(const char* path, const std::string& text = "x") {
        FileHandle file(machine, machine.CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0));
        ASSERT_TRUE(file) << path << ", error " << machine.GetLastError();
        DWORD written = 0;
        ASSERT_TRUE(machine.WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    }
    bool Exists(const char* path) { return machine.GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }
    std::string ShortPath(const char* path) {
        char buffer[MAX_PATH] = {};
        const DWORD length = machine.GetShortPathNameA(path, buffer, sizeof buffer);
        EXPECT_GT(length, 0u) << path << ", error " << machine.GetLastError();
        return buffer;
    }
    std::string FoundName(const char* pattern) {
        WIN32_FIND_DATAA data;
        FindHandle find(machine, machine.FindFirstFileA(pattern, &data));
        EXPECT_TRUE(find) << pattern << ", error " << machine.GetLastError();
        return find ? data.cFileName : "";
    }
    mode_t HostMode(const std::string& relative) {
        struct stat info {};
        EXPECT_EQ(::stat(Host(relative).c_str(), &info), 0) << relative;
        return info.st_mode;
    }

    SimPlatform machine;
};

}  // namespace

TEST_F(DiskSimulation, NamesAreFoundWhateverTheirCaseOnTheHost) {
    HostFile("Program Data/Mixed.TXT", "host");
    EXPECT_NE(machine.GetFileAttributesA("C:\\PROGRAM DATA\\mixed.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FoundName("c:\\program data\\MIXED.txt"), "Mixed.TXT");

    // A new entry keeps the spelling given; the folder keeps its own.
    File("C:\\program data\\New File.Txt");
    EXPECT_TRUE(std::filesystem::exists(Host("Program Data/New File.Txt")));
    EXPECT_FALSE(std::filesystem::exists(Host("program data")));

    // Of two host entries that differ only in case, the exact spelling wins.
    HostFile("twins/a.txt", "lower");
    HostFile("twins/A.TXT", "upper");
    FileHandle file(machine, machine.CreateFileA("C:\\twins\\A.TXT", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0));
    ASSERT_TRUE(file);
    char buffer[8] = {};
    DWORD got = 0;
    ASSERT_TRUE(machine.ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "upper");
}

TEST_F(DiskSimulation, HostNamesAreUtf8AndTheProgramsAnsi) {
    HostFile("Menu D\xC3\xA9marrer/x.txt");  // "Menu Démarrer", made on the host
    EXPECT_NE(machine.GetFileAttributesA("C:\\MENU D\xC9MARRER\\x.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FoundName("C:\\Menu*"), "Menu D\xE9marrer");
    File("C:\\caf\xE9.txt");
    EXPECT_TRUE(std::filesystem::exists(Host("caf\xC3\xA9.txt")));
    // A host name that is not UTF-8 is taken byte for byte.
    HostFile("odd\xE9.txt");
    EXPECT_EQ(FoundName("C:\\odd*"), "odd\xE9.txt");
}

TEST_F(DiskSimulation, FilesInUseRefuseDeletion) {
    Folder("C:\\app");
    File("C:\\app\\open.dat");
    File("C:\\app\\running.exe");
    machine.disk().MarkInUse("C:\\APP\\OPEN.DAT", ERROR_SHARING_VIOLATION);
    machine.disk().MarkInUse("c:/app/running.exe", ERROR_ACCESS_DENIED);

    struct Case {
        const char* path;
        DWORD error;
    };
    for (const auto& c : std::vector<Case>{{"C:\\app\\open.dat", ERROR_SHARING_VIOLATION},
                                           {"C:\\app\\running.exe", ERROR_ACCESS_DENIED}}) {
        machine.SetLastError(0);
        EXPECT_FALSE(machine.DeleteFileA(c.path)) << c.path;
        EXPECT_EQ(machine.GetLastError(), c.error) << c.path;
        EXPECT_TRUE(Exists(c.path));
    }
    // A file held open cannot be moved either, nor the folder that holds it.
    EXPECT_FALSE(machine.MoveFileA("C:\\app\\open.dat", "C:\\app\\moved.dat"));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(machine.MoveFileA("C:\\app", "C:\\app2"));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // A running program's image can be renamed; it stays in use under its new name.
    ASSERT_TRUE(machine.MoveFileA("C:\\app\\running.exe", "C:\\app\\renamed.exe"));
    EXPECT_FALSE(machine.DeleteFileA("C:\\app\\renamed.exe"));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // Cleared (by the name it was marked under), the files go.
    machine.disk().ClearInUse("C:\\app\\open.dat");
    machine.disk().ClearInUse("C:\\app\\running.exe");
    EXPECT_TRUE(machine.DeleteFileA("C:\\app\\open.dat"));
    EXPECT_TRUE(machine.DeleteFileA("C:\\app\\renamed.exe"));
}

TEST_F(DiskSimulation, InUseMarksFollowShortAndLongSpellings) {
    Folder("C:\\Program Files");
    File("C:\\Program Files\\Spy Ware.exe");
    machine.disk().MarkInUse(ShortPath("C:\\Program Files\\Spy Ware.exe"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(machine.DeleteFileA("c:\\program files\\spy ware.exe"));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(DiskSimulation, ReadOnlyIsTheHostsOwnerWriteBit) {
    File("C:\\ro.txt");
    ASSERT_TRUE(machine.SetFileAttributesA("C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(HostMode("ro.txt") & S_IWUSR, 0u);
    ASSERT_TRUE(machine.SetFileAttributesA("C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_NE(HostMode("ro.txt") & S_IWUSR, 0u);

    // A prepared machine: a host folder without the bit is a read-only
    // folder, which (as on Windows) still takes new files.
    std::filesystem::create_directories(Host("Locked"));
    HostFile("Locked/old.txt");
    ::chmod(Host("Locked/old.txt").c_str(), 0444);
    ::chmod(Host("Locked").c_str(), 0555);
    EXPECT_NE(machine.GetFileAttributesA("C:\\Locked") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_NE(machine.GetFileAttributesA("C:\\Locked\\old.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    File("C:\\Locked\\new.txt");
    EXPECT_EQ(HostMode("Locked") & 0777, 0555u);
    EXPECT_FALSE(machine.RemoveDirectoryA("C:\\Locked"));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ::chmod(Host("Locked").c_str(), 0755);  // so the machine's folder can be removed
}

TEST_F(DiskSimulation, ShortNamesCountUpInTheOrderTheyAreSeen) {
    Folder("C:\\Documents and Settings");
    File("C:\\Documents and Settings\\Long File Name 2.txt");
    File("C:\\Documents and Settings\\Long File Name 1.txt");
    EXPECT_EQ(ShortPath("C:\\Documents and Settings\\Long File Name 2.txt"), "C:\\DOCUME~1\\LONGFI~1.TXT");
    EXPECT_EQ(ShortPath("C:\\Documents and Settings\\Long File Name 1.txt"), "C:\\DOCUME~1\\LONGFI~2.TXT");

    // Stable: deleted and made again, a name gets its alias back; the alias
    // names the file.
    ASSERT_TRUE(machine.DeleteFileA("C:\\DOCUME~1\\LONGFI~1.TXT"));
    File("C:\\Documents and Settings\\Long File Name 2.txt");
    EXPECT_EQ(ShortPath("C:\\Documents and Settings\\Long File Name 2.txt"), "C:\\DOCUME~1\\LONGFI~1.TXT");
    EXPECT_EQ(FoundName("C:\\DOCUME~1\\longfi~2.txt"), "Long File Name 1.txt");
}

TEST_F(DiskSimulation, ShortNamesOfAPreparedMachine) {
    // Folders made on the host before the machine looked at them: an alias
    // works before the folder was ever listed, in listing order.
    HostFile("Program Files/Spy Ware/spy.exe");
    HostFile("Program Files Extra/readme.txt");
    EXPECT_NE(machine.GetFileAttributesA("C:\\PROGRA~2\\readme.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ShortPath("C:\\Program Files\\Spy Ware\\spy.exe"), "C:\\PROGRA~1\\SPYWAR~1\\spy.exe");
    // The search reports the alias of long names and none for 8.3 names.
    WIN32_FIND_DATAA data;
    FindHandle find(machine, machine.FindFirstFileA("C:\\Program Files\\*", &data));
    ASSERT_TRUE(find);
    std::vector<std::pair<std::string, std::string>> entries;
    do entries.emplace_back(data.cFileName, data.cAlternateFileName);
    while (machine.FindNextFileA(find.get(), &data));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {".", ""}, {"..", ""}, {"Spy Ware", "SPYWAR~1"}};
    EXPECT_EQ(entries, expected);
}

TEST_F(DiskSimulation, DrivesMapOntoHostFolders) {
    machine.SetLastError(0);
    EXPECT_EQ(machine.GetFileAttributesA("D:\\x"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    std::filesystem::create_directories(machine.hostRoot() / "drive_d");
    machine.disk().MapDrive('d', machine.hostRoot() / "drive_d");
    File("D:\\data.txt", "on d");
    EXPECT_TRUE(std::filesystem::exists(machine.hostRoot() / "drive_d" / "data.txt"));
    ASSERT_TRUE(machine.MoveFileA("D:\\data.txt", "C:\\data.txt"));
    EXPECT_TRUE(std::filesystem::exists(Host("data.txt")));
    EXPECT_EQ(machine.disk().HostPath("C:\\DATA.TXT"), Host("data.txt"));
}

TEST_F(DiskSimulation, CurrentDirectoryOfANewMachineIsTheRootOfC) {
    char buffer[MAX_PATH] = {};
    EXPECT_EQ(machine.GetCurrentDirectoryA(sizeof buffer, buffer), 3u);
    EXPECT_STREQ(buffer, "C:\\");
    Folder("C:\\work");
    ASSERT_TRUE(machine.SetCurrentDirectoryA("c:\\WORK"));
    // The process holds its current directory open.
    EXPECT_FALSE(machine.RemoveDirectoryA("C:\\work"));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    File("relative.txt");
    EXPECT_TRUE(std::filesystem::exists(Host("work/relative.txt")));
}

TEST_F(DiskSimulation, DelayedMovesAreRecordedNotDone) {
    File("C:\\locked.dll");
    ASSERT_TRUE(machine.MoveFileExA("C:\\LOCKED~1.DLL", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_TRUE(machine.MoveFileExA("C:\\locked.dll", "C:\\later.dll", MOVEFILE_DELAY_UNTIL_REBOOT));
    ASSERT_EQ(machine.delayedMoves().size(), 2u);
    EXPECT_EQ(machine.delayedMoves()[0].from, "C:\\LOCKED~1.DLL");
    EXPECT_EQ(machine.delayedMoves()[0].to, "");
    EXPECT_EQ(machine.delayedMoves()[1].to, "C:\\later.dll");
    EXPECT_TRUE(Exists("C:\\locked.dll"));
    EXPECT_FALSE(Exists("C:\\later.dll"));
}

TEST_F(DiskSimulation, FaultsForOnePathAndForTheNthCall) {
    for (const char* path : {"C:\\a.txt", "C:\\b.txt", "C:\\c.txt", "C:\\d.txt"}) File(path);
    machine.faults().Fail("DeleteFileA", ERROR_ACCESS_DENIED).ForPath("c:/B.TXT");
    machine.faults().Fail("DeleteFileA", ERROR_SHARING_VIOLATION).OnCall(3);

    struct Case {
        const char* path;
        bool deleted;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"C:\\a.txt", true, 0},
        {"C:\\b.txt", false, ERROR_ACCESS_DENIED},  // its path
        {"C:\\c.txt", false, ERROR_SHARING_VIOLATION},  // the third call
        {"C:\\d.txt", true, 0},
    };
    for (const auto& c : cases) {
        machine.SetLastError(0);
        EXPECT_EQ(machine.DeleteFileA(c.path) != FALSE, c.deleted) << c.path;
        EXPECT_EQ(machine.GetLastError(), c.error) << c.path;
        EXPECT_EQ(Exists(c.path), !c.deleted) << c.path;
    }
    EXPECT_EQ(machine.faults().Calls("DeleteFileA"), 4u);
    EXPECT_EQ(machine.faults().Triggered("DeleteFileA"), 2u);
}

TEST_F(DiskSimulation, FaultsOnHandleCallsUseTheOpenedPath) {
    File("C:\\script.malware", "data");
    machine.faults().Fail("ReadFile", ERROR_READ_FAULT).ForPath("C:\\script.malware");
    FileHandle file(machine, machine.CreateFileA("C:\\script.malware", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, 0, 0));
    ASSERT_TRUE(file);
    char buffer[8];
    DWORD got = 99;
    EXPECT_FALSE(machine.ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
    EXPECT_EQ(got, 0u);
}

TEST_F(DiskSimulation, HandlesAreReleased) {
    File("C:\\a.txt");
    {
        FileHandle file(machine, machine.CreateFileA("C:\\a.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                     OPEN_EXISTING, 0, 0));
        WIN32_FIND_DATAA data;
        FindHandle find(machine, machine.FindFirstFileA("C:\\*", &data));
        EXPECT_EQ(machine.disk().openHandles(), 2u);
        // Each kind of handle closes only through its own call.
        EXPECT_FALSE(machine.FindClose(file.get()));
        EXPECT_FALSE(machine.disk().CloseHandle(find.get()));
    }
    EXPECT_EQ(machine.disk().openHandles(), 0u);
    EXPECT_FALSE(machine.CloseHandle(0x1234));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace qm::sim
