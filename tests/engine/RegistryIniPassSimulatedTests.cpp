// Registry and INI items on the simulated machine where it refuses: keys that
// refuse an access mask, and writes made to fail by fault injection.
#include <string>

#include "platform/sim/SimPlatform.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

class RefusingPass : public PassTest {
protected:
    sim::SimPlatform& Sim() { return static_cast<sim::SimPlatform&>(P()); }
    std::string FullPath(const std::string& subKey) const {
        return "HKEY_CURRENT_USER\\" + ScratchKey() + (subKey.empty() ? "" : "\\" + subKey);
    }
};

}  // namespace

TEST_F(RefusingPass, AKeyThatRefusesTheOperationsAccessCountsAsAbsent) {
    CreateKey("Locked");
    SetValue("Locked", "v", REG_SZ, std::string("x\0", 2));
    // Readable, not writable: opening it for reading and writing fails.
    Sim().registry().RefuseAccess(FullPath("Locked"), KEY_SET_VALUE);
    WriteScript(R"(
        description "refused"
        add key '{KEY}\Locked'
        delete key '{KEY}\Locked'
        delete value '{KEY}\Locked' "v" REG_SZ
        add value '{KEY}\Locked' "w" REG_SZ "y"
    )");
    Scan();
    EXPECT_EQ(Rows(registry), (Table{{"Add regsitry Key", "", Key() + "\\Locked", "", "KEY", "1"},
                                     {"Add new regsitry value", "", Key() + "\\Locked", "w", "String", "4"}}));
    const PassResult removal = Remove();
    EXPECT_TRUE(removal.hadErrors);
    EXPECT_EQ(Rows(report), (Table{{"Registry", "Error Add ", Key() + "\\Locked", ""},
                                   {"Registry", "Error Add ", Key() + "\\Locked", "w"}}));
    EXPECT_EQ(GetValue("Locked", "v"), std::make_pair(DWORD{REG_SZ}, std::string("x\0", 2)));
}

TEST_F(RefusingPass, FailingRegistryWritesGiveFailedLines) {
    SetValue("", "old", REG_DWORD, std::string("\1\0\0\0", 4));
    WriteScript(R"(
        description "failing"
        change value '{KEY}' "old" REG_DWORD from dword 1 to dword 2
        add value '{KEY}' "new" REG_SZ "x"
        add key '{KEY}\Sub'
    )");
    Scan();
    ASSERT_EQ(registry.RowCount(), 3);
    Sim().faults().Fail("RegSetValueExA", ERROR_ACCESS_DENIED).ForPath(FullPath(""));
    Sim().faults().Fail("RegCreateKeyExA", ERROR_ACCESS_DENIED).ForPath(FullPath("Sub"));
    const PassResult removal = Remove();
    EXPECT_TRUE(removal.hadErrors);
    EXPECT_EQ(Rows(report), (Table{{"Registry", "Error Change ", Key(), "old"},
                                   {"Registry", "Error Add ", Key(), "new"},
                                   {"Registry", "Error Add ", Key() + "\\Sub", ""}}));
    EXPECT_EQ(report.ImageIndex(0), 7);
    EXPECT_EQ(GetValue("", "old"), std::make_pair(DWORD{REG_DWORD}, std::string("\1\0\0\0", 4)));
}

TEST_F(RefusingPass, RefusedIniWritesGiveFailedLines) {
    const std::string file = InScratch("test.ini");
    WriteFile(file, "[boot]\r\nshell=pest.exe\r\n[Doomed]\r\nx=1\r\n");
    WriteScript(R"(
        description "ini"
        change ini-value '{DIR}\test.ini' "boot" "shell" from "pest.exe" to "explorer.exe"
        add ini-value '{DIR}\test.ini' "boot" "added" "1"
        add ini-section '{DIR}\test.ini' "Fresh"
        delete ini-section '{DIR}\test.ini' "Doomed"
        delete ini-value '{DIR}\test.ini' "boot" "shell"
    )");
    Scan();
    ASSERT_EQ(ini.RowCount(), 5);
    Sim().faults().Fail("WritePrivateProfileStringA", ERROR_ACCESS_DENIED).ForPath(file);
    const PassResult removal = Remove();
    EXPECT_TRUE(removal.hadErrors);
    // Deleting a value never fails: its result is not looked at.
    EXPECT_EQ(Rows(report), (Table{{"INI", "Error Change ", file + "[boot]", "shell"},
                                   {"INI", "Error Add ", file + "[boot]", "added"},
                                   {"INI", "Error Add ", file, "Fresh"},
                                   {"INI", "Error Delete ", file, "Doomed"},
                                   {"INI", "Delete ", file + "[boot]", "shell"}}));
    EXPECT_EQ(ReadFile(file), "[boot]\r\nshell=pest.exe\r\n[Doomed]\r\nx=1\r\n");
}

}  // namespace qm::test
