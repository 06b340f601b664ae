// GetPrivateProfileStringA: values, defaults, the section and value-name
// lists, and what fits in the caller's buffer.
#include <string>

#include "tests/contract/ProfileContractFixture.h"

namespace qm::test {

namespace {

const char kBootIni[] =
    "; settings of the boot\r\n"
    "[Boot]\r\n"
    "Shell=Explorer.exe\r\n"
    "  padded  =   text with blanks   \r\n"
    "quoted=\"in quotes\"\r\n"
    "spaced quotes = \" kept inside \" \r\n"
    "empty=\r\n"
    "bare line\r\n"
    "\r\n"
    "[Other]\r\n"
    "Shell=other.exe\r\n";

}  // namespace

TEST_F(ProfileContract, GetPrivateProfileStringA_ReadsValuesIgnoringCaseBlanksAndQuotes) {
    WriteFile(Ini(), kBootIni);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Boot", "Shell", "Explorer.exe"},
        {"BOOT", "shell", "Explorer.exe"},
        {"other", "SHELL", "other.exe"},
        {"Boot", "padded", "text with blanks"},
        {"Boot", "quoted", "in quotes"},
        {"Boot", "spaced quotes", " kept inside "},
        {"Boot", "empty", ""},  // present with empty text: not the default
    };
    for (const auto& c : cases) {
        const auto read = Get(c.section, c.key, "#***Error***#");
        EXPECT_EQ(read.text, c.expected) << c.section << "/" << c.key;
        EXPECT_EQ(read.result, std::string(c.expected).size()) << c.section << "/" << c.key;
        EXPECT_EQ(read.bytes[read.result], '\0') << c.section << "/" << c.key;
    }
}

TEST_F(ProfileContract, GetPrivateProfileStringA_AbsentGivesDefaultWithoutTrailingBlanks) {
    WriteFile(Ini(), kBootIni);
    const std::string missingFile = InScratch("missing.ini");
    struct Case {
        const char* file;
        const char* section;
        const char* key;
        const char* def;
        const char* expected;
    };
    const Case cases[] = {
        {missingFile.c_str(), "Boot", "Shell", "#***Error***#", "#***Error***#"},
        {nullptr, "Nowhere", "Shell", "#***Error***#", "#***Error***#"},
        {nullptr, "Boot", "Missing", "#***Error***#", "#***Error***#"},
        {nullptr, "Boot", "bare line", "#***Error***#", "#***Error***#"},  // no "=": no value
        {nullptr, "Boot", "Missing", "default  ", "default"},
        {nullptr, "Boot", "Missing", "one two  ", "one two"},
        {nullptr, "Boot", "Missing", "", ""},
        {nullptr, "Boot", "Missing", nullptr, ""},
    };
    for (const auto& c : cases) {
        const auto read = Get(c.section, c.key, c.def, 2048, c.file ? c.file : Ini());
        EXPECT_EQ(read.text, c.expected) << c.section << "/" << c.key;
        EXPECT_EQ(read.result, std::string(c.expected).size()) << c.section << "/" << c.key;
        EXPECT_EQ(read.bytes[read.result], '\0') << c.section << "/" << c.key;
    }
}

TEST_F(ProfileContract, GetPrivateProfileStringA_ValueIsCutAtBufferLessOne) {
    const std::string fits(2047, 'v');
    const std::string tooLong(2048, 'w');
    WriteFile(Ini(), "[s]\r\nfits=" + fits + "\r\ntoolong=" + tooLong + "\r\nshort=val1\r\n");
    struct Case {
        const char* key;
        DWORD size;
        std::string expected;
    };
    const Case cases[] = {
        {"fits", 2048, fits},
        {"toolong", 2048, tooLong.substr(0, 2047)},
        {"short", 5, "val1"},
        {"short", 4, "val"},
        {"short", 1, ""},
    };
    for (const auto& c : cases) {
        const auto read = Get("s", c.key, "default", c.size);
        EXPECT_EQ(read.result, c.expected.size()) << c.key << " in " << c.size;
        EXPECT_EQ(read.text, c.expected) << c.key << " in " << c.size;
        EXPECT_EQ(read.bytes[read.result], '\0') << c.key << " in " << c.size;
    }

    char untouched[8] = "kumquat";
    EXPECT_EQ(P().GetPrivateProfileStringA("s", "short", "default", untouched, 0, Ini().c_str()), 0u);
    EXPECT_STREQ(untouched, "kumquat");
}

TEST_F(ProfileContract, GetPrivateProfileStringA_NullSectionListsSectionsAsWritten) {
    WriteFile(Ini(), "x=before any section\r\n[Boot]\r\na=1\r\n[386Enh]\r\n\r\n[drivers32]\r\n");
    const auto read = Get(nullptr, nullptr, "default");
    EXPECT_EQ(read.result, 22u);
    EXPECT_EQ(read.bytes.substr(0, 23), std::string("Boot\0" "386Enh\0" "drivers32\0" "\0", 23));
}

TEST_F(ProfileContract, GetPrivateProfileStringA_SectionListIsCutToSizeLessTwo) {
    WriteFile(Ini(), "[section1]\r\n[section2]\r\n[section3]\r\n");
    const std::string all("section1\0section2\0section3\0\0", 28);
    struct Case {
        DWORD size;
        DWORD result;
        std::string bytes;  // first result + 2 bytes of the buffer
        bool wineDiffers;   // cut: Wine writes one zero instead of two
    };
    const Case cases[] = {
        {29, 27, all, false},
        // The whole list and its final zero would just fit, but Windows
        // keeps a spare byte and reports the list as cut.
        {28, 26, all, true},
        {27, 25, std::string("section1\0section2\0section\0\0", 27), true},
        {16, 14, std::string("section1\0secti\0\0", 16), true},
    };
    for (const auto& c : cases) {
        const auto read = Get(nullptr, nullptr, nullptr, c.size);
        EXPECT_EQ(read.result, c.result) << c.size;
        if (IsWine() && c.wineDiffers) {
            // Wine ends a cut list with one zero and leaves the last byte;
            // Windows documents the cut list followed by two zeros.
            EXPECT_EQ(read.bytes.substr(0, c.result + 1), c.bytes.substr(0, c.result + 1)) << c.size;
            EXPECT_EQ(read.bytes[c.result + 1], '\x7f') << c.size;
        } else {
            EXPECT_EQ(read.bytes.substr(0, c.bytes.size()), c.bytes) << c.size;
        }
    }
}

TEST_F(ProfileContract, GetPrivateProfileStringA_MissingFileGivesEmptySectionList) {
    const auto read = Get(nullptr, nullptr, "default", 10, InScratch("missing.ini"));
    EXPECT_EQ(read.result, 0u);
    EXPECT_EQ(read.bytes, std::string("\0\x7f", 2));  // one zero; the default is not used
}

TEST_F(ProfileContract, GetPrivateProfileStringA_NullKeyListsValueNames) {
    WriteFile(Ini(), "[s]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n[t]\r\nother=1\r\n");
    const auto all = Get("S", nullptr, "default");
    EXPECT_EQ(all.result, 18u);
    EXPECT_EQ(all.bytes.substr(0, 19), std::string("name1\0name2\0name4\0\0", 19));

    const auto cut = Get("s", nullptr, "default", 16);
    EXPECT_EQ(cut.result, 14u);
    if (IsWine()) {
        // Wine ends the cut list with one zero; Windows documents two.
        EXPECT_EQ(cut.bytes, std::string("name1\0name2\0na\0\x7f", 16));
    } else {
        EXPECT_EQ(cut.bytes, std::string("name1\0name2\0na\0\0", 16));
    }
}

TEST_F(ProfileContract, GetPrivateProfileStringA_BareFileNameIsInWindowsFolder) {
    char windows[MAX_PATH + 1] = {};
    ASSERT_GT(P().GetWindowsDirectoryA(windows, sizeof windows), 0u);
    P().CreateDirectoryA(windows, nullptr);  // an empty simulated machine has none yet
    const std::string name = "quellmar-contract-profile.ini";
    const std::string path = std::string(windows) + "\\" + name;
    WriteFile(path, "[Boot]\r\nShell=Explorer.exe\r\n");

    char buffer[64] = {};
    const DWORD read = P().GetPrivateProfileStringA("boot", "shell", "", buffer, sizeof buffer, name.c_str());
    EXPECT_TRUE(P().WritePrivateProfileStringA("boot", "added", "yes", name.c_str()));
    const std::string after = ReadFile(path);
    P().DeleteFileA(path.c_str());

    EXPECT_EQ(std::string(buffer, read), "Explorer.exe");
    EXPECT_EQ(after, "[Boot]\r\nShell=Explorer.exe\r\nadded=yes\r\n");
}

}  // namespace qm::test
