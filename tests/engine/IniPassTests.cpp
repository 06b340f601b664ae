// INI items through both passes: values and sections added, changed and
// deleted, with the test repeated in the removal pass.
#include <string>

#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

class IniPass : public PassTest {
protected:
    std::string Ini() const { return InScratch("test.ini"); }
    std::string Read(const char* section, const char* name) {
        char buffer[256] = {};
        P().GetPrivateProfileStringA(section, name, "<absent>", buffer, sizeof buffer, Ini().c_str());
        return buffer;
    }
    std::string Sections() {
        char buffer[1024] = {};
        const DWORD length = P().GetPrivateProfileStringA(nullptr, nullptr, nullptr, buffer, sizeof buffer,
                                                          Ini().c_str());
        std::string names(buffer, length);
        for (char& c : names)
            if (c == '\0') c = '|';
        return names;
    }
};

}  // namespace

TEST_F(IniPass, ValuesAreListedAddedChangedAndDeleted) {
    WriteFile(Ini(),
              "[boot]\r\nshell=explorer.exe pest.exe\r\nempty=\r\nsame=new\r\ncased=OLD\r\n"
              "[Main]\r\nkeep=1\r\n");
    WriteScript(R"(
        description "ini"
        owner "Pest"
        change ini-value '{DIR}\test.ini' "boot" "shell" from "explorer.exe pest.exe" to "explorer.exe"
        change ini-value '{DIR}\test.ini' "boot" "same" from "old" to "new"
        change ini-value '{DIR}\test.ini' "boot" "cased" from "old" to "new"
        change ini-value '{DIR}\test.ini' "boot" "missing" from "old" to "new"
        delete ini-value '{DIR}\test.ini' "boot" "empty"
        delete ini-value '{DIR}\test.ini' "boot" "missing"
        add ini-value '{DIR}\test.ini' "Main" "added" "yes"
        add ini-value '{DIR}\test.ini' "Main" "keep" "1"
        add ini-value '{DIR}\test.ini' "Main" "nothing" ""
    )");
    Scan();
    const std::string file = Ini();
    EXPECT_EQ(Rows(ini), (Table{{"Change existing INI value", "Pest", file, "boot", "shell", "1"},
                               {"Delete Value in INI", "Pest", file, "boot", "empty", "5"},
                               {"Add New Value in INI", "Pest", file, "Main", "added", "7"}}));
    for (int row = 0; row < ini.RowCount(); ++row) EXPECT_EQ(ini.ImageIndex(row), 5);

    const PassResult removal = Remove();
    EXPECT_FALSE(removal.hadErrors);
    EXPECT_EQ(Read("boot", "shell"), "explorer.exe");
    EXPECT_EQ(Read("boot", "empty"), "<absent>");
    EXPECT_EQ(Read("Main", "added"), "yes");
    EXPECT_EQ(Read("boot", "cased"), "OLD");
    EXPECT_EQ(Rows(report), (Table{{"INI", "Change ", file + "[boot]", "shell"},
                                  {"INI", "Delete ", file + "[boot]", "empty"},
                                  {"INI", "Add ", file + "[Main]", "added"}}));
}

TEST_F(IniPass, ValueOperationsTestAgainInTheRemovalPass) {
    WriteFile(Ini(), "[Main]\r\n");
    WriteScript(R"(
        description "ini"
        add ini-value '{DIR}\test.ini' "Main" "added" "yes"
    )");
    Scan();
    ASSERT_EQ(ini.RowCount(), 1);
    // Meanwhile the value got the text: a checked row finds nothing to do.
    ASSERT_TRUE(P().WritePrivateProfileStringA("Main", "added", "yes", Ini().c_str()));
    Remove();
    EXPECT_EQ(Rows(report), (Table{{"Noting to do..."}}));
}

TEST_F(IniPass, SectionsCompareWithoutCaseAndNewOnesStayEmpty) {
    WriteFile(Ini(), "[Boot]\r\na=1\r\n[Doomed]\r\nx=1\r\ny=2\r\n");
    WriteScript(R"(
        description "sections"
        add ini-section '{DIR}\test.ini' "BOOT"
        add ini-section '{DIR}\test.ini' "Fresh"
        delete ini-section '{DIR}\test.ini' "doomed"
        delete ini-section '{DIR}\test.ini' "Missing"
        add ini-section '{DIR}\test.ini' "Later"
        delete ini-section '{DIR}\test.ini' "Vanishing"
    )");
    Scan();
    const std::string file = Ini();
    EXPECT_EQ(Rows(ini), (Table{{"Add New Section in INI", "", file, "Fresh", "*", "2"},
                               {"Delete Section in INI", "", file, "doomed", "*", "3"},
                               {"Add New Section in INI", "", file, "Later", "*", "5"}}));
    EXPECT_EQ(ini.ImageIndex(0), 4);

    // Between the passes another program adds the section "Later".
    ASSERT_TRUE(P().WritePrivateProfileStringA("Later", "k", "v", Ini().c_str()));
    const PassResult removal = Remove();
    EXPECT_FALSE(removal.hadErrors);
    EXPECT_EQ(Rows(report), (Table{{"INI", "Add ", file, "Fresh"},
                                  {"INI", "Delete ", file, "doomed"},
                                  {"INI", "Add ", file, "Later"}}));
    EXPECT_EQ(Sections(), "Boot|Later|Fresh|");
    EXPECT_EQ(ReadFile(Ini()).find("TEMPORAR"), std::string::npos) << "the marker value is gone again";
    EXPECT_EQ(Read("Later", "k"), "v") << "a section that exists is not touched";
}

TEST_F(IniPass, AMissingFileHasNoSectionsAndNoValues) {
    WriteScript(R"(
        description "missing"
        add ini-value '{DIR}\test.ini' "S" "v" "text"
        add ini-value '{DIR}\test.ini' "S" "empty" ""
        delete ini-value '{DIR}\test.ini' "S" "v"
        change ini-value '{DIR}\test.ini' "S" "v" from "a" to "b"
        add ini-section '{DIR}\test.ini' "T"
        delete ini-section '{DIR}\test.ini' "T"
    )");
    Scan();
    EXPECT_EQ(Rows(ini), (Table{{"Add New Value in INI", "", Ini(), "S", "v", "1"},
                               {"Add New Section in INI", "", Ini(), "T", "*", "5"}}));
    Remove();
    EXPECT_EQ(Read("S", "v"), "text") << "writing creates the file";
    EXPECT_EQ(Sections(), "S|T|");
}

}  // namespace qm::test
