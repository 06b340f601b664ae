// The location resolver on the simulated machine, whose folders and
// registry the tests set: caching, variable expansion, temporary-folder
// fall-backs.
#include <tuple>
#include <vector>

#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/sim/SimPlatform.h"
#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

class InfoDirSimulatedTest : public Contract {
protected:
    sim::SimPlatform& Sim() { return static_cast<sim::SimPlatform&>(P()); }

    void SetString(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                   DWORD type = REG_SZ) {
        HKEY handle = 0;
        ASSERT_EQ(P().RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        P().RegSetValueExA(handle, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
        P().RegCloseKey(handle);
    }
    // A simulated machine whose folders are known, for the expansion tests.
    void SetUpKnownFolders() {
        const char* shell = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
        SetString(HKCU, shell, "AppData", "C:\\Documents and Settings\\Ann\\Application Data");
        SetString(HKCU, shell, "Start Menu", "C:\\Documents and Settings\\Ann\\Start Menu\\");
        SetString(HKCU, "Volatile Environment", "HOMEPATH", "\\Documents and Settings\\Ann");
        SetString(HKCU, "Volatile Environment", "HOMEDRIVE", "C:");
        SetString(HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "C:\\Program Files");
        SetString(HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "C:\\WINDOWS");
        Sim().settings().windowsDirectory = "C:\\WINDOWS";
        Sim().settings().systemDirectory = "C:\\WINDOWS\\system32";
        Sim().settings().userName = "Ann";
    }
};


}  // namespace

TEST_F(InfoDirSimulatedTest, AGetterReadsItsSourceOnceEvenWhenEmpty) {
    const char* shell = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    SetString(HKCU, shell, "Desktop", "C:\\Desk\\");
    EXPECT_EQ(InfoDir.GetDesktopFolder(), "C:\\Desk");
    EXPECT_EQ(InfoDir.GetCookiesFolder(), "");
    SetString(HKCU, shell, "Desktop", "C:\\Elsewhere");
    SetString(HKCU, shell, "Cookies", "C:\\Cookies");
    EXPECT_EQ(InfoDir.GetDesktopFolder(), "C:\\Desk");
    EXPECT_EQ(InfoDir.GetCookiesFolder(), "") << "a missing value stays empty once read";

    Sim().settings().windowsDirectory = "C:\\";
    InfoDir.ClearCache();
    EXPECT_EQ(InfoDir.GetWindowsFolder(), "C:") << "a root folder is cached without its backslash";
}

TEST_F(InfoDirSimulatedTest, AnotherMachineNeverSeesTheFoldersCachedFromThisOne) {
    EXPECT_EQ(InfoDir.GetWindowsFolder(), "C:\\WINDOWS");
    sim::SimPlatform winnt;
    winnt.settings().windowsDirectory = "D:\\WINNT";
    {
        test::UseMachine use(winnt);
        EXPECT_EQ(InfoDir.GetWindowsFolder(), "D:\\WINNT");
        EXPECT_EQ(InfoDir.ExpandVariables("%windir%\\x"), "D:\\WINNT\\x");
    }
    EXPECT_EQ(InfoDir.GetWindowsFolder(), "C:\\WINDOWS") << "back on the first machine";
}

TEST_F(InfoDirSimulatedTest, ExpandVariablesReplacesEveryVariableInAnyCase) {
    SetUpKnownFolders();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"%WinDir%\\x", "C:\\WINDOWS\\x"},
        {"%win%\\x and %WINDIR%\\y", "C:\\WINDOWS\\x and C:\\WINDOWS\\y"},
        {"file://C:\\x", "C:\\x"},
        {"\"C:\\x\"", "C:\\x"},
        {"@%SystemRoot%\\system32\\x.dll", "C:\\WINDOWS\\system32\\x.dll"},
        {"%systemroot%\\x", "C:\\WINDOWS\\x"},
        {"%USERPROFILE%\\x", "\\Documents and Settings\\Ann\\x"},
        {"%homepath%\\x", "\\Documents and Settings\\Ann\\x"},
        {"%homedrive%%homepath%", "C:\\Documents and Settings\\Ann"},
        {"%ALLUSERSPROFILE%\\x", "C:\\Documents and Settings\\Ann\\x"},
        {"%appdata%\\x", "C:\\Documents and Settings\\Ann\\Application Data\\x"},
        {"%progfiles%\\a;%ProgramFiles%\\b", "C:\\Program Files\\a;C:\\Program Files\\b"},
        {"%system%\\a %system32%\\b", "C:\\WINDOWS\\system32\\a C:\\WINDOWS\\system32\\b"},
        {"C:\\%username%.log", "C:\\Ann.log"},
        {"%temp%\\x", "%temp%\\x"},
        {"%CommonFiles%\\x", "%CommonFiles%\\x"},
    };
    for (const auto& [path, expanded] : cases) EXPECT_EQ(InfoDir.ExpandVariables(path), expanded) << path;
}

TEST_F(InfoDirSimulatedTest, ExpandVariablesSearchesTextInsertedByEarlierSteps) {
    SetUpKnownFolders();
    SetString(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData",
              "%windir%\\Profiles");
    InfoDir.ClearCache();
    EXPECT_EQ(InfoDir.ExpandVariables("%appdata%\\x"), "C:\\WINDOWS\\Profiles\\x");
    // A folder that is not defined becomes empty text.
    SetString(HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData", "");
    InfoDir.ClearCache();
    EXPECT_EQ(InfoDir.ExpandVariables("%appdata%\\x"), "\\x");
}

TEST_F(InfoDirSimulatedTest, SafeTempFolderFallsBack) {
    struct Case {
        const char* what;
        std::string windows;
        std::string temp;
        std::string current;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"temp is the Windows folder", "C:\\WIN", "C:\\WIN\\", "C:\\", "C:\\WIN\\TEMP"},
        {"temp is the current folder", "C:\\WIN", "C:\\Work\\", "C:\\Work", "C:\\WINDOWS\\TEMP"},
        {"fallback on the Windows drive", "D:\\WIN", "C:\\Work\\", "C:\\Work", "D:\\WINDOWS\\TEMP"},
        {"Windows on drive A", "A:\\WIN", "C:\\Work\\", "C:\\Work", "C:\\WINDOWS\\TEMP"},
        {"temp that cannot be created", "C:\\WIN", "C:\\NoSuch\\", "C:\\", "C:\\WINDOWS\\TEMP"},
        {"relative temp is made absolute", "C:\\WIN", "Tmp\\", "C:\\", "C:\\TMP"},
        {"dots are resolved", "C:\\WIN", "C:\\WIN\\..\\T\\", "C:\\", "C:\\T"},
        {"ordinary", "C:\\WIN", "C:\\Tmp\\", "C:\\", "C:\\TMP"},
    };
    Sim().faults().Fail("CreateDirectoryA", ERROR_ACCESS_DENIED).ForPath("C:\\NoSuch");
    Sim().disk().MapDrive('D', Sim().hostRoot() / "drive_d");
    std::filesystem::create_directories(Sim().hostRoot() / "drive_d");
    for (const auto& c : cases) {
        Sim().settings().windowsDirectory = c.windows;
        Sim().settings().tempPath = c.temp;
        ForceDirectories(c.current);
        ASSERT_TRUE(P().SetCurrentDirectoryA(c.current.c_str())) << c.what;
        InfoDir.ClearCache();
        const std::string safe = InfoDir.GetSafeTempFolder();
        EXPECT_EQ(UpperCaseAZ(safe), c.expected) << c.what;
        EXPECT_TRUE(DirectoryExists(safe)) << c.what;
    }
}

}  // namespace qm::test
