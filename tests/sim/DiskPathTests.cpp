// The simulated disk's text rules on their own: Windows paths taken apart,
// wildcard patterns, 8.3 names.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/DiskPath.h"
#include "platform/sim/DiskPattern.h"
#include "platform/sim/ShortNames.h"

namespace qm::sim {

TEST(DiskPath, FullPathsOfTexts) {
    struct Case {
        const char* text;
        const char* current;
        const char* full;
        bool trailing;
    };
    const std::vector<Case> cases = {
        {"C:\\a\\b", "D:\\x", "C:\\a\\b", false},
        {"c:/a//b/", "C:\\", "C:\\a\\b", true},
        {"\\a", "D:\\x\\y", "D:\\a", false},
        {"a\\b", "C:\\w", "C:\\w\\a\\b", false},
        {".\\a\\.\\b", "C:\\w", "C:\\w\\a\\b", false},
        {"..\\..\\..\\b", "C:\\w", "C:\\b", false},
        {"C:\\x\\..\\y", "D:\\", "C:\\y", false},
        {"C:x", "C:\\w", "C:\\w\\x", false},
        {"D:x", "C:\\w", "D:\\x", false},
        {"C:", "C:\\w", "C:\\w", false},
        {"C:\\", "D:\\", "C:\\", true},
        {"C:\\a\\name. .", "C:\\", "C:\\a\\name", false},
        {"\\\\?\\C:\\a", "D:\\", "C:\\a", false},
    };
    for (const auto& c : cases) {
        WindowsPath path;
        ASSERT_EQ(ParseWindowsPath(c.text, c.current, path), 0u) << c.text;
        EXPECT_EQ(path.Text(), c.full) << c.text;
        EXPECT_EQ(path.trailingSeparator, c.trailing) << c.text;
    }
}

TEST(DiskPath, TextsThatAreNoPath) {
    WindowsPath path;
    EXPECT_EQ(ParseWindowsPath("", "C:\\", path), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(ParseWindowsPath("\\\\server\\share\\x", "C:\\", path), kErrorBadNetPath);
    EXPECT_EQ(ParseWindowsPath("1:\\x", "C:\\", path), static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST(DiskPattern, DosWildcards) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const std::vector<Case> cases = {
        {"*", "anything.txt", true},      {"*.*", "readme", true},          {"*.txt", "A.TXT", true},
        {"*.txt", "a.txt.bak", false},    {"?.txt", "ab.txt", false},       {"?.txt", "a.txt", true},
        {"ab?.txt", "ab.txt", true},      {"ab?", "ab", true},              {"a?c", "abc", true},
        {"a?c", "ac", false},             {"*.", "readme", true},           {"*.", "a.txt", false},
        {"x.*", "x", true},               {"x.*", "x.y", true},             {"*b*", "abc", true},
        {"DATA", "data", true},           {"dat", "data", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

TEST(ShortNames, ValidShortNames) {
    for (const char* name : {"README", "readme.txt", "A", "12345678.abc", "A~1.HTM", "$X!.#", ".", ".."})
        EXPECT_TRUE(IsValidShortName(name)) << name;
    for (const char* name : {"", "123456789", "a.abcd", "a.b.c", ".profile", "a b", "a+b", "x.", "[a]"})
        EXPECT_FALSE(IsValidShortName(name)) << name;
}

TEST(ShortNames, Candidates) {
    struct Case {
        const char* longName;
        unsigned n;
        const char* alias;
    };
    const std::vector<Case> cases = {
        {"Program Files", 1, "PROGRA~1"},
        {"Program Files", 2, "PROGRA~2"},
        {"Program Files", 10, "PROGR~10"},
        {"long file name.html", 1, "LONGFI~1.HTM"},
        {"a.b.c.d", 1, "ABC~1.D"},
        {"a+b=c[1].txt", 1, "A_B_C_~1.TXT"},
        {".profile", 1, "PROFIL~1"},
        {"my docs.tar.gz", 1, "MYDOCS~1.GZ"},
        {"x y", 1, "XY~1"},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortNameCandidate(c.longName, c.n), c.alias) << c.longName;
}

TEST(ShortNames, AliasesOfAFolderAreUniqueAndStable) {
    FolderShortNames folder;
    std::vector<std::string> existing = {"LONGFI~1.TXT"};  // a real entry with that name
    auto exists = [&](std::string_view candidate) {
        for (const auto& name : existing)
            if (name == candidate) return true;
        return false;
    };
    EXPECT_EQ(folder.AliasOf("Long File 1.txt", exists), "LONGFI~2.TXT");
    EXPECT_EQ(folder.AliasOf("Long File 2.txt", exists), "LONGFI~3.TXT");
    EXPECT_EQ(folder.AliasOf("LONG FILE 1.TXT", exists), "LONGFI~2.TXT");  // same name, any case
    EXPECT_EQ(folder.AliasOf("short.txt", exists), "");
    EXPECT_EQ(folder.LongNameOf("longfi~3.txt"), "LONG FILE 2.TXT");
    EXPECT_EQ(folder.LongNameOf("LONGFI~9.TXT"), "");
}

}  // namespace qm::sim
