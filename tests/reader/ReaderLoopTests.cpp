// The read loop: one-record mode, stop requests, exceptions escaping event
// handlers, the message pump after each record and a second read.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/reader/ReaderTestSupport.h"
#include "tests/reader/ScriptBytes.h"

namespace qm::test {

namespace {

using Lines = std::vector<std::string>;

const std::string kThreeRecords = RecordsBytes({
    {0x8888, 0, "<b>Pest</b>", "", "", ""},
    {0x0103, 0xFF, "HKCU\\A", "", "", ""},
    {0x0101, 0xBB, "C:\\b.exe", "", "", ""},
});

int g_pumped = 0;
void CountPump() { ++g_pumped; }

}  // namespace

// The preview read: the first record only, no end report of either kind.
TEST_F(ReaderContract, Read_OneRecordModeDecodesOnlyTheFirstRecord) {
    auto reader = Reader(PlainScript(kThreeRecords));
    reader->Read(true);
    EXPECT_EQ(reader->FDescription, "<b>Pest</b>");
    EXPECT_EQ(log().all(), (Lines{"ProgressMax(" + std::to_string(8 + kThreeRecords.size() + 8) + ")", "Progress(0)",
                                  "Progress(0)", "Progress(" + std::to_string(8 + 4 + 2 + 2 + 2 + 11 + 6) + ")"}));

    // A script starting with an owner record leaves the description empty.
    auto owner = Reader(PlainScript(RecordsBytes({{0xDDDD, 0, "Pest", "", "", ""}, {0x8888, 0, "<p>", "", "", ""}})));
    owner->Read(true);
    EXPECT_EQ(owner->FDescription, "");
    EXPECT_EQ(owner->FCurrentOwner, "Pest");
    EXPECT_EQ(log().items(), Lines{});
}

// One-record mode never adds "Force Close"; Finished comes only when the
// record ran to the end of the file.
TEST_F(ReaderContract, Read_OneRecordModeNeverForceCloses) {
    const std::string cut = Le32(0) + Le16(0x8888) + Le16(0) + Le16(900) + Scrambled("<p>");
    EXPECT_EQ(ReadItems(PlainScript(cut), true), (Lines{"Finished"}));  // the cut text ran to the file's end
    const std::string refused = RecordsBytes({{0x0102, 0xFF, "HKCU\\K", "", "", ""}, {0x8888, 0, "<p>", "", "", ""}});
    EXPECT_EQ(ReadItems(PlainScript(refused), true), (Lines{"Error(reg_key:HKCU\\K|0)", "Status(HKCU\\K|0x2|0xFF)"}));
}

TEST_F(ReaderContract, Read_StopRequestEndsAfterTheCurrentRecord) {
    auto reader = Reader(PlainScript(kThreeRecords));
    reader->FStopRequested = true;  // cleared when the read starts
    reader->OnAddRegKey = [](TReadSpecialFile* sender, const std::string&, bool) { sender->FStopRequested = true; };
    reader->Read(false);
    EXPECT_EQ(log().items(), (Lines{"Status(HKCU\\A|0x3|0xFF)", "Error(Force Close|2)"}));
}

// An exception escaping a handler is reported as "Exception " + its message;
// the end test follows with the records completed so far.
TEST_F(ReaderContract, Read_HandlerExceptionIsReported) {
    auto reader = Reader(PlainScript(kThreeRecords));
    reader->OnAddRegKey = [](TReadSpecialFile*, const std::string&, bool) { throw std::runtime_error("boom"); };
    reader->Read(false);
    EXPECT_EQ(log().items(), (Lines{"Error(Exception boom|0)", "Error(Force Close|1)"}));

    reader = Reader(PlainScript(kThreeRecords));
    reader->OnDeleteFile = [](TReadSpecialFile*, const std::string&) { throw 42; };
    reader->Read(false);
    EXPECT_EQ(log().items(), (Lines{"AddRegKey(HKCU\\A|0)", "Status(HKCU\\A|0x3|0xFF)",
                                    "Error(Exception unknown exception|0)", "Error(Force Close|2)"}));
}

// Reading again from one of its own handlers would move the file under the
// running loop; it is refused with an exception that the running read reports.
TEST_F(ReaderContract, Read_FromItsOwnHandlerIsRefused) {
    auto reader = Reader(PlainScript(kThreeRecords));
    reader->OnAddRegKey = [](TReadSpecialFile* sender, const std::string&, bool) { sender->Read(false); };
    reader->Read(false);
    EXPECT_EQ(log().items(),
              (Lines{"Error(Exception Read called from an event of the same read|0)", "Error(Force Close|1)"}));
}

TEST_F(ReaderContract, Read_PumpsMessagesAfterEachRecordWhenAsked) {
    SetProcessMessagesProc(&CountPump);
    g_pumped = 0;
    auto reader = Reader(PlainScript(kThreeRecords));
    reader->Read(false);
    EXPECT_EQ(g_pumped, 3);

    g_pumped = 0;
    reader = Reader(PlainScript(kThreeRecords));
    reader->FProcessMessages = false;
    reader->Read(false);
    EXPECT_EQ(g_pumped, 0);
    SetProcessMessagesProc(nullptr);
}

// A reader may be read again: the second read starts from the trailer and
// gives the same events.
TEST_F(ReaderContract, Read_SecondReadRepeatsTheFirst) {
    auto reader = Reader(PlainScript(kThreeRecords));
    reader->Read(false);
    const Lines first = log().all();
    EXPECT_EQ(first.back(), "Finished");
    log().clear();
    reader->Read(false);
    EXPECT_EQ(log().all(), first);
}

// Unassigned events are skipped; the read still runs to its end.
TEST_F(ReaderContract, Read_WithoutEventsRunsThrough) {
    TReadSpecialFile reader(Script(PlainScript(kThreeRecords)));
    reader.Read(false);
    EXPECT_EQ(reader.FDescription, "<b>Pest</b>");
}

}  // namespace qm::test
