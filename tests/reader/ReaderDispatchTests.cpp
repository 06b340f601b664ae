// The decoding of records into events: every row of the decoding table, the
// special records, the status event and the wide-name flag.
#include <gtest/gtest.h>

#include "tests/reader/ReaderTestSupport.h"
#include "tests/reader/ScriptBytes.h"

namespace qm::test {

namespace {

using Lines = std::vector<std::string>;

struct DispatchCase {
    const char* name;
    Rec record;
    Lines expected;  // everything but the progress, for a script of this one record
};

const std::string kFinished = "Finished";

const DispatchCase kCases[] = {
    // ---- delete ----
    {"delete file in text 2", {0x0101, 0x11, "", "C:\\a.exe", "", ""},
     {"DeleteFile(C:\\a.exe)", "Status(C:\\a.exe|0x1|0x11)", kFinished}},
    {"delete file in text 2, none given", {0x0101, 0x11, "C:\\ignored", "", "", ""}, {kFinished}},
    {"delete INI section", {0x0101, 0x22, "win.ini*boot", "", "", ""},
     {"DeleteIniSection(win.ini|boot)", "Status(boot|0x1|0x22)", kFinished}},
    {"delete INI value", {0x0101, 0x33, "system.ini*boot", "shell", "x", ""},
     {"DeleteIniValue(system.ini|boot|shell|78|1)", "Status(boot\\shell|0x1|0x33)", kFinished}},
    {"delete folder", {0x0101, 0xAA, "C:\\evil", "", "", ""},
     {"DeleteFolder(C:\\evil)", "Status(C:\\evil|0x1|0xAA)", kFinished}},
    {"delete file in text 1", {0x0101, 0xBB, "C:\\evil.dll", "", "", ""},
     {"DeleteFile(C:\\evil.dll)", "Status(C:\\evil.dll|0x1|0xBB)", kFinished}},
    {"delete registry key", {0x0101, 0xFF, "HKCU\\Evil", "", "", ""},
     {"DeleteRegKey(HKCU\\Evil|0)", "Status(HKCU\\Evil|0x1|0xFF)", kFinished}},
    {"delete registry value", {0xFF01, 0x0004, "HKLM\\Run", "evil", std::string("\x01\0\0\0", 4), ""},
     {"DeleteRegValue(HKLM\\Run|evil|0x4|01000000|4|1)", "Status(HKLM\\Run\\evil|0x1|0x4)", kFinished}},
    // ---- change ----
    {"change INI section is refused", {0x0102, 0x22, "win.ini*boot", "", "", ""},
     {"Error(INI_SECTION:win.ini*boot|0)", "Status(win.ini*boot|0x2|0x22)", "Error(Force Close|0)"}},
    {"change INI value", {0x0102, 0x33, "win.ini*windows", "load", "new", "old!"},
     {"ChangeIniValue(win.ini|windows|load|6E6577|3|6F6C6421|4)", "Status(windows\\load|0x2|0x33)", kFinished}},
    {"change folder is refused", {0x0102, 0xAA, "C:\\dir", "", "", ""},
     {"Error(Disk_dir:C:\\dir|0)", "Status(C:\\dir|0x2|0xAA)", "Error(Force Close|0)"}},
    {"change file", {0x0102, 0xBB, "C:\\f.exe", "", "\x01\x02\x03\x04\x05", "\xFF"},
     {"ChangeFile(C:\\f.exe|0x4030201|0xFF)", "Status(C:\\f.exe|0x2|0xBB)", kFinished}},
    {"change registry key is refused", {0x0102, 0xFF, "HKCU\\K", "", "", ""},
     {"Error(reg_key:HKCU\\K|0)", "Status(HKCU\\K|0x2|0xFF)", "Error(Force Close|0)"}},
    {"change of kind 0x11 is a registry value", {0x0102, 0x11, "HKCU\\K", "v", "n", "o"},
     {"ChangeRegValue(HKCU\\K|v|0x11|6E|1|6F|1|0)", "Status(HKCU\\K\\v|0x2|0x11)", kFinished}},
    {"change registry value, wide", {0xFF02, 0x0001, "HKCU\\K", "v", "new", ""},
     {"ChangeRegValue(HKCU\\K|v|0x1|6E6577|3||0|1)", "Status(HKCU\\K\\v|0x2|0x1)", kFinished}},
    // ---- add ----
    {"add file in text 2", {0x0103, 0x11, "", "C:\\a.txt", "", ""},
     {"AddFile(C:\\a.txt)", "Status(C:\\a.txt|0x3|0x11)", kFinished}},
    {"add file in text 2, none given", {0x0103, 0x11, "", "", "", ""}, {kFinished}},
    {"add INI section", {0x0103, 0x22, "win.ini*new", "", "", ""},
     {"AddIniSection(win.ini|new)", "Status(new|0x3|0x22)", kFinished}},
    {"add INI value", {0x0103, 0x33, "a.ini*s*t", "n", "v", ""},
     {"AddIniValue(a.ini|s*t|n|76|1)", "Status(s*t\\n|0x3|0x33)", kFinished}},
    {"create folder", {0x0103, 0xAA, "C:\\new", "", "", ""},
     {"CreateFolder(C:\\new)", "Status(C:\\new|0x3|0xAA)", kFinished}},
    {"add file in text 1", {0x0103, 0xBB, "C:\\b.txt", "x", "", ""},
     {"AddFile(C:\\b.txt)", "Status(C:\\b.txt\\x|0x3|0xBB)", kFinished}},
    {"add registry key, wide", {0xFF03, 0xFF, "HKCU\\K", "", "", ""},
     {"AddRegKey(HKCU\\K|1)", "Status(HKCU\\K|0x3|0xFF)", kFinished}},
    {"add registry key, high byte 0x01", {0x0103, 0xFF, "HKCU\\K", "", "", ""},
     {"AddRegKey(HKCU\\K|0)", "Status(HKCU\\K|0x3|0xFF)", kFinished}},
    {"add registry key, high byte 0xFE", {0xFE03, 0xFF, "HKCU\\K", "", "", ""},
     {"AddRegKey(HKCU\\K|0)", "Status(HKCU\\K|0x3|0xFF)", kFinished}},
    {"add registry value of any type", {0x0003, 0x1234, "HKCU\\K\\", "v", "d", ""},
     {"AddRegValue(HKCU\\K\\|v|0x1234|64|1|0)", "Status(HKCU\\K\\v|0x3|0x1234)", kFinished}},
    // ---- rename ----
    {"rename folder", {0x0107, 0xAA, "C:\\new", "C:\\old", "", ""},
     {"RenameFolder(C:\\new|C:\\old)", "Status(C:\\new\\C:\\old|0x7|0xAA)", kFinished}},
    {"rename file", {0x0107, 0xBB, "C:\\n.txt", "C:\\o.txt", "", ""},
     {"RenameFile(C:\\n.txt|C:\\o.txt)", "Status(C:\\n.txt\\C:\\o.txt|0x7|0xBB)", kFinished}},
    {"rename registry key gives only the status", {0x0107, 0xFF, "HKCU\\K", "", "", ""},
     {"Status(HKCU\\K|0x7|0xFF)", kFinished}},
    // ---- servers and unknown operations ----
    {"register server, kind does not matter", {0x0144, 0xFF, "C:\\s.dll", "", "", ""},
     {"RegisterServer(C:\\s.dll)", "Status(C:\\s.dll|0x44|0xFF)", kFinished}},
    {"unregister server", {0x0055, 0x11, "C:\\s.dll", "t2", "", ""},
     {"UnregisterServer(C:\\s.dll)", "Status(C:\\s.dll\\t2|0x55|0x11)", kFinished}},
    {"unknown operation gives only the status", {0x0109, 0xBB, "C:\\x", "", "", ""},
     {"Status(C:\\x|0x9|0xBB)", kFinished}},
    {"unknown operation, no texts, no status", {0x0000, 0x01, "", "", "d", ""}, {kFinished}},
    // ---- INI paths that cannot be split ----
    {"INI record without star", {0x0103, 0x22, "win.ini", "", "", ""}, {"Status(win.ini|0x3|0x22)", kFinished}},
    {"INI record with star first", {0x0101, 0x33, "*boot", "shell", "", ""},
     {"Status(boot\\shell|0x1|0x33)", kFinished}},
    {"delete registry value without key text", {0x0101, 0x0001, "", "v", "", ""},
     {"DeleteRegValue(|v|0x1||0|0)", "Status(v|0x1|0x1)", kFinished}},
    // ---- special records ----
    {"search folder loses one trailing backslash", {0x6666, 0, "C:\\Tools\\\\", "x", "", ""},
     {"AddSearchFolder(C:\\Tools\\)", kFinished}},
    {"search folder without backslash", {0x6666, 0, "C:\\Tools", "", "", ""}, {"AddSearchFolder(C:\\Tools)", kFinished}},
    {"module call", {0x7777, 0xFF, "Clean", "", "", ""}, {"CallModule(Clean)", kFinished}},
    {"description raises nothing", {0x8888, 0, "<html>", "", "", ""}, {kFinished}},
    {"owner raises nothing", {0xDDDD, 0xFF, "Pest", "x", "", ""}, {kFinished}},
};

}  // namespace

TEST_F(ReaderContract, Dispatch_DecodingTable) {
    for (const DispatchCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadItems(PlainScript(RecordBytes(c.record))), c.expected);
    }
}

TEST_F(ReaderContract, Dispatch_OwnerAndDescriptionFollowTheirLatestRecord) {
    auto reader = Reader(PlainScript(RecordsBytes({
        {0x8888, 0, "<p>first</p>", "", "", ""},
        {0xDDDD, 0, "PestA", "", "", ""},
        {0x0103, 0xFF, "HKCU\\A", "", "", ""},
        {0xDDDD, 0, "PestB", "", "", ""},
        {0x0103, 0xFF, "HKCU\\B", "", "", ""},
        {0x8888, 0, "<p>second</p>", "", "", ""},
    })));
    EXPECT_EQ(reader->FCurrentOwner, "");
    EXPECT_EQ(reader->FDescription, "");
    Lines owners;
    reader->OnAddRegKey = [&](TReadSpecialFile* sender, const std::string& path, bool) {
        EXPECT_EQ(sender, reader.get());
        owners.push_back(path + "=" + sender->FCurrentOwner);
    };
    reader->Read(false);
    EXPECT_EQ(owners, (Lines{"HKCU\\A=PestA", "HKCU\\B=PestB"}));
    EXPECT_EQ(reader->FCurrentOwner, "PestB");
    EXPECT_EQ(reader->FDescription, "<p>second</p>");
}

// The count given with a refused change and with the "Force Close" after it
// is the number of records completed before it.
TEST_F(ReaderContract, Dispatch_FifthRecordChangingAFolderStopsTheRead) {
    const std::string records = RecordsBytes({
        {0x8888, 0, "<p>", "", "", ""},
        {0xDDDD, 0, "Pest", "", "", ""},
        {0x0103, 0xFF, "HKCU\\A", "", "", ""},
        {0x6666, 0, "C:\\T", "", "", ""},
        {0x0102, 0xAA, "C:\\dir", "", "", ""},
        {0x0103, 0xFF, "HKCU\\never", "", "", ""},
    });
    EXPECT_EQ(ReadItems(PlainScript(records)),
              (Lines{"AddRegKey(HKCU\\A|0)", "Status(HKCU\\A|0x3|0xFF)", "AddSearchFolder(C:\\T)",
                     "Error(Disk_dir:C:\\dir|4)", "Status(C:\\dir|0x2|0xAA)", "Error(Force Close|4)"}));
}

}  // namespace qm::test
