// Reader behaviour that needs the simulated machine's controls: its clock
// (module names) and injected I/O failures.
#include <gtest/gtest.h>

#include "locations/InfoDirs.h"
#include "platform/sim/SimPlatform.h"
#include "tests/reader/ReaderTestSupport.h"
#include "tests/reader/ScriptBytes.h"

namespace qm::test {

namespace {

using Lines = std::vector<std::string>;

const std::string kRecords = RecordsBytes({{0x0103, 0xFF, "HKCU\\A", "", "", ""}, {0x0103, 0xFF, "HKCU\\B", "", "", ""}});

class SimulatedReader : public ReaderContract {
protected:
    sim::SimPlatform& Sim() { return static_cast<sim::SimPlatform&>(P()); }
};

}  // namespace

// Local digits without leading zeros; the random part from the generator
// reseeded with the UTC time of day in milliseconds (values worked out by
// hand from seed * 134775813 + 1 and the high half of seed * 16777215).
TEST_F(SimulatedReader, MakeUniqueName_LocalDigitsAndRandomFromUtc) {
    if (!IsSimulated()) GTEST_SKIP() << "needs the simulated machine";
    struct Case {
        SYSTEMTIME local;
        int utcBiasMinutes;
        const char* expected;
    };
    const Case cases[] = {
        {{2005, 3, 1, 7, 9, 5, 2, 45}, 0, "20053795245_3133163"},
        {{2005, 3, 1, 7, 9, 5, 2, 46}, 0, "20053795246_3659631"},
        {{2005, 3, 1, 7, 9, 5, 2, 45}, 60, "20053795245_6799938"},  // UTC 08:05:02.045
        {{2005, 12, 6, 31, 23, 59, 59, 999}, 0, "20051231235959999_12134215"},
        {{2006, 1, 0, 1, 0, 0, 0, 0}, 0, "2006110000_0"},
    };
    for (const Case& c : cases) {
        Sim().settings().localTime = c.local;
        Sim().settings().utcBiasMinutes = c.utcBiasMinutes;
        EXPECT_EQ(MakeUniqueName(), c.expected);
    }
}

// The clock stands still: two extractions get the same name, and the second
// module replaces the first.
TEST_F(SimulatedReader, ExtractModule_SameMillisecondOverwrites) {
    if (!IsSimulated()) GTEST_SKIP() << "needs the simulated machine";
    const std::string expected = InfoDir.GetSafeTempFolder() + "\\20053795245_3133163.dll";
    std::string first;
    Reader(ModuleScript(kRecords, std::string(900, 'A')))->ExtractModule(first);
    EXPECT_EQ(first, expected);
    std::string second;
    Reader(ModuleScript(kRecords, "BB"))->ExtractModule(second);
    EXPECT_EQ(second, expected);
    EXPECT_EQ(ReadFile(expected), "BB");
}

TEST_F(SimulatedReader, ExtractModule_FailuresLeaveNoFile) {
    if (!IsSimulated()) GTEST_SKIP() << "needs the simulated machine";
    const std::string target = InfoDir.GetSafeTempFolder() + "\\20053795245_3133163.dll";
    const std::string bytes = ModuleScript(kRecords, std::string(600, 'M'));  // three chunks

    auto reader = Reader(bytes);
    Sim().faults().Fail("WriteFile", ERROR_DISK_FULL).OnCall(2);
    std::string path = "not set";
    reader->ExtractModule(path);
    EXPECT_EQ(path, "");
    EXPECT_FALSE(FileExists(target));
    Sim().faults().Clear();

    reader = Reader(bytes);
    Sim().faults().Fail("CreateFileA", ERROR_ACCESS_DENIED).ForPath(target);
    reader->ExtractModule(path);
    EXPECT_EQ(path, "");
    EXPECT_FALSE(FileExists(target));
    Sim().faults().Clear();

    // A read failure while copying, then a read of the same reader still works.
    // Reads: the trailer, the module's start, then the module itself.
    reader = Reader(bytes);
    Sim().faults().Fail("ReadFile", ERROR_READ_FAULT).OnCall(3);
    reader->ExtractModule(path);
    EXPECT_EQ(path, "");
    EXPECT_FALSE(FileExists(target));
    Sim().faults().Clear();
    reader->Read(false);
    EXPECT_EQ(log().items().back(), "Finished");
}

// An I/O error is reported with its Windows code; the end test follows with
// the records completed.
TEST_F(SimulatedReader, Read_ReadFailureIsReportedWithItsCode) {
    if (!IsSimulated()) GTEST_SKIP() << "needs the simulated machine";
    // The script is read 64 KiB at a time: the trailer, then the first 64 KiB
    // from the magic on, then the rest, which the second record reaches.
    const std::string records = RecordsBytes(
        {{0x0103, 0xFF, "HKCU\\A", "", "", ""}, {0x0103, 0x01, "HKCU\\B", "v", std::string(65535, 'x'), ""}});
    auto reader = Reader(PlainScript(records));
    Sim().faults().Fail("ReadFile", ERROR_READ_FAULT).OnCall(3);
    reader->Read(false);
    EXPECT_EQ(log().items(), (Lines{"AddRegKey(HKCU\\A|0)", "Status(HKCU\\A|0x3|0xFF)",
                                    "Error(Exception I/O error 30|0)", "Error(Force Close|1)"}));
}

// A size that cannot be read in the end test counts as not at the end.
TEST_F(SimulatedReader, Read_EndTestWithoutSizeForceCloses) {
    if (!IsSimulated()) GTEST_SKIP() << "needs the simulated machine";
    auto reader = Reader(PlainScript(kRecords));
    Sim().faults().Fail("GetFileSize", ERROR_READ_FAULT).OnCall(3);
    reader->Read(false);
    EXPECT_EQ(log().items().back(), "Error(Force Close|2)");
    EXPECT_EQ(Sim().faults().Triggered("GetFileSize"), 1u);
}

}  // namespace qm::test
