// Reading and writing .reg files for the simulated registry.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/CodePage.h"
#include "platform/sim/RegFile.h"
#include "regfile/RegFileEdit.h"

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

TEST(RegFile, BothFormatsKeepWhatAPlainLineCannotHold) {
    RegistryStore original;
    ASSERT_TRUE(original.CreateKey(u"HKCU\\Software\\\u4E00"));
    original.CreateKey(u"HKCU\\Software\\\u4E00")->SetValue(u"\u20AC\u0100", {REG_SZ, Wide(std::u16string_view(u"\u4E00\0", 2))});
    original.CreateKey(u"HKCU\\Software\\Odd")->SetValue(u"odd length", {REG_SZ, {0x41, 0, 0x42}});
    original.CreateKey(u"HKCU\\Software\\Odd")->SetValue(u"inner zero", {REG_MULTI_SZ, Wide(std::u16string_view(u"a\0\u0100\0\0", 5))});
    original.CreateKey(u"HKCU\\Software\\Odd")->SetValue(u"line\r\nbreak", {REG_EXPAND_SZ, Wide(std::u16string_view(u"%a%\0", 4))});
    original.CreateKey(u"HKCU\\Software\\Key\twith a tab");
    for (RegFileFormat format : {RegFileFormat::Regedit4, RegFileFormat::Version5}) {
        SCOPED_TRACE(format == RegFileFormat::Regedit4 ? "REGEDIT4" : "Version 5");
        RegistryStore copy;
        const std::string file = ExportRegFile(original, format);
        ImportRegFile(copy, file);
        ExpectSameRegistry(original, copy);
        EXPECT_EQ(file.find("line\r\nbreak"), std::string::npos) << "a name broke its line";
    }
    // regedit reads the plain line below the exact form: as close as it can hold.
    const std::string regedit4 = ExportRegFile(original, RegFileFormat::Regedit4);
    EXPECT_NE(regedit4.find(";Quellmar-exact value: 6f,00,64,00,64,00,20,00,6c,00,65,00,6e,00,67,00,74,00,68,00=1:41,00,42\r\n"
                            "\"odd length\"=hex(1):41\r\n"),
              std::string::npos)
        << regedit4;
}

TEST(RegFile, OperationsKnowTheLinesTheyCameFrom) {
    const auto ops = regfile::ParseRegFile(
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\A]\r\n"
        "\"long\"=hex:01,02,\\\r\n"
        "  03\r\n"
        ";Quellmar-exact value: 6e,00=1:41,00,42\r\n"
        "\"n\"=hex(1):41\r\n"
        "[-HKEY_CURRENT_USER\\B]\r\n",
        regfile::CodePage{&AnsiToUtf16, &Utf16ToAnsi});
    ASSERT_EQ(ops.size(), 4u);
    const std::vector<std::pair<std::size_t, std::size_t>> lines = {{2, 2}, {3, 4}, {5, 6}, {7, 7}};
    for (std::size_t i = 0; i < ops.size(); ++i) {
        EXPECT_EQ(ops[i].firstLine, lines[i].first) << i;
        EXPECT_EQ(ops[i].lastLine, lines[i].second) << i;
    }
    EXPECT_EQ(ops[2].value.data, (Bytes{0x41, 0, 0x42}));
}

TEST(RegFile, ExactFormWithoutItsLineIsAnError) {
    for (const char* text : {"REGEDIT4\n[HKEY_CURRENT_USER\\A]\n;Quellmar-exact value: 6e,00=1:41\n\n\"n\"=\"x\"\n",
                             "REGEDIT4\n;Quellmar-exact key: 41,00\n\"n\"=\"x\"\n",
                             "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n;Quellmar-exact value: 6e,00=1:41\n"}) {
        RegistryStore store;
        try {
            ImportRegFile(store, text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const RegFileError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("line 3:", 0) == 0 || std::string(error.what()).rfind("line 2:", 0) == 0,
                      true)
                << error.what();
        }
    }
}

TEST(RegFileEdit, UntouchedLinesKeepTheirBytesAndNewLinesTheFilesWay) {
    const regfile::CodePage codePage{&AnsiToUtf16, &Utf16ToAnsi};
    struct Case {
        const char* what;
        std::string original;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"REGEDIT4 with bare line feeds",
         "REGEDIT4\n\n; note\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"y\"  =  \"kept as written\"\n",
         "REGEDIT4\n\n; note\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"2\"\n\"y\"  =  \"kept as written\"\n\n"
         "[HKEY_CURRENT_USER\\B]\n\"caf\xE9\"=\"\"\n\n"},
        {"UTF-8 Version 5 without a last line break",
         "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"",
         "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"2\"\r\n\r\n"
         "[HKEY_CURRENT_USER\\B]\r\n\"caf\xC3\xA9\"=\"\"\r\n\r\n"},
    };
    for (const auto& c : cases) {
        regfile::RegFileEdit edit(c.original, codePage);
        EXPECT_EQ(edit.Bytes(), c.original) << c.what << ": unchanged, it is the same file";
        const auto ops = regfile::ParseRegFile(c.original, codePage);
        ASSERT_GE(ops.size(), 2u) << c.what;
        edit.Replace(ops[1].firstLine, ops[1].lastLine, u"\"x\"=\"2\"\r\n");
        edit.AppendSection(u"[HKEY_CURRENT_USER\\B]\r\n\"caf\u00E9\"=\"\"\r\n");
        EXPECT_EQ(edit.Bytes(), c.expected) << c.what;
    }
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
