// How the reader holds its script: shared for reading only, closed when the
// reader goes, and a script that exists but cannot be opened.
#include <gtest/gtest.h>

#include "tests/reader/ReaderTestSupport.h"
#include "tests/reader/ScriptBytes.h"

namespace qm::test {

namespace {
using Lines = std::vector<std::string>;
}

TEST_F(ReaderContract, Lifetime_ScriptIsSharedForReadingUntilDestroyed) {
    const std::string path = Script(PlainScript(""));
    P().SetErrorMode(SEM_FAILCRITICALERRORS);
    {
        TReadSpecialFile reader(path);
        const HANDLE writer = P().CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
        EXPECT_EQ(writer, kInvalidHandle);
        EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        if (writer != kInvalidHandle) P().CloseHandle(writer);
        const HANDLE other = P().CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, 0);
        EXPECT_NE(other, kInvalidHandle);
        if (other != kInvalidHandle) P().CloseHandle(other);
    }
    // Destroyed: the file is closed, and the error mode is back to 0.
    const HANDLE alone =
        P().CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    EXPECT_NE(alone, kInvalidHandle);
    if (alone != kInvalidHandle) P().CloseHandle(alone);
    EXPECT_EQ(P().SetErrorMode(0), 0u);
}

// The constructor only checks that the file exists; the open failure is the
// first read's I/O error, with the code Windows gave the open.
TEST_F(ReaderContract, Lifetime_ScriptHeldByAWriterFailsAtTheFirstRead) {
    const std::string path = Script(PlainScript(""));
    const HANDLE writer =
        P().CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(writer, kInvalidHandle);
    {
        TReadSpecialFile reader(path);
        log().Attach(reader);
        reader.Read(false);
        EXPECT_EQ(log().all(), (Lines{"Error(Exception I/O error 32|0)", "Error(Force Close|0)"}));
        std::string module = "not set";
        reader.ExtractModule(module);
        EXPECT_EQ(module, "");
    }
    P().CloseHandle(writer);
}

}  // namespace qm::test
