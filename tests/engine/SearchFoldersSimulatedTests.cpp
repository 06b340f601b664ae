// Where the search folders come from, on a simulated machine set up for it:
// the special folders, PATH, the folders of running programs (in upper-case
// 8.3 form) and the App Paths keys; and what an empty entry or a folder with
// a path variable does to a lookup.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/Quarn_link.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

constexpr const char* kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

class SearchFoldersSim : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        sim::InstallStandardMachine(Sim());
    }
    sim::SimPlatform& Sim() { return static_cast<sim::SimPlatform&>(P()); }

    void Folder(const std::string& path) {
        for (size_t at = path.find('\\', 3);; at = path.find('\\', at + 1)) {
            P().CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
            if (at == std::string::npos) break;
        }
    }
    void AppPath(const char* rootName, const std::string& program, const char* valueName, DWORD type,
                 const std::string& text) {
        const std::string key = std::string(rootName) + "\\" + kAppPaths + program;
        ASSERT_TRUE(Sim().registry().SetString(key, valueName, text, type)) << key;
    }
    void SetPath(const std::string& value) { ASSERT_TRUE(P().SetEnvironmentVariableA("PATH", value.c_str())); }

    std::vector<std::string> SearchFolders() {
        TlinkObject engine;
        return std::vector<std::string>(engine.FSearchFolders->begin(), engine.FSearchFolders->end());
    }
    static bool Has(const std::vector<std::string>& list, const std::string& text) {
        return std::find(list.begin(), list.end(), text) != list.end();
    }
};

}  // namespace

TEST_F(SearchFoldersSim, TheListHoldsSpecialFoldersPathEntriesProgramFoldersAndAppPaths) {
    SetPath("C:\\WINDOWS\\system32;C:\\Tools\\;c:\\windows;C:\\Nowhere;;C:\\Last");
    const std::string vendor = "C:\\Program Files\\Long Vendor Name";
    Folder(vendor);
    WriteFile(vendor + "\\app.exe", "MZ");
    Sim().StartProcess(vendor + "\\app.exe");
    for (const char* folder : {"C:\\Apps\\Tool", "C:\\Apps\\Lib", "C:\\Apps\\Quoted", "C:\\Apps\\User"}) Folder(folder);
    AppPath("HKEY_LOCAL_MACHINE", "tool.exe", "", REG_SZ, "C:\\Apps\\Tool\\tool.exe");
    AppPath("HKEY_LOCAL_MACHINE", "tool.exe", "PATH", REG_EXPAND_SZ, "C:\\Apps\\Lib\\");
    AppPath("HKEY_LOCAL_MACHINE", "quoted.exe", "", REG_SZ, "\"C:\\Apps\\Quoted\\quoted.exe\"");
    AppPath("HKEY_LOCAL_MACHINE", "quoted.exe", "PATH", REG_SZ, "C:\\Apps\\Tool;C:\\Apps\\Lib");
    AppPath("HKEY_LOCAL_MACHINE", "gone.exe", "", REG_SZ, "C:\\Apps\\Gone\\gone.exe");
    AppPath("HKEY_CURRENT_USER", "user.exe", "", REG_SZ, "C:\\Apps\\User\\user.exe");

    const std::vector<std::string> folders = SearchFolders();
    // Each folder once, spelled as first added; the lookup order puts the
    // empty entry and the drive first.
    ASSERT_GE(folders.size(), 2u);
    EXPECT_EQ(folders[0], "") << "the empty PATH entry";
    EXPECT_EQ(folders[1], "C:") << "the root of drive C and the Windows folder's drive";
    for (const char* folder :
         {"C:\\WINDOWS", "C:\\WINDOWS\\system32", "C:\\WINDOWS\\Fonts", "C:\\Program Files\\Quellmar",
          "C:\\Program Files", "C:\\Program Files\\Common Files", "C:\\Documents and Settings\\User\\Application Data",
          "C:\\Documents and Settings\\User\\Desktop", "C:\\Documents and Settings\\User\\Start Menu\\Programs\\Startup",
          "C:\\Tools", "C:\\Nowhere", "C:\\Last", "C:\\PROGRA~1\\LONGVE~1", "C:\\Apps\\Tool", "C:\\Apps\\Lib",
          "C:\\Apps\\User"})
        EXPECT_TRUE(Has(folders, folder)) << folder;
    for (const char* folder : {"c:\\windows", "C:\\Apps\\Quoted", "\"C:\\Apps\\Quoted", "C:\\Apps\\Gone",
                               "C:\\Program Files\\Long Vendor Name", "C:\\WINDOWS\\Temp",
                               "C:\\Documents and Settings\\User\\Recent", "C:\\Documents and Settings\\User\\Templates"})
        EXPECT_FALSE(Has(folders, folder)) << folder;
}

TEST_F(SearchFoldersSim, AnEmptyEntryLooksInTheRootOfTheCurrentDriveBeforeDriveC) {
    SetPath("C:\\WINDOWS;;");
    WriteFile("C:\\qm-root.dat", "r");
    WriteScript(R"(
        description "root"
        owner "Pest"
        delete file-text2 'qm-root.dat'
    )");
    Scan();
    // "" sorts first and gives "\qm-root.dat"; the copy seen through "C:"
    // is a further match, listed first.
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", "C:\\qm-root.dat", "*", "1"},
                                 {"Erase File", "Pest", "\\qm-root.dat", "*", "1"}}));
    Remove();
    EXPECT_FALSE(FileExists("C:\\qm-root.dat"));
}

TEST_F(SearchFoldersSim, ASemicolonBeforeALineFeedIsOneBreakInPath) {
    SetPath("C:\\WINDOWS;\nC:\\Tools");
    const std::vector<std::string> folders = SearchFolders();
    EXPECT_FALSE(Has(folders, ""));
    EXPECT_TRUE(Has(folders, "C:\\Tools"));
}

TEST_F(SearchFoldersSim, AScriptFolderWithAPathVariableIsNotExpandedAndFindsNothing) {
    Folder("C:\\WINDOWS\\Pest");
    WriteFile("C:\\WINDOWS\\Pest\\qm-hidden.dat", "h");
    WriteScript(R"(
        description "variable"
        search-folder '%windir%\Pest'
        delete file-text2 'qm-hidden.dat'
        search-folder 'C:\WINDOWS\Pest'
        delete file-text2 'qm-hidden.dat'
    )");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "", "C:\\WINDOWS\\Pest\\qm-hidden.dat", "*", "3"}}));
}

}  // namespace qm::test
