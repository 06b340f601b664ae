// Reading and writing .reg files for the simulated registry.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/CodePage.h"
#include "platform/sim/RegFile.h"

namespace qm::sim {

namespace {

using Bytes = std::vector<BYTE>;

Bytes Wide(std::u16string_view text) { return Utf16Bytes(text); }

// A text as regedit writes a Version 5 file: UTF-16LE with a byte-order mark.
std::string Utf16File(std::u16string_view text) {
    const Bytes bytes = Wide(text);
    return "\xFF\xFE" + std::string(bytes.begin(), bytes.end());
}

// Two keys hold the same names (spelled alike), values (in order) and sub-keys.
void ExpectSameKey(const RegKey& a, const RegKey& b, const std::string& path) {
    EXPECT_EQ(a.name, b.name) << path;
    EXPECT_EQ(a.values, b.values) << path;
    ASSERT_EQ(a.subKeys.size(), b.subKeys.size()) << path;
    for (size_t i = 0; i < a.subKeys.size(); ++i)
        ExpectSameKey(*a.subKeys[i], *b.subKeys[i], path + "\\" + Utf16ToAnsi(a.subKeys[i]->name));
}

void ExpectSameRegistry(const RegistryStore& a, const RegistryStore& b) {
    const auto rootsA = a.Roots();
    const auto rootsB = b.Roots();
    ASSERT_EQ(rootsA.size(), rootsB.size());
    for (size_t i = 0; i < rootsA.size(); ++i) ExpectSameKey(*rootsA[i].second, *rootsB[i].second, rootsA[i].first);
}

TEST(RegFile, ImportsEveryKindOfLine) {
    RegistryStore store;
    ImportRegFile(store,
                  "REGEDIT4\r\n"
                  "\r\n"
                  "; a comment\r\n"
                  "[HKEY_CURRENT_USER\\Software\\Test]\r\n"
                  "@=\"the default\"\r\n"
                  "\"Quoted \\\"name\\\"\"=\"C:\\\\Program Files\\\\caf\xE9\"\r\n"
                  "\"Number\"=dword:0000abcd\r\n"
                  "\"Bytes\"=hex:01,02,ff\r\n"
                  "\"Empty\"=hex:\r\n"
                  "\"Expand\"=hex(2):25,00\r\n"
                  "\"Multi\"=hex(7):61,00,62,00,00\r\n"
                  "\"Odd\"=hex(b):10,20,\\\r\n"
                  "  30,40\r\n"
                  "  \"Spaced\" = \"x\"\r\n"
                  "\r\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Empty Key]\r\n"
                  "[HKCR\\.abc]\r\n"
                  "@=\"abcfile\"\r\n");
    const std::string key = "HKEY_CURRENT_USER\\Software\\Test";
    EXPECT_EQ(store.GetString(key, ""), "the default");
    EXPECT_EQ(store.GetString(key, "Quoted \"name\""), "C:\\Program Files\\caf\xE9");
    EXPECT_EQ(store.GetValue(key, "Quoted \"name\"")->type, REG_SZ);
    EXPECT_EQ(store.GetValue(key, "Number"), (RegValue{REG_DWORD, {0xcd, 0xab, 0, 0}}));
    EXPECT_EQ(store.GetValue(key, "Bytes"), (RegValue{REG_BINARY, {1, 2, 0xff}}));
    EXPECT_EQ(store.GetValue(key, "Empty"), (RegValue{REG_BINARY, {}}));
    // REGEDIT4 string data is ANSI; the registry keeps it in UTF-16.
    EXPECT_EQ(store.GetValue(key, "Expand"), (RegValue{REG_EXPAND_SZ, Wide(std::u16string_view(u"%\0", 2))}));
    EXPECT_EQ(store.GetValue(key, "Multi"), (RegValue{REG_MULTI_SZ, Wide(std::u16string_view(u"a\0b\0\0", 5))}));
    EXPECT_EQ(store.GetValue(key, "Odd"), (RegValue{11, {0x10, 0x20, 0x30, 0x40}}));
    EXPECT_EQ(store.GetString(key, "Spaced"), "x");
    EXPECT_TRUE(store.KeyExists("HKLM\\SOFTWARE\\Empty Key"));
    EXPECT_EQ(store.GetString("HKLM\\SOFTWARE\\Classes\\.abc", ""), "abcfile");
}

TEST(RegFile, Version5StringDataIsUtf16AndTheFileMayBeUtf16OrUtf8) {
    RegistryStore fromUtf16;
    ImportRegFile(fromUtf16, Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                       u"[HKEY_CURRENT_USER\\Software\\V5]\r\n"
                                       u"\"Euro \u20AC\"=\"\u4E00 and \u00E9\"\r\n"
                                       u"\"Expand\"=hex(2):25,00,00,00\r\n"));
    EXPECT_EQ(fromUtf16.FindKey(u"HKCU\\Software\\V5")->FindValue(u"Euro \u20AC")->data,
              Wide(std::u16string_view(u"\u4E00 and \u00E9\0", 8)));
    EXPECT_EQ(fromUtf16.GetValue("HKCU\\Software\\V5", "Expand"), (RegValue{REG_EXPAND_SZ, {0x25, 0, 0, 0}}));

    RegistryStore fromUtf8;
    ImportRegFile(fromUtf8,
                  "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\V5]\n"
                  "\"Euro \xE2\x82\xAC\"=\"\xE4\xB8\x80 and \xC3\xA9\"\n"
                  "\"Expand\"=hex(2):25,00,00,00\n");
    ExpectSameRegistry(fromUtf16, fromUtf8);
}

TEST(RegFile, RemovesKeysWithTheirTreeAndValues) {
    RegistryStore store;
    ASSERT_TRUE(store.SetString("HKCU\\Software\\Old\\Deep\\Deeper", "v", "x"));
    ASSERT_TRUE(store.SetString("HKCU\\Software\\Keep", "gone", "x"));
    ASSERT_TRUE(store.SetString("HKCU\\Software\\Keep", "kept", "x"));
    ImportRegFile(store,
                  "REGEDIT4\n"
                  "[-HKEY_CURRENT_USER\\Software\\Old]\n"
                  "[-HKEY_CURRENT_USER\\Software\\NeverWas]\n"
                  "[HKEY_CURRENT_USER\\Software\\Keep]\n"
                  "\"gone\"=-\n"
                  "\"never was\"=-\n");
    EXPECT_FALSE(store.KeyExists("HKCU\\Software\\Old"));
    EXPECT_FALSE(store.GetValue("HKCU\\Software\\Keep", "gone"));
    EXPECT_TRUE(store.GetValue("HKCU\\Software\\Keep", "kept"));
}

TEST(RegFile, MalformedTextThrowsWithItsLineAndAppliesNothing) {
    struct Case {
        const char* text;
        const char* where;
    };
    const Case cases[] = {
        {"Not a header\n[HKEY_CURRENT_USER\\A]\n", "line 1:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\"\n\"w\"=dword:123456789\n", "line 4:"},
        {"REGEDIT4\n\"v\"=\"x\"\n", "line 2:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n[HKEY_NOWHERE\\B]\n", "line 3:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A\n", "line 2:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,zz\n", "line 3:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"unterminated\n", "line 3:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"bad \\q escape\"\n", "line 3:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\nv=\"no quotes\"\n", "line 3:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\" \"x\"\n", "line 3:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=word:1\n", "line 3:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex(zz):01\n", "line 3:"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,\\\n  02,0g\n", "line 3:"},
    };
    for (const Case& c : cases) {
        RegistryStore store;
        try {
            ImportRegFile(store, c.text);
            ADD_FAILURE() << "no error for: " << c.text;
        } catch (const RegFileError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.where, 0), 0u) << error.what() << " for: " << c.text;
        }
        EXPECT_FALSE(store.KeyExists("HKCU\\A")) << c.text;
    }
}

// A registry with something of every kind, all of it writable in the code page.
void Fill(RegistryStore& store) {
    ASSERT_TRUE(store.SetString("HKCU\\Software\\Round", "", "default"));
    ASSERT_TRUE(store.SetString("HKCU\\Software\\Round", "caf\xE9 \"quoted\" \\slash", "\x80 100 \xFF"));
    ASSERT_TRUE(store.SetString("HKCU\\Software\\Round", "empty text", ""));
    ASSERT_TRUE(store.SetString("HKCU\\Software\\Round", "expand", "%windir%\\x", REG_EXPAND_SZ));
    ASSERT_TRUE(store.SetDword("HKCU\\Software\\Round", "dword", 0xDEADBEEF));
    ASSERT_TRUE(store.SetValue("HKCU\\Software\\Round", "short dword", REG_DWORD, {1, 2}));
    ASSERT_TRUE(store.SetValue("HKCU\\Software\\Round", "multi", REG_MULTI_SZ,
                               Wide(std::u16string_view(u"one\0two\0\0", 9))));
    ASSERT_TRUE(store.SetValue("HKCU\\Software\\Round", "none", REG_NONE, {}));
    ASSERT_TRUE(store.SetValue("HKCU\\Software\\Round", "odd type", 0x12345678, {0, 1, 2}));
    Bytes binary(300);
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<BYTE>(i * 7);
    ASSERT_TRUE(store.SetValue("HKCU\\Software\\Round", "binary", REG_BINARY, binary));
    ASSERT_TRUE(store.SetValue("HKCU\\Software\\Round", "unterminated", REG_SZ, Wide(u"abc")));
    ASSERT_TRUE(store.SetValue("HKCU\\Software\\Round", "line break", REG_SZ, Wide(std::u16string_view(u"a\r\nb\0", 5))));
    ASSERT_TRUE(store.SetValue("HKCU\\Software\\Round", "empty sz", REG_SZ, {}));
    ASSERT_TRUE(store.CreateKey("HKCU\\Software\\Round\\Empty\\Deeper"));
    ASSERT_TRUE(store.CreateKey("HKLM\\SOFTWARE\\Classes\\.ext"));
    ASSERT_TRUE(store.SetString("HKU\\.DEFAULT\\Mixed Case", "v", "x"));
    ASSERT_TRUE(store.SetString("HKEY_CURRENT_CONFIG\\System", "v", "x"));
    ASSERT_TRUE(store.SetString("HKLM", "root value", "x"));
}

TEST(RegFile, ExportThenImportGivesBackTheSameRegistry) {
    for (RegFileFormat format : {RegFileFormat::Regedit4, RegFileFormat::Version5}) {
        SCOPED_TRACE(format == RegFileFormat::Regedit4 ? "REGEDIT4" : "Version 5");
        RegistryStore original;
        Fill(original);
        const std::string file = ExportRegFile(original, format);
        RegistryStore copy;
        ImportRegFile(copy, file);
        ExpectSameRegistry(original, copy);
        EXPECT_EQ(ExportRegFile(copy, format), file);
    }
}

TEST(RegFile, Version5KeepsWhatTheCodePageCannotWrite) {
    RegistryStore original;
    ASSERT_TRUE(original.CreateKey(u"HKCU\\Software\\\u4E00"));
    original.CreateKey(u"HKCU\\Software\\\u4E00")->SetValue(u"\u20AC\u0100", {REG_SZ, Wide(std::u16string_view(u"\u4E00\0", 2))});
    original.CreateKey(u"HKCU\\Software\\Odd")->SetValue(u"odd length", {REG_SZ, {0x41, 0, 0x42}});
    original.CreateKey(u"HKCU\\Software\\Odd")->SetValue(u"inner zero", {REG_MULTI_SZ, Wide(std::u16string_view(u"a\0\u0100\0\0", 5))});
    RegistryStore copy;
    ImportRegFile(copy, ExportRegFile(original, RegFileFormat::Version5));
    ExpectSameRegistry(original, copy);
}

TEST(RegFile, ExportWritesWhatRegeditWrites) {
    RegistryStore store;
    ASSERT_TRUE(store.SetString("HKCU\\Software\\A", "", "x\\y"));
    ASSERT_TRUE(store.SetDword("HKCU\\Software\\A", "n", 0xabcd));
    ASSERT_TRUE(store.SetString("HKCU\\Software\\A", "e", "%a%", REG_EXPAND_SZ));
    ASSERT_TRUE(store.SetValue("HKCU\\Software\\A", "b", REG_BINARY, Bytes(30, 0xab)));
    ASSERT_TRUE(store.CreateKey("HKCU\\Software\\A\\B"));
    EXPECT_EQ(ExportRegFile(store, RegFileFormat::Regedit4),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\A]\r\n"
              "@=\"x\\\\y\"\r\n"
              "\"n\"=dword:0000abcd\r\n"
              "\"e\"=hex(2):25,61,25,00\r\n"
              "\"b\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\r\n"
              "  ab,ab,ab,ab,ab,ab,ab\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\A\\B]\r\n"
              "\r\n");
    const std::string v5 = ExportRegFile(store, RegFileFormat::Version5);
    ASSERT_GE(v5.size(), 2u);
    EXPECT_EQ(v5.substr(0, 2), "\xFF\xFE");
    const Bytes line = Wide(u"\"e\"=hex(2):25,00,61,00,25,00,00,00\r\n");
    EXPECT_NE(v5.find(std::string(line.begin(), line.end())), std::string::npos)
        << "hex(2) data in UTF-16";
}

}  // namespace

}  // namespace qm::sim
