// The guard rails on either backend: every spelling of a protected folder
// (dots, "..", doubled separators, trailing dots and blanks, 8.3 names, case,
// the folders that hold it) is refused, while what lies inside or beside it
// is not; patterns, the programs of the processes Windows needs and Quellmar
// itself are never files to delete; those processes are never stopped while
// a look-alike elsewhere is; the registry keys Windows needs are never
// deleted as a whole. And through whole passes: a refused item gets no row
// and one report line that says why, and a pattern never reaches the batch
// file.
#include <string>
#include <vector>

#include "engine/GuardRails.h"
#include "engine/Quarn_link.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

class GuardRails : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        sixtyFourBit = backend().Use64BitWindows();
        backend().UseStandardWindows();
        InfoDir.ClearCache();
    }
    bool sixtyFourBit = false;

    std::string ShortOf(const std::string& path) {
        char buffer[MAX_PATH + 1] = {};
        P().GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
        return buffer;
    }

    // The spellings of one folder that Windows takes for it.
    std::vector<std::string> SpellingsOf(const std::string& folder) {
        const std::size_t slash = folder.find_last_of('\\');
        const std::string parent = folder.substr(0, slash), name = folder.substr(slash + 1);
        std::vector<std::string> spellings = {
            folder,
            AnsiUpperCase(folder),
            folder + "\\",
            parent + "\\.\\" + name,
            parent + "\\\\" + name,
            parent + "\\" + name + "\\.",
            parent + "\\" + name + "\\nothing\\..",
            parent + "\\" + name + "...",
            parent + "\\" + name + " . ",
            parent + "\\" + name + "/",
        };
        const std::string shortForm = ShortOf(folder);
        if (!shortForm.empty()) spellings.push_back(shortForm);
        if (folder.size() > 3) spellings.push_back(parent);  // a folder that holds it
        return spellings;
    }
};

}  // namespace

TEST_F(GuardRails, EverySpellingOfAProtectedFolderIsRefused) {
    char windows[MAX_PATH + 1] = {};
    P().GetWindowsDirectoryA(windows, sizeof windows);
    char system[MAX_PATH + 1] = {};
    P().GetSystemDirectoryA(system, sizeof system);
    std::vector<std::string> folders = {StripTrailingBackslash(windows),
                                        StripTrailingBackslash(system),
                                        InfoDir.GetProgramFilesFolder(),
                                        InfoDir.GetTempFolder(),
                                        InfoDir.GetDesktopFolder(),
                                        InfoDir.GetAppDataFolder(),
                                        InfoDir.GetProgramFolder()};
    if (sixtyFourBit) {
        folders.push_back(InfoDir.GetSystemWow64Folder());
        folders.push_back(InfoDir.GetProgramFilesX86Folder());
    }
    const TGuardRails guard;
    for (const std::string& folder : folders) {
        ASSERT_FALSE(folder.empty());
        for (const std::string& spelling : SpellingsOf(folder)) EXPECT_TRUE(guard.Folder(spelling)) << spelling;
        // What lies inside or beside it is the script's to delete.
        EXPECT_FALSE(guard.Folder(folder + "\\PestFolder")) << folder;
        EXPECT_FALSE(guard.Folder(folder + "Pest")) << folder;
    }
    for (const char* root : {"C:\\", "c:", "C:\\.", "C:\\\\", "C:\\..\\.."}) EXPECT_TRUE(guard.Folder(root)) << root;
}

TEST_F(GuardRails, PatternsSystemProgramsAndQuellmarAreNeverFilesToDelete) {
    char system[MAX_PATH + 1] = {};
    P().GetSystemDirectoryA(system, sizeof system);
    char own[MAX_PATH + 1] = {};
    P().GetModuleFileNameA(0, own, sizeof own);
    const TGuardRails guard;
    for (const std::string& file : {Scratch() + "\\*.exe", Scratch() + "\\pest?.dll", std::string(system) + "\\csrss.exe",
                                    std::string(system) + "\\.\\LSASS.EXE", std::string(system) + "\\svchost.exe.",
                                    std::string(own)})
        EXPECT_TRUE(guard.File(file)) << file;
    // A look-alike elsewhere is just a file.
    for (const std::string& file : {Scratch() + "\\csrss.exe", Scratch() + "\\svchost.exe"})
        EXPECT_FALSE(guard.File(file)) << file;
}

TEST_F(GuardRails, SystemProcessesAndQuellmarAreNeverStoppedButLookAlikesAre) {
    char system[MAX_PATH + 1] = {};
    P().GetSystemDirectoryA(system, sizeof system);
    char own[MAX_PATH + 1] = {};
    P().GetModuleFileNameA(0, own, sizeof own);
    char windows[MAX_PATH + 1] = {};
    P().GetWindowsDirectoryA(windows, sizeof windows);
    const DWORD someone = 0x7FF0;  // no such process: only the image decides
    for (DWORD id : {DWORD{0}, DWORD{4}, P().GetCurrentProcessId()})
        EXPECT_TRUE(ProcessRefusal(id, Scratch() + "\\x.exe")) << id;
    for (const std::string& image : {std::string(system) + "\\winlogon.exe", std::string(system) + "\\svchost.exe",
                                     IncludeTrailingBackslash(windows) + "explorer.exe", std::string(own)})
        EXPECT_TRUE(ProcessRefusal(someone, image)) << image;
    for (const std::string& image : {Scratch() + "\\winlogon.exe", Scratch() + "\\explorer.exe"})
        EXPECT_FALSE(ProcessRefusal(someone, image)) << image;
}

TEST_F(GuardRails, RegistryKeysWindowsNeedsAndTheirAncestorsAreNeverDeletedAsAWhole) {
    for (const char* key : {"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "hklm\\software\\microsoft\\windows\\currentversion\\run\\",
                            "HKEY_LOCAL_MACHINE\\\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "HKLM\\SOFTWARE\\Microsoft", "HKLM\\SOFTWARE", "HKLM\\SYSTEM\\CurrentControlSet",
                            "HKCR\\CLSID", "HKEY_CLASSES_ROOT\\CLSID\\", "HKLM\\SOFTWARE\\Classes\\Wow6432Node\\CLSID",
                            "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "HKU\\S-1-5-21-1-2-3-1000\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                            "HKCU\\Software", "HKU\\.DEFAULT"})
        EXPECT_TRUE(RegistryKeyRefusal(key)) << key;
    // Their values and sub-keys stay reachable.
    for (const char* key : {"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Pest",
                            "HKCR\\CLSID\\{5A1E0D3C-7F2B-4C11-9E37-0D4E6B1F2A90}", "HKLM\\SOFTWARE\\Pest",
                            "HKCU\\Software\\Pest"})
        EXPECT_FALSE(RegistryKeyRefusal(key)) << key;
}

TEST_F(GuardRails, ARefusedItemGetsNoRowAndOneReportLineThatSaysWhy) {
    char windows[MAX_PATH + 1] = {};
    P().GetWindowsDirectoryA(windows, sizeof windows);
    const std::string dotted = IncludeTrailingBackslash(windows) + ".";
    WriteFile(InScratch("keep.txt"), "k");
    WriteFile(InScratch("pest.txt"), "p");
    WriteScript("description \"refusals\"\nowner \"Pest\"\n"
                "delete folder '" + dotted + "'\n"
                "delete file '" + Scratch() + "\\*.txt'\n"
                "delete file '" + Scratch() + "\\pest.txt'\n");
    const PassResult scan = Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", InScratch("pest.txt"), "*", "4"}}));
    ASSERT_EQ(scan.refusals.size(), 2u);
    EXPECT_EQ(scan.refusals[0].Reason, "the Windows folder");
    EXPECT_EQ(scan.refusals[1].Reason, "a name with * or ? is a pattern, not a file");

    const PassResult removal = Remove();
    EXPECT_FALSE(removal.hadErrors);
    EXPECT_EQ(Rows(report), (Table{{"Disk", "Refused Delete ", dotted, "", "the Windows folder"},
                                  {"Disk", "Refused Delete ", Scratch() + "\\", "*.txt",
                                   "a name with * or ? is a pattern, not a file"},
                                  {"Disk", "Delete ", Scratch() + "\\", "pest.txt"}}));
    EXPECT_TRUE(FileExists(InScratch("keep.txt"))) << "the pattern deleted nothing";
    EXPECT_FALSE(FileExists(InScratch("pest.txt")));
}

}  // namespace qm::test
