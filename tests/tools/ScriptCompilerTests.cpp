// The script compiler: exact bytes of the container and of each statement,
// scrambling, and faults reported with their place in the source.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/tools/ScriptTestSupport.h"
#include "tools/script/ScriptCompiler.h"

namespace qm::script::test {
namespace {

Bytes Compile(const std::string& source) { return CompileScript(source, "test.qms"); }

const Bytes kMagicBytes = B({0x2D, 0x3C, 0x23, 0x51, 0x5A, 0x23, 0x3E, 0x2D});

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// description "A": 'A' (0x41) is scrambled with key entry 1 (0x8C) = 0xCD.
const Bytes kDescriptionA = B({0, 0, 0, 0, 0x88, 0x88, 0, 0, 1, 0, 0xCD, 0, 0, 0, 0, 0, 0});

TEST(ScriptCompiler, MinimalScriptIsMagicRecordTrailer) {
    EXPECT_EQ(Compile("description \"A\""), Concat({kMagicBytes, kDescriptionA, B({0, 0, 0, 0, 0, 0, 0, 0})}));
    // An empty source still makes a readable (empty) script.
    EXPECT_EQ(Compile("# nothing\n"), Concat({kMagicBytes, B({0, 0, 0, 0, 0, 0, 0, 0})}));
}

TEST(ScriptCompiler, FieldBytesUseTheKeyEntryOfTheirPositionModulo260) {
    // 261 bytes of 'A': byte 1 uses entry 1 (0x8C), byte 2 entry 2 (0x1C),
    // byte 260 entry 0 (0x1C), byte 261 entry 1 again.
    const Bytes bytes = Compile("add key \"" + std::string(261, 'A') + "\"");
    const std::size_t text = 8 + 4 + 2 + 2 + 2;  // magic, tag, type, kind, length
    ASSERT_GT(bytes.size(), text + 261);
    EXPECT_EQ(bytes[text - 2], 0x05);  // length 261 = 0x0105
    EXPECT_EQ(bytes[text - 1], 0x01);
    EXPECT_EQ(bytes[text + 0], 0x41 ^ 0x8C);
    EXPECT_EQ(bytes[text + 1], 0x41 ^ 0x1C);
    EXPECT_EQ(bytes[text + 3], 0x41 ^ 0x99);
    EXPECT_EQ(bytes[text + 259], 0x41 ^ 0x1C);
    EXPECT_EQ(bytes[text + 260], 0x41 ^ 0x8C);

    // The largest field: byte 65535 uses entry 15 (0xF9).
    const Bytes big = Compile("add value 'K' \"\" REG_BINARY hex \"" + std::string(2 * 65535, '0') + "\"");
    const std::size_t data = 8 + 4 + 2 + 2 + 2 + 1 + 2 + 0 + 2;
    ASSERT_EQ(big.size(), data + 65535 + 2 + 8);
    EXPECT_EQ(big[data - 2], 0xFF);
    EXPECT_EQ(big[data - 1], 0xFF);
    EXPECT_EQ(big[data], 0x8C);
    EXPECT_EQ(big[data + 65534], 0xF9);
}

TEST(ScriptCompiler, ModuleLiesBeforeItsStartWordAndTheMagic) {
    EXPECT_EQ(Compile("module hex \"4D 5A 01\"\ndescription \"A\""),
              Concat({B({0x4D, 0x5A, 0x01}), B({0, 0, 0, 0}), kMagicBytes, kDescriptionA,
                      B({3, 0, 0, 0}),      // trailer field 1: the module's length
                      B({7, 0, 0, 0})}));   // RecordStart
    EXPECT_EQ(Compile("prefix hex \"EE\"\nmodule hex \"4D 5A 01\"\ndescription \"A\""),
              Concat({B({0xEE, 0x4D, 0x5A, 0x01}), B({1, 0, 0, 0}), kMagicBytes, kDescriptionA, B({3, 0, 0, 0}),
                      B({8, 0, 0, 0})}));
    // Trailer fields given explicitly; no trailer; another magic.
    EXPECT_EQ(Compile("trailer-check 0x11223344 record-start 5"),
              Concat({kMagicBytes, B({0x44, 0x33, 0x22, 0x11, 5, 0, 0, 0})}));
    EXPECT_EQ(Compile("trailer none magic none bytes \"xy\""), B("xy"));
    EXPECT_EQ(Compile("magic \"MAGIC\" trailer none"), B("MAGIC"));
}

TEST(ScriptCompiler, StringTableEntriesArePlainAndRunToTheTrailer) {
    EXPECT_EQ(Compile("string-table entry \"ab\" entry \"\""),
              Concat({kMagicBytes, B({0, 0, 0, 0, 0x99, 0x99, 2, 0, 'a', 'b', 0, 0}), B({0, 0, 0, 0, 0, 0, 0, 0})}));
    // With a module in front the entries still end at the trailer.
    const Bytes bytes = Compile("module hex \"4D 5A\"\ndescription \"A\"\nstring-table entry \"ab\"");
    EXPECT_EQ(bytes, Concat({B({0x4D, 0x5A}), B({0, 0, 0, 0}), kMagicBytes, kDescriptionA,
                             B({0, 0, 0, 0, 0x99, 0x99, 2, 0, 'a', 'b'}), B({2, 0, 0, 0, 6, 0, 0, 0})}));
    const Walk walk = WalkScript(bytes);
    EXPECT_TRUE(walk.finished);
    EXPECT_EQ(walk.stringTable, std::vector<std::string>{"ab"});
    EXPECT_EQ(walk.records.size(), 1u);
}

struct Expected {
    std::string source;
    std::uint16_t type;
    std::uint16_t kind;
    std::string text1;
    std::string text2;
    Bytes data1;
    Bytes data2;
};

TEST(ScriptCompiler, EachStatementGivesItsRecord) {
    const std::vector<Expected> cases = {
        {"description \"<p>\"", 0x8888, 0, "<p>", "", {}, {}},
        {"owner \"Pest\"", 0xDDDD, 0, "Pest", "", {}, {}},
        {"search-folder 'C:\\x\\'", 0x6666, 0, "C:\\x\\", "", {}, {}},
        {"call-module \"Entry\"", 0x7777, 0, "Entry", "", {}, {}},
        {"delete file 'C:\\a.exe'", 0x0001, 0xBB, "C:\\a.exe", "", {}, {}},
        {"delete file-text2 \"a.exe\"", 0x0001, 0x11, "", "a.exe", {}, {}},
        {"delete folder 'C:\\d'", 0x0001, 0xAA, "C:\\d", "", {}, {}},
        {"delete key 'HKCU\\X' wide", 0xFF01, 0xFF, "HKCU\\X", "", {}, {}},
        {"delete ini-section 'w.ini' \"S\"", 0x0001, 0x22, "w.ini*S", "", {}, {}},
        {"delete ini-value 'w.ini' \"S*T\" \"N\" data \"x\"", 0x0001, 0x33, "w.ini*S*T", "N", B("x"), {}},
        {"delete value 'HKCU\\X' \"N\" REG_SZ", 0x0001, 1, "HKCU\\X", "N", {}, {}},
        {"add file 'C:\\a'", 0x0003, 0xBB, "C:\\a", "", {}, {}},
        {"add file-text2 \"\"", 0x0003, 0x11, "", "", {}, {}},
        {"add folder 'C:\\d'", 0x0003, 0xAA, "C:\\d", "", {}, {}},
        {"add key 'HKLM\\X'", 0x0003, 0xFF, "HKLM\\X", "", {}, {}},
        {"add ini-section 'w.ini' \"S\"", 0x0003, 0x22, "w.ini*S", "", {}, {}},
        {"add ini-value 'w.ini' \"S\" \"N\" \"v\"", 0x0003, 0x33, "w.ini*S", "N", B("v"), {}},
        {"add value 'K' \"N\" REG_DWORD dword 0x01020304", 0x0003, 4, "K", "N", B({4, 3, 2, 1}), {}},
        {"add value 'K' \"N\" REG_QWORD qword 0x0102030405060708", 0x0003, 11, "K", "N",
         B({8, 7, 6, 5, 4, 3, 2, 1}), {}},
        {"add value 'K' \"N\" 0x1234 hex \"01 02\" + \"ab\" + word 0x0102", 0x0003, 0x1234, "K", "N",
         B({1, 2, 'a', 'b', 2, 1}), {}},
        {"add value 'K' \"N\" REG_SZ utf16 \"h\xC3\xA9\xF0\x9F\x98\x80\" wide", 0xFF03, 1, "K", "N",
         B({'h', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE}), {}},
        {"add value 'K' \"N\" REG_MULTI_SZ \"a\\0b\\0\"", 0x0003, 7, "K", "N", B({'a', 0, 'b', 0}), {}},
        {"change value 'K' \"N\" REG_SZ from \"old\" to \"new\"", 0x0002, 1, "K", "N", B("new"), B("old")},
        {"change value 'K' \"N\" 0x11 from \"o\" to \"n\"", 0x0002, 0x11, "K", "N", B("n"), B("o")},
        {"change ini-value 'w.ini' \"S\" \"N\" from \"o\" to \"n\"", 0x0002, 0x33, "w.ini*S", "N", B("n"), B("o")},
        {"change file 'C:\\f' from dword 1 to dword 2", 0x0002, 0xBB, "C:\\f", "", B({2, 0, 0, 0}),
         B({1, 0, 0, 0})},
        {"rename file 'C:\\old' to 'C:\\new'", 0x0007, 0xBB, "C:\\new", "C:\\old", {}, {}},
        {"rename folder 'C:\\old' to 'C:\\new'", 0x0007, 0xAA, "C:\\new", "C:\\old", {}, {}},
        {"register server 'C:\\s.dll'", 0x0044, 0xBB, "C:\\s.dll", "", {}, {}},
        {"unregister server 'C:\\s.dll' kind key", 0x0055, 0xFF, "C:\\s.dll", "", {}, {}},
        {"record 0x1234 0x5678 text1 \"a\" text2 \"b\" data1 hex \"01\" data2 hex \"02\"", 0x1234, 0x5678, "a", "b",
         B({1}), B({2})},
        {"record add key wide text1 'K'", 0xFF03, 0xFF, "K", "", {}, {}},
        {"record change ini-section", 0x0002, 0x22, "", "", {}, {}},
        {"record owner REG_SZ text2 \"x\"", 0xDDDD, 1, "", "x", {}, {}},
        // Escapes in double quotes; single quotes keep every byte.
        {"description \"q\\\"b\\\\n\\n\\r\\t\\0\\x7F\\'\"", 0x8888, 0, std::string("q\"b\\n\n\r\t\0\x7F'", 11), "", {},
         {}},
        {"description 'C:\\new\\table\"' + \"!\"", 0x8888, 0, "C:\\new\\table\"!", "", {}, {}},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.source);
        const Walk walk = WalkScript(Compile(c.source));
        EXPECT_TRUE(walk.finished);
        ASSERT_EQ(walk.records.size(), 1u);
        const WalkedRecord& r = walk.records[0];
        EXPECT_EQ(r.type, c.type);
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.text1, c.text1);
        EXPECT_EQ(r.text2, c.text2);
        EXPECT_EQ(r.data1, c.data1);
        EXPECT_EQ(r.data2, c.data2);
    }
}

TEST(ScriptCompiler, TagsComeFromTheTagClauseOrTheDefaultTag) {
    const Bytes bytes = Compile("default-tag 0x44434241\nadd key 'A'\nadd key 'B' tag 7\nstring-table");
    const std::size_t first = 8;
    EXPECT_EQ(Bytes(bytes.begin() + first, bytes.begin() + first + 4), B("ABCD"));
    const std::size_t second = first + 4 + 2 + 2 + 2 + 1 + 6;
    EXPECT_EQ(Bytes(bytes.begin() + second, bytes.begin() + second + 4), B({7, 0, 0, 0}));
    const std::size_t third = second + 4 + 2 + 2 + 2 + 1 + 6;
    EXPECT_EQ(Bytes(bytes.begin() + third, bytes.begin() + third + 6), B({'A', 'B', 'C', 'D', 0x99, 0x99}));
}

TEST(ScriptCompiler, ModuleFileIsReadRelativeToTheBaseFolder) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() / "sub");
    {
        std::ofstream(folder.path() / "sub" / "m.dll", std::ios::binary) << "MZ!";
    }
    const Bytes bytes = CompileScript("module 'sub/m.dll'", "x.qms", folder.path());
    EXPECT_EQ(bytes, Concat({B("MZ!"), B({0, 0, 0, 0}), kMagicBytes, B({3, 0, 0, 0, 7, 0, 0, 0})}));
}

struct Fault {
    std::string source;
    int line;
    int column;
    std::string message;  // a part of the message
};

TEST(ScriptCompiler, FaultsNameFileLineAndColumn) {
    const std::vector<Fault> faults = {
        {"bogus \"x\"", 1, 1, "expected a statement"},
        {"\n  42", 2, 3, "expected a statement"},
        {"@", 1, 1, "unexpected '@'"},
        {"12abc", 1, 1, "bad number"},
        {"description \"abc", 1, 13, "string not closed"},
        {"description 'abc\n'", 1, 13, "string not closed"},
        {"description \"a\\q\"", 1, 15, "unknown escape \\q"},
        {"description \"a\\x4\"", 1, 15, "\\x needs two hex digits"},
        {"delete", 1, 7, "expected what to delete"},
        {"delete thing 'x'", 1, 8, "expected what to delete"},
        {"add key 'K' + 5", 1, 15, "expected a string, found number 5"},
        {"description \"a\" 5", 1, 17, "expected the next statement or a clause ('tag')"},
        {"add value 'K' \"N\" 0x22 \"x\"", 1, 19, "the kind of 'ini-section' records"},
        {"add value 'K' \"N\" REG_TEXT \"x\"", 1, 19, "not a registry data type"},
        {"add value 'K' \"N\" REG_SZ", 1, 25, "expected data"},
        {"add value 'K' \"N\" REG_SZ hex \"123\"", 1, 30, "odd number of digits"},
        {"add value 'K' \"N\" REG_SZ hex \"1g\"", 1, 30, "'g' is not a hex digit"},
        {"add value 'K' \"N\" REG_SZ utf16 \"\xC3\"", 1, 32, "not valid UTF-8"},
        {"add value 'K' \"N\" REG_SZ dword 0x100000000", 1, 32, "too large"},
        {"change key 'K'", 1, 1, "change of a registry key"},
        {"change folder 'F'", 1, 1, "change of a folder"},
        {"change ini-section 'f' \"s\"", 1, 1, "change of an INI section"},
        {"change file-text2 'f'", 1, 1, "registry-value change"},
        {"rename key 'K' to 'L'", 1, 1, "no event for a rename"},
        {"rename file 'a' 'b'", 1, 17, "expected 'to'"},
        {"change value 'K' \"N\" REG_SZ to \"x\"", 1, 29, "expected 'from'"},
        {"add ini-section '' \"S\"", 1, 17, "INI file name is empty"},
        {"add ini-value 'a*b' \"S\" \"N\" \"v\"", 1, 15, "contains '*'"},
        {"record 0x9999 0", 1, 8, "string table"},
        {"record frob 0", 1, 8, "not a record type"},
        {"record 0x0103 key wide", 1, 19, "expected the next statement or a clause"},
        {"record add thing", 1, 12, "not a kind"},
        {"add key 'K' tag 0x100000000", 1, 17, "too large"},
        {"add key 'K' wide wide", 1, 18, "'wide' given twice"},
        {"add key 'K' data \"x\"", 1, 13, "expected the next statement or a clause"},
        {"string-table entry \"a\" tag 1 tag 2", 1, 30, "'tag' given twice"},
        {"string-table 5", 1, 14, "expected 'entry' or 'tag'"},
        {"description \"x\"\nowner \"o\"\nmodule hex \"00\"", 3, 1, "must come before the first record"},
        {"default-tag 1\ndefault-tag 2", 2, 1, "given twice"},
        {"module hex \"\"", 1, 8, "the module is empty"},
        {"module 'no-such-module.dll'", 1, 8, "cannot read the module file"},
        {"trailer none\ntrailer-check 5", 1, 1, "'trailer none' leaves no trailer"},
        {"trailer end", 1, 9, "expected 'none'"},
        {"string-table entry \"x\"\n  add key 'K'", 2, 3, "the string table must be the last record"},
        {"add key 'K'\ndescription \"" + std::string(65536, 'x') + "\"", 2, 1, "65536 bytes long"},
        {"string-table entry \"" + std::string(65536, 'x') + "\"", 1, 1, "65536 bytes long"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.source.substr(0, 80));
        try {
            CompileScript(f.source, "dir/bad.qms");
            ADD_FAILURE() << "no fault reported";
        } catch (const SourceError& e) {
            EXPECT_EQ(e.file, "dir/bad.qms");
            EXPECT_EQ(e.line, f.line);
            EXPECT_EQ(e.column, f.column);
            EXPECT_NE(e.message.find(f.message), std::string::npos) << e.message;
            EXPECT_EQ(std::string(e.what()), "dir/bad.qms:" + std::to_string(f.line) + ":" + std::to_string(f.column) +
                                                  ": " + e.message);
        }
    }
}

}  // namespace
}  // namespace qm::script::test
