// Registry items through both passes: what the scan lists, what the removal
// does to the registry and reports, for every operation in the states that
// matter (present, absent, holding other data, unchecked).
#include <string>

#include "engine/Quarn_link.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }
std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

class RegistryPass : public PassTest {};

}  // namespace

TEST_F(RegistryPass, KeysAreAddedAndDeletedWithEverySubKey) {
    CreateKey("Doomed\\A\\Deep");
    CreateKey("Doomed\\B");
    SetValue("Doomed\\A\\Deep", "v", REG_SZ, Sz("x"));
    CreateKey("Present");
    WriteScript(R"(
        description "keys"
        owner "Pest"
        add key '{KEY}\Added\Below'
        add key '{KEY}\Present'
        delete key '{KEY}\Doomed'
        delete key '{KEY}\Missing'
    )");
    Scan();
    EXPECT_EQ(Rows(registry), (Table{{"Add regsitry Key", "Pest", Key() + "\\Added\\Below", "", "KEY", "1"},
                                    {"Delete regsitry Key", "Pest", Key() + "\\Doomed", "", "KEY", "3"}}));
    EXPECT_EQ(registry.ImageIndex(0), 0);
    EXPECT_EQ(registry.ImageIndex(1), 0);

    const PassResult removal = Remove();
    EXPECT_FALSE(removal.hadErrors);
    EXPECT_TRUE(KeyExists("Added\\Below"));
    EXPECT_FALSE(KeyExists("Doomed"));
    EXPECT_EQ(Rows(report), (Table{{"Registry", "Add ", Key() + "\\Added\\Below", ""},
                                  {"Registry", "Delete ", Key() + "\\Doomed", ""}}));
    EXPECT_EQ(report.ImageIndex(0), 0);
}

TEST_F(RegistryPass, AnAddedValueIsListedUnlessItHoldsExactlyTheData) {
    // Values written through the UTF-16 call keep their bytes exactly, and the
    // wide-name flag makes the engine read them the same way: the comparison
    // sees the stored bytes, terminator or none.
    SetRawValue("", u"same", REG_SZ, Sz("abc"));
    SetRawValue("", u"unterminated", REG_SZ, "abc");
    SetRawValue("", u"expandable", REG_EXPAND_SZ, Sz("abc"));
    SetValue("", "number", REG_DWORD, Dword(7));
    WriteScript(R"(
        description "values"
        owner "Pest"
        add value '{KEY}' "same" REG_SZ "abc" wide
        add value '{KEY}' "unterminated" REG_SZ "abc" wide
        add value '{KEY}' "expandable" REG_SZ "abc" wide
        add value '{KEY}' "number" REG_DWORD dword 7
        add value '{KEY}' "missing" REG_DWORD dword 8
        add value '{KEY}\NewKey' "" REG_BINARY hex "01 02"
    )");
    Scan();
    EXPECT_EQ(Rows(registry), (Table{{"Add new regsitry value", "Pest", Key(), "unterminated", "String", "2"},
                                     {"Add new regsitry value", "Pest", Key(), "expandable", "String", "3"},
                                     {"Add new regsitry value", "Pest", Key(), "missing", "Integer", "5"},
                                     {"Add new regsitry value", "Pest", Key() + "\\NewKey", "", "Binary", "6"}}));
    EXPECT_EQ(registry.ImageIndex(0), 1);

    Remove();
    EXPECT_EQ(GetValue("", "missing"), std::make_pair(DWORD{REG_DWORD}, Dword(8)));
    EXPECT_EQ(GetValue("NewKey", ""), std::make_pair(DWORD{REG_BINARY}, std::string("\x01\x02", 2)));
    ASSERT_EQ(report.RowCount(), 4);
    EXPECT_EQ(Row(report, 3), (std::vector<std::string>{"Registry", "Add ", Key() + "\\NewKey", ""}));

    // Written again with the terminator counted, the values now hold the data.
    Scan();
    EXPECT_EQ(registry.RowCount(), 0);
}

TEST_F(RegistryPass, AStringValueIsWrittenWithItsTerminator) {
    WriteScript(R"(
        description "text"
        add value '{KEY}' "text" REG_SZ "abc"
        add value '{KEY}' "list" REG_MULTI_SZ "a\0b\0"
    )");
    ScanAndRemove();
    EXPECT_EQ(GetValue("", "text"), std::make_pair(DWORD{REG_SZ}, Sz("abc")));
    EXPECT_EQ(GetValue("", "list"), std::make_pair(DWORD{REG_MULTI_SZ}, std::string("a\0b\0\0", 5)));
}

TEST_F(RegistryPass, AChangeIsListedOnlyWhenTheValueHoldsExactlyTheOldData) {
    SetValue("", "old", REG_DWORD, Dword(1));
    SetValue("", "new", REG_DWORD, Dword(2));
    SetValue("", "other", REG_DWORD, Dword(9));
    SetValue("", "binary", REG_BINARY, Dword(1));
    WriteScript(R"(
        description "changes"
        change value '{KEY}' "old" REG_DWORD from dword 1 to dword 2
        change value '{KEY}' "new" REG_DWORD from dword 1 to dword 2
        change value '{KEY}' "other" REG_DWORD from dword 1 to dword 2
        change value '{KEY}' "binary" REG_DWORD from dword 1 to dword 2
        change value '{KEY}' "missing" REG_DWORD from dword 1 to dword 2
        change value '{KEY}\Missing' "old" REG_DWORD from dword 1 to dword 2
    )");
    Scan();
    EXPECT_EQ(Rows(registry), (Table{{"Change existing regsitry value", "", Key(), "old", "Integer", "1"}}));
    Remove();
    EXPECT_EQ(GetValue("", "old"), std::make_pair(DWORD{REG_DWORD}, Dword(2)));
    EXPECT_EQ(GetValue("", "other"), std::make_pair(DWORD{REG_DWORD}, Dword(9)));
    EXPECT_EQ(Rows(report), (Table{{"Registry", "Change ", Key(), "old"}}));
}

TEST_F(RegistryPass, DeletedValuesAndTheDefaultValue) {
    SetValue("", "", REG_SZ, Sz("default"));
    SetValue("", "doomed", REG_BINARY, "\x01");
    SetValue("Gone", "doomed", REG_SZ, Sz("x"));
    WriteScript(R"(
        description "deletions"
        delete value '{KEY}' "" REG_SZ
        delete value '{KEY}' "doomed" 0
        delete value '{KEY}' "missing" 11
        delete value '{KEY}\Gone' "doomed" REG_SZ
    )");
    Scan();
    EXPECT_EQ(Rows(registry), (Table{{"Delete regsitry value", "", Key(), "", "String", "1"},
                                    {"Delete regsitry value", "", Key(), "doomed", "Unknown 0", "2"},
                                    {"Delete regsitry value", "", Key() + "\\Gone", "doomed", "String", "4"}}));
    // The key disappears between the passes: nothing is left to delete.
    HKEY key = 0;
    ASSERT_EQ(P().RegOpenKeyExA(HKCU, ScratchKey().c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(P().RegDeleteKeyA(key, "Gone"), ERROR_SUCCESS);
    P().RegCloseKey(key);

    const PassResult removal = Remove();
    EXPECT_FALSE(removal.hadErrors);
    EXPECT_FALSE(GetValue("", "").has_value());
    EXPECT_FALSE(GetValue("", "doomed").has_value());
    EXPECT_EQ(Rows(report), (Table{{"Registry", "Delete ", Key(), ""},
                                  {"Registry", "Delete ", Key(), "doomed"},
                                  {"Registry", "Delete ", Key() + "\\Gone", "doomed"}}));
}

TEST_F(RegistryPass, AnUncheckedRowLeavesItsItemAlone) {
    SetValue("", "keep", REG_SZ, Sz("x"));
    SetValue("", "doomed", REG_SZ, Sz("x"));
    WriteScript(R"(
        description "choice"
        delete value '{KEY}' "keep" REG_SZ
        delete value '{KEY}' "doomed" REG_SZ
    )");
    Scan();
    ASSERT_EQ(registry.RowCount(), 2);
    registry.SetChecked(0, false);
    Remove();
    EXPECT_TRUE(GetValue("", "keep").has_value());
    EXPECT_FALSE(GetValue("", "doomed").has_value());
    EXPECT_EQ(Rows(report), (Table{{"Registry", "Delete ", Key(), "doomed"}}));
}

TEST_F(RegistryPass, UnknownRootsAreListedForAdditionAndFail) {
    WriteScript(R"(
        description "roots"
        add key 'HKXX\Software\Pest'
        add value 'hklm' "v" REG_SZ "x"
        delete key 'HKXX\Software\Pest'
        change value 'HKXX\Software' "v" REG_SZ from "a" to "b"
        delete value 'HKXX\Software' "v" REG_SZ
    )");
    Scan();
    EXPECT_EQ(Rows(registry), (Table{{"Add regsitry Key", "", "HKXX\\Software\\Pest", "", "KEY", "1"},
                                    {"Add new regsitry value", "", "hklm", "v", "String", "2"}}));
    const PassResult removal = Remove();
    EXPECT_TRUE(removal.hadErrors);
    EXPECT_EQ(Rows(report), (Table{{"Registry", "Error Add ", "HKXX\\Software\\Pest", ""},
                                  {"Registry", "Error Add ", "hklm", "v"}}));
    EXPECT_EQ(report.ImageIndex(0), 7);
}

TEST_F(RegistryPass, ARootKeyIsNeverListedForDeletion) {
    WriteScript(R"(
        description "roots"
        delete key 'HKCU\'
        delete key 'HKEY_CURRENT_USER\\'
    )");
    Scan();
    EXPECT_EQ(registry.RowCount(), 0);
    EXPECT_TRUE(KeyExists("")) << "nothing under the root was touched";
}

TEST_F(RegistryPass, DataOfTheLongestKindsComparesSoundly) {
    // String data of 65535 bytes is written with its terminator: 65536 bytes.
    const std::string longText(65535, 'x');
    SetValue("", "long", REG_SZ, Sz(longText));
    // A value longer than any script data can never hold "no data".
    SetValue("", "huge", REG_BINARY, std::string(70000, '\0'));
    WriteScript(R"(
        description "long"
        add value '{KEY}' "long" REG_SZ ")" + longText + R"("
        add value '{KEY}' "huge" REG_BINARY ""
        add value '{KEY}' "fresh" REG_SZ ")" + longText + R"("
    )");
    Scan();
    EXPECT_EQ(Rows(registry), (Table{{"Add new regsitry value", "", Key(), "huge", "Binary", "2"},
                                    {"Add new regsitry value", "", Key(), "fresh", "String", "3"}}));
    Remove();
    EXPECT_EQ(GetValue("", "fresh"), std::make_pair(DWORD{REG_SZ}, Sz(longText)));
    EXPECT_EQ(GetValue("", "huge"), std::make_pair(DWORD{REG_BINARY}, std::string()));
}

TEST(RegistryPathTest, SplitsRootAndSubKey) {
    struct Case {
        const char* path;
        HKEY root;
        const char* subKey;
    };
    const Case cases[] = {
        {"hkcu\\Software\\Example", HKCU, "Software\\Example"},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE", HKLM, "SOFTWARE"},
        {"HKLM", HKLM, "HKLM"},
        {"hklm", 0, "hklm"},
        {"\\Software", 0, "\\Software"},
        {"HKEY_PERFORMANCE_DATA\\x", 0, "x"},
        {"HKEY_DYN_DATA\\x", 0, "x"},
        {"HKCC\\", HKCC, ""},
        {"HKU\\.DEFAULT\\x", HKU, ".DEFAULT\\x"},
        {"HKCR\\CLSID", HKCR, "CLSID"},
    };
    for (const auto& c : cases) {
        const RegistryPathParts parts = SplitRegistryPath(c.path);
        EXPECT_EQ(parts.RootKey, c.root) << c.path;
        EXPECT_EQ(parts.SubKey, c.subKey) << c.path;
    }
    EXPECT_EQ(RegistryTypeName(11), "Unknown 11");
    EXPECT_EQ(RegistryTypeName(8), "Resource-String");
}

}  // namespace qm::test
