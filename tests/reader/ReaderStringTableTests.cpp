// The string-table record: entries up to the start of the trailer, with and
// without a module in front of the record area, and damaged tables.
#include <gtest/gtest.h>

#include "tests/reader/ReaderTestSupport.h"
#include "tests/reader/ScriptBytes.h"

namespace qm::test {

namespace {

using Lines = std::vector<std::string>;

const std::string kRecords = RecordsBytes({{0x8888, 0, "<p>", "", "", ""}, {0x0103, 0xFF, "HKCU\\A", "", "", ""}});
const Lines kEntries = {"first", std::string("ze\0ro", 5), "", std::string(300, 's')};

}  // namespace

// With a module the record area starts late in the file; the entries still
// run exactly to the trailer, and the read ends with Finished.
TEST_F(ReaderContract, StringTable_EntriesRunToTheTrailer) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::string records = kRecords + StringTableBytes(kEntries);
    const Case cases[] = {
        {"no module", PlainScript(records)},
        {"module", ModuleScript(records, std::string(1000, 'M'))},
        {"module behind a lead-in", ModuleScript(records, "MZ", std::string(5000, 'L'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto reader = Reader(c.bytes);
        reader->Read(false);
        EXPECT_EQ(reader->FStringTable, kEntries);
        EXPECT_EQ(log().items(), (Lines{"AddRegKey(HKCU\\A|0)", "Status(HKCU\\A|0x3|0xFF)", "Finished"}));
    }
}

TEST_F(ReaderContract, StringTable_EmptyTableAndTableClearedByEachRead) {
    auto reader = Reader(PlainScript(kRecords + StringTableBytes({})));
    reader->FStringTable = {"stale"};
    reader->Read(false);
    EXPECT_EQ(reader->FStringTable, Lines{});
    EXPECT_EQ(log().items().back(), "Finished");

    reader = Reader(PlainScript(StringTableBytes({"a", "b"})));
    reader->Read(false);
    reader->Read(false);
    EXPECT_EQ(reader->FStringTable, (Lines{"a", "b"}));
}

// An entry whose length word or bytes would reach into the trailer means the
// table is damaged: the record fails, and the read ends short of the file's
// end with "Force Close". The entries before it are kept.
TEST_F(ReaderContract, StringTable_EntryCrossingTheTrailerIsDamage) {
    const std::string table = StringTableBytes({"ok"});
    struct Case {
        const char* name;
        std::string tail;
    };
    const Case cases[] = {
        {"length word cut by the trailer", "\x05"},
        {"entry longer than the rest", Le16(3) + "ab"},
        {"entry running past the file", Le16(0xFFFF) + "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto reader = Reader(PlainScript(kRecords + table + c.tail));
        reader->Read(false);
        EXPECT_EQ(reader->FStringTable, (Lines{"ok"}));
        EXPECT_EQ(log().items(), (Lines{"AddRegKey(HKCU\\A|0)", "Status(HKCU\\A|0x3|0xFF)", "Error(Force Close|2)"}));
    }
}

// Records after the string table are taken as its entries.
TEST_F(ReaderContract, StringTable_SwallowsWhatFollowsIt) {
    const std::string after = RecordBytes({0x0103, 0xFF, "HKCU\\Late", "", "", ""});
    auto reader = Reader(PlainScript(StringTableBytes({}) + Le16(static_cast<std::uint16_t>(after.size())) + after));
    reader->Read(false);
    EXPECT_EQ(reader->FStringTable, Lines{after});
    EXPECT_EQ(log().items(), Lines{"Finished"});
}

// A RecordStart whose low word is 0x9999 puts that value where the trailer,
// read as the record after the last one, has its type: it must not be taken
// for a string table (which would count one record too many).
TEST_F(ReaderContract, StringTable_TrailerIsNeverATable) {
    const std::string bytes = ModuleScript(kRecords, std::string(0x9999 - 4, 'M'));
    ASSERT_EQ(bytes.substr(bytes.size() - 4), Le32(0x9999));
    const int end = static_cast<int>(bytes.size()) - 8;
    const Lines all = ReadAll(bytes);
    EXPECT_EQ(Lines(all.end() - 2, all.end()), (Lines{"Progress(" + std::to_string(end) + ")", "Finished"}));
}

}  // namespace qm::test
