// Contract of Windows' limits, with the errors Windows gives: key names (the
// documentation says 255 characters; Windows accepts 256 and refuses 257),
// value names of at most 16,383 characters, a registry 512 levels deep, and
// MAX_PATH for the paths of the ANSI file functions.
#include <functional>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

constexpr DWORD kErrorFilenameExcedRange = 206;  // ERROR_FILENAME_EXCED_RANGE
// Levels of the kernel's name of the scratch key: \REGISTRY\USER\<SID>
// (HKEY_CURRENT_USER), Software, QuellmarContract, the test's own key.
constexpr std::size_t kScratchKeyDepth = 6;
constexpr std::size_t kMaxKeyDepth = 512;

class LimitsContract : public Contract {
protected:
    RegKey OpenScratchKey() {
        RegKey key;
        EXPECT_EQ(P().RegOpenKeyExA(HKCU, ScratchKey().c_str(), 0, KEY_ALL_ACCESS, key.receive(P())), ERROR_SUCCESS);
        return key;
    }
    // A path of exactly `length` characters in the scratch folder.
    std::string PathOfLength(std::size_t length, const std::string& folder) {
        std::string path = folder + "\\";
        path += std::string(length - std::min(length, path.size()), 'x');
        return path;
    }
    // A folder of the scratch folder named so that paths of up to 259
    // characters in it keep every name within 255 (the host's own limit under Wine).
    std::string MiddleFolder() {
        const std::string folder = InScratch(std::string(100, 'm'));
        EXPECT_TRUE(P().CreateDirectoryA(folder.c_str(), nullptr)) << P().GetLastError();
        return folder;
    }
};

}  // namespace

TEST_F(LimitsContract, RegCreateKeyEx_KeyNamesOfUpTo256Characters) {
    RegKey scratch = OpenScratchKey();
    struct Case {
        std::size_t length;
        LONG result;
    };
    for (const Case c : {Case{255, ERROR_SUCCESS}, Case{256, ERROR_SUCCESS}, Case{257, ERROR_INVALID_PARAMETER}}) {
        SCOPED_TRACE(c.length);
        const std::string name(c.length, 'a');
        const std::u16string wide(c.length, u'w');
        RegKey created, opened;
        EXPECT_EQ(P().RegCreateKeyExA(scratch.get(), name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                      nullptr, created.receive(P()), nullptr),
                  c.result);
        EXPECT_EQ(P().RegOpenKeyExA(scratch.get(), name.c_str(), 0, KEY_READ, opened.receive(P())), c.result);
        EXPECT_EQ(P().RegCreateKeyExW(scratch.get(), wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                      nullptr, created.receive(P()), nullptr),
                  c.result);
        EXPECT_EQ(P().RegOpenKeyExW(scratch.get(), wide.c_str(), 0, KEY_READ, opened.receive(P())), c.result);
        // A name too long names no key: deleting it is refused the same way.
        if (c.result != ERROR_SUCCESS) {
            EXPECT_EQ(P().RegDeleteKeyA(scratch.get(), name.c_str()), c.result);
        }
    }
}

TEST_F(LimitsContract, RegSetValueEx_ValueNamesOfUpTo16383Characters) {
    RegKey scratch = OpenScratchKey();
    const DWORD data = 7;
    struct Case {
        std::size_t length;
        LONG result;
    };
    for (const Case c : {Case{16383, ERROR_SUCCESS}, Case{16384, ERROR_INVALID_PARAMETER}}) {
        SCOPED_TRACE(c.length);
        const std::string name(c.length, 'v');
        const std::u16string wide(c.length, u'w');
        const auto* bytes = reinterpret_cast<const BYTE*>(&data);
        EXPECT_EQ(P().RegSetValueExA(scratch.get(), name.c_str(), 0, REG_DWORD, bytes, sizeof data), c.result);
        EXPECT_EQ(P().RegSetValueExW(scratch.get(), wide.c_str(), 0, REG_DWORD, bytes, sizeof data), c.result);
        const LONG found = P().RegQueryValueExA(scratch.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(found, c.result == ERROR_SUCCESS ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    }
}

TEST_F(LimitsContract, RegCreateKeyEx_TheRegistryIs512LevelsDeep) {
    // One level at a time down to the deepest key Windows allows, then one more.
    std::vector<RegKey> chain;
    chain.push_back(OpenScratchKey());
    for (std::size_t depth = kScratchKeyDepth + 1; depth <= kMaxKeyDepth; ++depth) {
        RegKey next;
        const LONG result = P().RegCreateKeyExA(chain.back().get(), "d", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                KEY_ALL_ACCESS, nullptr, next.receive(P()), nullptr);
        ASSERT_EQ(result, ERROR_SUCCESS) << "at level " << depth;
        chain.push_back(std::move(next));
    }
    RegKey tooDeep;
    const LONG result = P().RegCreateKeyExA(chain.back().get(), "d", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                            KEY_ALL_ACCESS, nullptr, tooDeep.receive(P()), nullptr);
    if (IsWine()) {
        // Wine sets no limit to the depth.
        EXPECT_EQ(result, ERROR_SUCCESS);
        tooDeep.reset();
        P().RegDeleteKeyA(chain.back().get(), "d");
    } else {
        EXPECT_EQ(result, ERROR_INVALID_PARAMETER);
    }
    // Taken down from the bottom, one key at a time.
    while (chain.size() > 1) {
        chain.pop_back();
        EXPECT_EQ(P().RegDeleteKeyA(chain.back().get(), "d"), ERROR_SUCCESS) << "at level " << chain.size();
    }
}

TEST_F(LimitsContract, AnsiFileFunctions_PathsBeyondMaxPathAreRefused) {
    const std::string tooLong = PathOfLength(MAX_PATH + 1, Scratch());
    const std::string existing = InScratch("existing.txt");
    WriteFile(existing, "x");
    char buffer[2 * MAX_PATH] = {};
    struct Case {
        const char* call;
        std::function<bool()> succeeds;
    };
    const std::vector<Case> cases = {
        {"CreateFileA",
         [&] {
             FileHandle file(P(), P().CreateFileA(tooLong.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, 0));
             return static_cast<bool>(file);
         }},
        {"GetFileAttributesA", [&] { return P().GetFileAttributesA(tooLong.c_str()) != INVALID_FILE_ATTRIBUTES; }},
        {"SetFileAttributesA", [&] { return P().SetFileAttributesA(tooLong.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE; }},
        {"DeleteFileA", [&] { return P().DeleteFileA(tooLong.c_str()) != FALSE; }},
        {"CreateDirectoryA", [&] { return P().CreateDirectoryA(tooLong.c_str(), nullptr) != FALSE; }},
        {"RemoveDirectoryA", [&] { return P().RemoveDirectoryA(tooLong.c_str()) != FALSE; }},
        {"FindFirstFileA",
         [&] {
             WIN32_FIND_DATAA data;
             FindHandle find(P(), P().FindFirstFileA(tooLong.c_str(), &data));
             return static_cast<bool>(find);
         }},
        {"GetShortPathNameA", [&] { return P().GetShortPathNameA(tooLong.c_str(), buffer, sizeof buffer) != 0; }},
        {"GetLongPathNameA", [&] { return P().GetLongPathNameA(tooLong.c_str(), buffer, sizeof buffer) != 0; }},
        {"GetFullPathNameA", [&] { return P().GetFullPathNameA(tooLong.c_str(), sizeof buffer, buffer, nullptr) != 0; }},
        {"MoveFileA", [&] { return P().MoveFileA(tooLong.c_str(), InScratch("moved.txt").c_str()) != FALSE; }},
        {"CopyFileA", [&] { return P().CopyFileA(tooLong.c_str(), InScratch("copy.txt").c_str(), FALSE) != FALSE; }},
        {"SetCurrentDirectoryA", [&] { return P().SetCurrentDirectoryA(tooLong.c_str()) != FALSE; }},
    };
    for (const auto& c : cases) {
        P().SetLastError(0);
        EXPECT_FALSE(c.succeeds()) << c.call;
        EXPECT_EQ(P().GetLastError(), kErrorFilenameExcedRange) << c.call;
    }
    EXPECT_TRUE(FileExists(existing)) << "nothing else was touched";
}

TEST_F(LimitsContract, AnsiFileFunctions_PathsUpToMaxPathMinusOneWork) {
    const std::string path = PathOfLength(MAX_PATH - 1, MiddleFolder());
    ASSERT_EQ(path.size(), static_cast<std::size_t>(MAX_PATH - 1));
    WriteFile(path, "deep");
    EXPECT_EQ(ReadFile(path), "deep");
    EXPECT_NE(P().GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(P().DeleteFileA(path.c_str())) << P().GetLastError();
}

TEST_F(LimitsContract, CreateDirectoryA_LeavesRoomForAnEightDotThreeName) {
    const std::string middle = MiddleFolder();
    struct Case {
        std::size_t length;
        bool created;
    };
    for (const Case c : {Case{MAX_PATH - 13, true}, Case{MAX_PATH - 12, false}, Case{MAX_PATH - 1, false}}) {
        SCOPED_TRACE(c.length);
        const std::string folder = PathOfLength(c.length, middle);
        P().SetLastError(0);
        const bool created = P().CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
        if (IsWine() && !c.created) {
            // Wine creates folders up to MAX_PATH characters.
            EXPECT_TRUE(created);
        } else {
            EXPECT_EQ(created, c.created);
            if (!c.created) {
                EXPECT_EQ(P().GetLastError(), kErrorFilenameExcedRange);
            }
        }
        if (created) {
            EXPECT_TRUE(P().RemoveDirectoryA(folder.c_str())) << P().GetLastError();
        }
    }
}

}  // namespace qm::test
