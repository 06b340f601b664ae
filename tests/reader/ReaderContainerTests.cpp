// The container as the reader walks it: opening, trailer, magic, progress,
// the end of the records and the I/O errors of files too short to be scripts.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "tests/reader/ReaderTestSupport.h"
#include "tests/reader/ScriptBytes.h"

namespace qm::test {

namespace {
using Lines = std::vector<std::string>;
}

TEST_F(ReaderContract, Create_MissingScriptThrowsFileNotFound) {
    for (const std::string& path : {InScratch("absent.malware"), Scratch()}) {  // a folder is no file either
        try {
            TReadSpecialFile reader(path);
            ADD_FAILURE() << "no exception for " << path;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), "File " + path + " not found");
        }
    }
}

TEST_F(ReaderContract, Read_MagicFollowedByTrailerFinishesWithoutItems) {
    EXPECT_EQ(ReadAll(PlainScript("")), (Lines{"ProgressMax(16)", "Progress(0)", "Progress(0)", "Finished"}));
}

TEST_F(ReaderContract, Read_ProgressGivesAbsolutePositionsBehindAModule) {
    const std::string records = RecordsBytes({{0x8888, 0, "<p>", "", "", ""}, {0x0103, 0xFF, "HKCU\\A", "", "", ""}});
    const std::string bytes = ModuleScript(records, std::string(300, 'M'), "lead");
    const int recordStart = 4 + 300 + 4;
    const int first = recordStart + 8 + 4 + 2 + 2 + 2 + 3 + 2 + 2 + 2;
    const int second = first + 4 + 2 + 2 + 2 + 6 + 2 + 2 + 2;
    EXPECT_EQ(ReadAll(bytes), (Lines{"ProgressMax(" + std::to_string(bytes.size()) + ")", "Progress(0)",
                                     "Progress(" + std::to_string(recordStart) + ")",
                                     "Progress(" + std::to_string(first) + ")", "AddRegKey(HKCU\\A|0)",
                                     "Status(HKCU\\A|0x3|0xFF)", "Progress(" + std::to_string(second) + ")",
                                     "Finished"}));
}

TEST_F(ReaderContract, Read_WrongMagicReportsBadFileAndStops) {
    std::string bytes = PlainScript(RecordBytes({0x0103, 0xFF, "HKCU\\A", "", "", ""}));
    bytes[3] = 'X';
    EXPECT_EQ(ReadAll(bytes), (Lines{"ProgressMax(" + std::to_string(bytes.size()) + ")", "Progress(0)",
                                     "Progress(0)", "Error(Exception BAD FILE|0)"}));
}

// A trailer that points where no magic can lie (beyond the file, into the
// trailer, or so close to it that the magic would overlap) is a bad file,
// and the reader never seeks there.
TEST_F(ReaderContract, Read_RecordStartOutOfRangeIsBadFile) {
    const std::string body = kMagic + RecordBytes({0x0103, 0xFF, "HKCU\\A", "", "", ""});
    const auto size = static_cast<std::uint32_t>(body.size() + 8);
    for (const std::uint32_t recordStart : {size - 15, size - 8, size - 1, size, size + 100, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(recordStart);
        EXPECT_EQ(ReadAll(body + Trailer(1, recordStart)),
                  (Lines{"ProgressMax(" + std::to_string(size) + ")", "Progress(0)", "Error(Exception BAD FILE|0)"}));
    }
}

// Shorter than the trailer: the seek to file size - 8 fails as a seek before
// the start of the file does on Windows (ERROR_NEGATIVE_SEEK). The end test
// still runs; an empty file is "at its end" and so also reports Finished.
TEST_F(ReaderContract, Read_FileShorterThanTrailerIsAnIoError) {
    struct Case {
        std::string bytes;
        Lines expected;
    };
    const Case cases[] = {
        {"", {"Error(Exception I/O error 131|0)", "Finished"}},
        {"-", {"Error(Exception I/O error 131|0)", "Error(Force Close|0)"}},
        {"-<#QZ#>", {"Error(Exception I/O error 131|0)", "Error(Force Close|0)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        EXPECT_EQ(ReadAll(c.bytes), c.expected);
    }
    // One-record mode reports the error but no "Force Close".
    EXPECT_EQ(ReadAll("-", true), (Lines{"Error(Exception I/O error 131|0)"}));
}

// A record whose text runs past the end of the file cannot be read: no event
// for it, and since the read has consumed the whole file, the end test finds
// the file at its end.
TEST_F(ReaderContract, Read_TextCutShortEndsTheLoop) {
    const std::string good = RecordBytes({0x0101, 0xFF, "HKCU\\A", "", "", ""});
    const std::string cut = Le32(0) + Le16(0x0101) + Le16(0xFF) + Le16(500) + Scrambled("HKCU");
    EXPECT_EQ(ReadItems(PlainScript(good + cut)), (Lines{"DeleteRegKey(HKCU\\A|0)", "Status(HKCU\\A|0x1|0xFF)", "Finished"}));
}

// Data blocks are not checked for length: the bytes that are there (here the
// rest of the record area and the trailer) are used, descrambled, and the
// buffer is zero behind them; the count given is the record's.
TEST_F(ReaderContract, Read_DataBlockCutShortKeepsWhatWasThere) {
    const std::string head =
        Le32(0) + Le16(0x0102) + Le16(0x0003) + Field("HKCU\\K") + Field("v") + Field("n") + Le16(20);
    std::string hex = "6162636465";  // "abcde", then the trailer's zeros descrambled with key entries 6..13
    char pair[3];
    for (std::size_t n = 6; n <= 13; ++n) {
        std::snprintf(pair, sizeof pair, "%02X", FieldKey[n]);
        hex += pair;
    }
    hex += std::string(14, '0');
    EXPECT_EQ(ReadItems(PlainScript(head + Scrambled("abcde"))),
              (Lines{"ChangeRegValue(HKCU\\K|v|0x3|6E|1|" + hex + "|20|0)", "Status(HKCU\\K\\v|0x2|0x3)", "Finished"}));
}

// The last read of a record (data block 2) giving no byte at all: the record
// is still dispatched, but it ends the loop and is not counted. Here block 2's
// length is the trailer's last word, the high word of a RecordStart above
// 64 KiB, and nothing follows it.
TEST_F(ReaderContract, Read_Block2WithNoByteLeftIsDispatchedThenEnds) {
    const std::string head = Le32(0) + Le16(0x0102) + Le16(0x0003) + Field("") + Field("") + Le16(6);
    const std::string bytes = ModuleScript(head, std::string(0x10000, 'M'));
    const int recordStart = 0x10000 + 4;
    std::string hex;
    char pair[3];
    const std::string trailer = bytes.substr(bytes.size() - 8);
    for (std::size_t i = 0; i < 6; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", static_cast<std::uint8_t>(trailer[i]) ^ FieldKey[i + 1]);
        hex += pair;
    }
    EXPECT_EQ(ReadAll(bytes),
              (Lines{"ProgressMax(" + std::to_string(bytes.size()) + ")", "Progress(0)",
                     "Progress(" + std::to_string(recordStart) + ")", "ChangeRegValue(||0x3|" + hex + "|6|00|1|0)",
                     "Finished"}));
}

}  // namespace qm::test
