// The system folders, the program's own file name and the user name: what
// the location resolver relies on, sizes and trailing backslashes included.
#include <cstring>
#include <functional>
#include <string>

#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

struct FolderFunction {
    const char* name;
    std::function<DWORD(Platform&, char*, DWORD)> call;
    bool endsWithBackslash;
};

const FolderFunction kFolderFunctions[] = {
    {"GetWindowsDirectoryA",
     [](Platform& p, char* b, DWORD s) { return p.GetWindowsDirectoryA(b, s); }, false},
    {"GetSystemDirectoryA",
     [](Platform& p, char* b, DWORD s) { return p.GetSystemDirectoryA(b, s); }, false},
    {"GetTempPathA", [](Platform& p, char* b, DWORD s) { return p.GetTempPathA(s, b); }, true},
};

}  // namespace

TEST_F(Contract, FolderFunctions_GiveSizeWithZeroWhenTooSmallAndLengthWhenTheyFit) {
    for (const FolderFunction& function : kFolderFunctions) {
        SCOPED_TRACE(function.name);
        const DWORD needed = function.call(P(), nullptr, 0);
        ASSERT_GT(needed, 3u);
        ASSERT_LT(needed, MAX_PATH);

        // One byte short: the size needed again, and the buffer untouched.
        char buffer[MAX_PATH + 1];
        std::strcpy(buffer, "foo");
        EXPECT_EQ(function.call(P(), buffer, needed - 1), needed);
        EXPECT_STREQ(buffer, "foo");

        // Just enough: the length without the zero.
        EXPECT_EQ(function.call(P(), buffer, needed), needed - 1);
        const std::string folder = buffer;
        EXPECT_EQ(folder.size(), needed - 1);
        EXPECT_EQ(folder[1], ':') << folder;
        EXPECT_EQ(folder.back() == '\\', function.endsWithBackslash) << folder;
    }
}

TEST_F(Contract, GetModuleFileNameA_OwnProgram_FullPathAndTruncationToSmallBuffer) {
    char path[MAX_PATH + 1];
    P().SetLastError(0xDEADBEEF);
    const DWORD length = P().GetModuleFileNameA(0, path, sizeof path);
    ASSERT_GT(length, 4u);
    EXPECT_EQ(length, std::strlen(path));
    EXPECT_EQ(P().GetLastError(), 0u);  // reset on success
    EXPECT_EQ(path[1], ':') << path;
    EXPECT_STRCASEEQ(path + length - 4, ".exe");

    // Too small: the size itself, and as much of the name as fits, which
    // Windows (since Vista) ends with a zero. Wine fills the whole buffer
    // with the name, as Windows XP did.
    char small[MAX_PATH + 1];
    std::memset(small, '-', sizeof small);
    const DWORD half = length / 2;
    EXPECT_EQ(P().GetModuleFileNameA(0, small, half), half);
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small, half - 1), std::string(path, half - 1));
    if (IsWine()) {
        EXPECT_EQ(small[half - 1], path[half - 1]);
    } else {
        EXPECT_EQ(small[half - 1], '\0');
    }
    EXPECT_EQ(small[half], '-');
}

TEST_F(Contract, GetModuleFileNameA_UnknownModule_FailsWithoutTouchingTheBuffer) {
    char buffer[MAX_PATH] = "*";
    EXPECT_EQ(P().GetModuleFileNameA(HMODULE{0xFFFFFFF0}, buffer, sizeof buffer), 0u);
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_STREQ(buffer, "*");
}

TEST_F(Contract, GetUserNameA_SizeQueryThenRead) {
    // No buffer: fails, telling the size to allocate.
    DWORD required = 0;
    EXPECT_FALSE(P().GetUserNameA(nullptr, &required));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_GT(required, 1u);
    ASSERT_LT(required, 1024u);

    std::string buffer(required, 'x');
    DWORD size = required;
    ASSERT_TRUE(P().GetUserNameA(buffer.data(), &size)) << P().GetLastError();
    const std::size_t length = std::strlen(buffer.c_str());
    EXPECT_GT(length, 0u);
    EXPECT_EQ(size, length + 1);  // on success: the characters with the zero

    // Windows of the NT family reports the bytes of the UTF-16 name when the
    // buffer is too small, twice what the ANSI name needs; Wine the characters.
    if (IsWine()) {
        EXPECT_EQ(required, length + 1);
    } else {
        EXPECT_EQ(required, 2 * (length + 1));
    }

    // One character short: fails and leaves the buffer alone.
    std::string tooSmall(required, 'x');
    size = static_cast<DWORD>(length);
    EXPECT_FALSE(P().GetUserNameA(tooSmall.data(), &size));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, required);
    EXPECT_EQ(tooSmall, std::string(required, 'x'));
}

TEST_F(Contract, GetComputerNameA_TooSmallThenRead) {
    // Too small: fails with the size to allocate, terminator included.
    char none[1] = {'x'};
    DWORD required = 0;
    EXPECT_FALSE(P().GetComputerNameA(none, &required));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    ASSERT_GT(required, 1u);
    ASSERT_LE(required, 16u);  // a NetBIOS name: at most 15 characters

    char name[16] = {};
    DWORD size = sizeof name;
    ASSERT_TRUE(P().GetComputerNameA(name, &size)) << P().GetLastError();
    EXPECT_EQ(size, std::strlen(name));  // on success: without the zero
    EXPECT_EQ(size + 1, required);
}

}  // namespace qm::test
