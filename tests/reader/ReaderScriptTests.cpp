// Whole scripts written as source text and compiled: the full event sequence
// of a script that uses every record type and every row of the decoding
// table, the three refused changes, the preview read and the module.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/reader/ReaderTestSupport.h"
#include "tools/script/ScriptCompiler.h"

namespace qm::test {

namespace {

using Lines = std::vector<std::string>;

const char kModuleText[] = "MZ\x90 fixture module";

// The string table is last and runs to the trailer.
const char kEveryRecord[] = R"(
module hex "4D 5A 90" + " fixture module"
description "<html><body>Every record</body></html>"
owner "Pest.A"
search-folder 'C:\Tools\'
call-module "Entry"
delete file-text2 'pest.exe'
delete file-text2 ""
delete ini-section 'C:\a.ini' "Pest"
delete ini-value 'C:\a.ini' "Run" "pest" data "x"
delete folder 'C:\PestDir'
delete file 'C:\pest.dll'
delete key 'HKCU\Software\Pest'
delete key 'HKCU\Software\PestWide' wide
delete value 'HKCU\Run' "pest" REG_SZ
delete value 'HKCU\Software\Pest' "Blob" REG_BINARY data hex "DEAD" wide
change ini-value 'C:\a.ini' "boot" "shell" from "old" to "new"
change file 'C:\f.txt' from dword 1 to dword 2
change value 'HKCU\Main' "Start Page" REG_SZ from "http://x/" to "about:blank"
change value 'HKCU\K' "Kind11" 0x11 from hex "01" to hex "02"
change value 'HKCU\K' "Counter" REG_DWORD from dword 7 to dword 0 wide
owner "Pest.B"
add file-text2 'marker.txt'
add file-text2 ""
add ini-section 'C:\a.ini' "Clean"
add ini-value 'C:\a.ini' "Clean" "done" "1"
add folder 'C:\Quarantine'
add file 'C:\clean.txt'
add key 'HKCU\Software\Clean'
add key 'HKCU\Software\CleanWide' wide tag 0x51554C4D
add value 'HKCU\Software\Clean' "Installed" REG_DWORD dword 1
rename folder 'C:\Old' to 'C:\New'
rename file 'C:\o.txt' to 'C:\n.txt'
record rename key text1 'HKCU\Software\Pest'
register server 'C:\good.dll'
unregister server 'C:\pest.dll'
register server 'C:\keyed.dll' kind key
record 0x0009 key text1 'HKCU\Unknown'
record 0x0103 key text1 'HKCU\HighByte'
string-table entry "one" entry "two"
)";

const Lines kEveryRecordEvents = {
    "AddSearchFolder(C:\\Tools)",
    "CallModule(Entry)",
    "DeleteFile(pest.exe)", "Status(pest.exe|0x1|0x11)",
    "DeleteIniSection(C:\\a.ini|Pest)", "Status(Pest|0x1|0x22)",
    "DeleteIniValue(C:\\a.ini|Run|pest|78|1)", "Status(Run\\pest|0x1|0x33)",
    "DeleteFolder(C:\\PestDir)", "Status(C:\\PestDir|0x1|0xAA)",
    "DeleteFile(C:\\pest.dll)", "Status(C:\\pest.dll|0x1|0xBB)",
    "DeleteRegKey(HKCU\\Software\\Pest|0)", "Status(HKCU\\Software\\Pest|0x1|0xFF)",
    "DeleteRegKey(HKCU\\Software\\PestWide|1)", "Status(HKCU\\Software\\PestWide|0x1|0xFF)",
    "DeleteRegValue(HKCU\\Run|pest|0x1||0|0)", "Status(HKCU\\Run\\pest|0x1|0x1)",
    "DeleteRegValue(HKCU\\Software\\Pest|Blob|0x3|DEAD|2|1)", "Status(HKCU\\Software\\Pest\\Blob|0x1|0x3)",
    "ChangeIniValue(C:\\a.ini|boot|shell|6E6577|3|6F6C64|3)", "Status(boot\\shell|0x2|0x33)",
    "ChangeFile(C:\\f.txt|0x2|0x1)", "Status(C:\\f.txt|0x2|0xBB)",
    "ChangeRegValue(HKCU\\Main|Start Page|0x1|61626F75743A626C616E6B|11|687474703A2F2F782F|9|0)",
    "Status(HKCU\\Main\\Start Page|0x2|0x1)",
    "ChangeRegValue(HKCU\\K|Kind11|0x11|02|1|01|1|0)", "Status(HKCU\\K\\Kind11|0x2|0x11)",
    "ChangeRegValue(HKCU\\K|Counter|0x4|00000000|4|07000000|4|1)", "Status(HKCU\\K\\Counter|0x2|0x4)",
    "AddFile(marker.txt)", "Status(marker.txt|0x3|0x11)",
    "AddIniSection(C:\\a.ini|Clean)", "Status(Clean|0x3|0x22)",
    "AddIniValue(C:\\a.ini|Clean|done|31|1)", "Status(Clean\\done|0x3|0x33)",
    "CreateFolder(C:\\Quarantine)", "Status(C:\\Quarantine|0x3|0xAA)",
    "AddFile(C:\\clean.txt)", "Status(C:\\clean.txt|0x3|0xBB)",
    "AddRegKey(HKCU\\Software\\Clean|0)", "Status(HKCU\\Software\\Clean|0x3|0xFF)",
    "AddRegKey(HKCU\\Software\\CleanWide|1)", "Status(HKCU\\Software\\CleanWide|0x3|0xFF)",
    "AddRegValue(HKCU\\Software\\Clean|Installed|0x4|01000000|4|0)",
    "Status(HKCU\\Software\\Clean\\Installed|0x3|0x4)",
    "RenameFolder(C:\\New|C:\\Old)", "Status(C:\\New\\C:\\Old|0x7|0xAA)",
    "RenameFile(C:\\n.txt|C:\\o.txt)", "Status(C:\\n.txt\\C:\\o.txt|0x7|0xBB)",
    "Status(HKCU\\Software\\Pest|0x7|0xFF)",
    "RegisterServer(C:\\good.dll)", "Status(C:\\good.dll|0x44|0xBB)",
    "UnregisterServer(C:\\pest.dll)", "Status(C:\\pest.dll|0x55|0xBB)",
    "RegisterServer(C:\\keyed.dll)", "Status(C:\\keyed.dll|0x44|0xFF)",
    "Status(HKCU\\Unknown|0x9|0xFF)",
    "AddRegKey(HKCU\\HighByte|0)", "Status(HKCU\\HighByte|0x3|0xFF)",
    "Finished",
};
constexpr int kEveryRecordCount = 38;

std::string Compile(std::string_view source) {
    try {
        const std::vector<std::uint8_t> bytes = script::CompileScript(source, "test.qms");
        return std::string(bytes.begin(), bytes.end());
    } catch (const script::SourceError& error) {
        ADD_FAILURE() << error.what();
        return {};
    }
}

std::uint32_t RecordStartOf(const std::string& bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[bytes.size() - 4 + i]);
    return value;
}

}  // namespace

TEST_F(ReaderContract, Script_EveryRecordGivesItsEvents) {
    const std::string bytes = Compile(kEveryRecord);
    ASSERT_FALSE(bytes.empty());
    auto reader = Reader(bytes);
    reader->Read(false);
    EXPECT_EQ(log().items(), kEveryRecordEvents);
    EXPECT_EQ(reader->FDescription, "<html><body>Every record</body></html>");
    EXPECT_EQ(reader->FCurrentOwner, "Pest.B");
    EXPECT_EQ(reader->FStringTable, (Lines{"one", "two"}));

    // Progress: the size, 0, RecordStart, then one rising position per
    // record, the last one the start of the trailer.
    const Lines& all = log().all();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[0], "ProgressMax(" + std::to_string(bytes.size()) + ")");
    EXPECT_EQ(all[1], "Progress(0)");
    EXPECT_EQ(all[2], "Progress(" + std::to_string(RecordStartOf(bytes)) + ")");
    std::vector<long> positions;
    for (std::size_t i = 3; i < all.size(); ++i)
        if (all[i].rfind("Progress(", 0) == 0) positions.push_back(std::stol(all[i].substr(9)));
    EXPECT_EQ(positions.size(), static_cast<std::size_t>(kEveryRecordCount));
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), static_cast<long>(bytes.size()) - 8);
}

// The three changes the reader refuses, each as the third record: the read
// stops there with the count of the records before it.
TEST_F(ReaderContract, Script_RefusedChangesStopTheRead) {
    struct Case {
        const char* statement;
        Lines expected;
    };
    const Case cases[] = {
        {"record change key text1 'HKCU\\Software\\Pest'",
         {"Error(reg_key:HKCU\\Software\\Pest|2)", "Status(HKCU\\Software\\Pest|0x2|0xFF)", "Error(Force Close|2)"}},
        {"record change ini-section text1 'C:\\a.ini*Pest'",
         {"Error(INI_SECTION:C:\\a.ini*Pest|2)", "Status(C:\\a.ini*Pest|0x2|0x22)", "Error(Force Close|2)"}},
        {"record change folder text1 'C:\\PestDir'",
         {"Error(Disk_dir:C:\\PestDir|2)", "Status(C:\\PestDir|0x2|0xAA)", "Error(Force Close|2)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        const std::string source = std::string("description \"<p>\"\nowner \"Pest\"\n") + c.statement +
                                   "\nadd key 'HKCU\\Never'\n";
        EXPECT_EQ(ReadItems(Compile(source)), c.expected);
    }
}

// The preview at start-up: only OnError and OnFinished connected, one record
// read; the description is taken and nothing is reported.
TEST_F(ReaderContract, Script_PreviewReadsTheDescriptionOnly) {
    TReadSpecialFile reader(Script(Compile(kEveryRecord)));
    Lines reports;
    reader.OnError = [&](TReadSpecialFile*, const std::string& message, std::int32_t) { reports.push_back(message); };
    reader.OnFinished = [&](TReadSpecialFile*) { reports.push_back("Finished"); };
    reader.Read(true);
    EXPECT_EQ(reader.FDescription, "<html><body>Every record</body></html>");
    EXPECT_EQ(reader.FCurrentOwner, "");
    EXPECT_EQ(reports, Lines{});
}

TEST_F(ReaderContract, Script_ModuleIsExtracted) {
    auto reader = Reader(Compile(kEveryRecord));
    std::string path;
    reader->ExtractModule(path);
    ASSERT_NE(path, "");
    EXPECT_EQ(ReadFile(path), std::string(kModuleText));
    P().DeleteFileA(path.c_str());

    std::string none = "not set";
    Reader(Compile("description \"<p>\"\nadd key 'HKCU\\K'\n"))->ExtractModule(none);
    EXPECT_EQ(none, "");
}

}  // namespace qm::test
