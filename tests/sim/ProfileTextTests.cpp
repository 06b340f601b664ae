// The INI text model on its own: how a file's text is read, how the buffer
// of GetPrivateProfileStringA is filled, and how edits leave the rest of the
// file alone.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/ProfileText.h"

namespace qm::sim {

namespace {

// Reads one value (or list) into a generous buffer and returns the bytes the
// call reports plus the ones after, up to the list's end.
struct Read {
    DWORD result;
    std::string bytes;  // result + 2 bytes (the zero, and a list's second zero)
};

Read Get(const ProfileText* file, const char* section, const char* key, const char* def,
         DWORD size = 256) {
    std::vector<char> buffer(size + 2, '\x7f');
    const DWORD result = ReadProfileString(file, section, key, def, buffer.data(), size);
    return {result, std::string(buffer.data(), std::min<std::size_t>(result + 2, buffer.size()))};
}

std::string Value(const ProfileText& file, const char* section, const char* key) {
    char buffer[256];
    const DWORD n = ReadProfileString(&file, section, key, "<absent>", buffer, sizeof buffer);
    return std::string(buffer, n);
}

}  // namespace

TEST(ProfileText, BytesComeBackUnchangedWithoutEdits) {
    const std::vector<std::string> files = {
        "",
        "[a]\r\nx=1\r\n",
        "[a]\nx=1\n\n; note\n[b]\ny = 2",
        "[a]\rx=1\r",
        std::string("Data \0 before \0 section\r\n[s]\r\nk=v\r\n", 35),
        "  [ spaced ]  \r\n\tk\t=\tv\t\r\n\r\n\r\n",
    };
    for (const auto& bytes : files) EXPECT_EQ(ProfileText(bytes).Bytes(), bytes) << bytes;
}

TEST(ProfileText, LooksUpValuesAsWindowsReadsThem) {
    const ProfileText file(
        "loose=before any section\r\n"
        "[Boot]\r\n"
        "Shell=Explorer.exe\r\n"
        "  spaced  =   padded value   \r\n"
        "quoted=\"in quotes\"\r\n"
        "single='in quotes'\r\n"
        "half=\"open\r\n"
        "empty=\r\n"
        "noequals\r\n"
        ";comment=not a value\r\n"
        "=no name\r\n"
        "Shell=second\r\n"
        "[crlf only]\rcr=yes\r"
        "[boot]\r\n"
        "later=in the repeated section\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Boot", "Shell", "Explorer.exe"},
        {"BOOT", "shell", "Explorer.exe"},    // case ignored; the first value of a name wins
        {" Boot ", " Shell ", "Explorer.exe"},  // blanks around the asked names are cut
        {"Boot", "spaced", "padded value"},
        {"Boot", "quoted", "in quotes"},
        {"Boot", "single", "in quotes"},
        {"Boot", "half", "\"open"},
        {"Boot", "empty", ""},
        {"Boot", "noequals", "<absent>"},
        {"Boot", ";comment", "not a value"},  // found by its exact name, never listed
        {"Boot", "", "no name"},
        {"Boot", "missing", "<absent>"},
        {"Boot", "later", "<absent>"},  // only the first section of a name counts
        {"crlf only", "cr", "yes"},
        {"", "loose", "<absent>"},
        {"Nowhere", "Shell", "<absent>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Value(file, c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST(ProfileText, ListsSectionsAndValueNames) {
    const ProfileText file(
        "x=1\r\n[One]\r\na=1\r\nb\r\n;c=3\r\n=4\r\nD = 5\r\n[ Two ]\r\n[]\r\n[one]\r\n");
    EXPECT_EQ(file.SectionNames(), (std::vector<std::string>{"One", "Two", "one"}));
    EXPECT_EQ(file.ValueNames("ONE"), (std::vector<std::string>{"a", "D"}));
    EXPECT_EQ(file.ValueNames("Two"), std::vector<std::string>{});
    EXPECT_FALSE(file.ValueNames("Three").has_value());
}

TEST(ProfileText, ValueIsCutToBufferLessOne) {
    const ProfileText file("[s]\r\nname=val1\r\n");
    struct Case {
        DWORD size;
        DWORD result;
        std::string text;
    };
    for (const Case& c : {Case{256, 4, "val1"}, Case{5, 4, "val1"}, Case{4, 3, "val"},
                          Case{2, 1, "v"}, Case{1, 0, ""}}) {
        const Read read = Get(&file, "s", "name", "default", c.size);
        EXPECT_EQ(read.result, c.result) << c.size;
        EXPECT_EQ(read.bytes.substr(0, read.result + 1), c.text + std::string(1, '\0')) << c.size;
    }
    char untouched[4] = "abc";
    EXPECT_EQ(ReadProfileString(&file, "s", "name", "default", untouched, 0), 0u);
    EXPECT_STREQ(untouched, "abc");
}

TEST(ProfileText, DefaultLosesTrailingSpacesOnly) {
    const ProfileText file("[s]\r\n");
    struct Case {
        const char* def;
        const char* expected;
    };
    for (const Case& c : {Case{"default  ", "default"}, Case{"one two  ", "one two"},
                          Case{"  lead", "  lead"}, Case{"", ""}, Case{nullptr, ""}}) {
        const Read read = Get(&file, "s", "missing", c.def);
        EXPECT_EQ(read.result, std::strlen(c.expected));
        EXPECT_EQ(read.bytes.substr(0, read.result), c.expected);
    }
    // A missing file gives the default as well, cut to the buffer.
    const Read cut = Get(nullptr, "s", "k", "default", 4);
    EXPECT_EQ(cut.result, 3u);
    EXPECT_EQ(cut.bytes.substr(0, 4), std::string("def\0", 4));
}

TEST(ProfileText, ListsEndWithTwoZerosAndAreCutToSizeLessTwo) {
    const ProfileText file("[section1]\r\n[section2]\r\n[section3]\r\n");
    // 27 characters with the names' zeros; the final zero needs one more and
    // Windows wants a spare byte besides, so 29 is the smallest full buffer.
    struct Case {
        DWORD size;
        DWORD result;
        std::string bytes;
    };
    const std::string all("section1\0section2\0section3\0\0", 28);
    for (const Case& c : {Case{100, 27, all}, Case{29, 27, all},
                          Case{28, 26, all},  // same bytes, but reported as cut
                          Case{27, 25, std::string("section1\0section2\0section\0\0", 27)},
                          Case{16, 14, std::string("section1\0secti\0\0", 16)},
                          Case{3, 1, std::string("s\0\0", 3)}, Case{2, 0, std::string("\0\0", 2)}}) {
        const Read read = Get(&file, nullptr, nullptr, "default", c.size);
        EXPECT_EQ(read.result, c.result) << c.size;
        EXPECT_EQ(read.bytes.substr(0, c.bytes.size()), c.bytes) << c.size;
    }
    const ProfileText keys("[s]\r\nname1=a\r\nname2=b\r\nname4=c\r\n");
    const Read cut = Get(&keys, "s", nullptr, "default", 16);
    EXPECT_EQ(cut.result, 14u);
    EXPECT_EQ(cut.bytes, std::string("name1\0name2\0na\0\0", 16));
}

TEST(ProfileText, EmptyListsHaveOneZeroAndNamesListsFallBackToTheDefault) {
    const Read missing = Get(nullptr, nullptr, nullptr, "default");
    EXPECT_EQ(missing.result, 0u);
    EXPECT_EQ(missing.bytes, std::string("\0\x7f", 2));  // the default is not used
    const ProfileText empty("; nothing but a comment\r\n");
    EXPECT_EQ(Get(&empty, nullptr, nullptr, "default").bytes, std::string("\0\x7f", 2));
    EXPECT_EQ(Get(&empty, "absent", nullptr, "default").bytes.substr(0, 8), std::string("default\0", 8));
}

TEST(ProfileText, ReplacingAValueKeepsTheRestOfTheFile) {
    ProfileText file(
        "; header comment\r\n\r\n[Boot]\r\nShell = old\r\n\r\n[Other]\nShell=other\n");
    EXPECT_TRUE(file.SetValue("BOOT", "shell", "new"));
    EXPECT_EQ(file.Bytes(),
              "; header comment\r\n\r\n[Boot]\r\nShell =new\r\n\r\n[Other]\nShell=other\n");
    EXPECT_EQ(Value(file, "Boot", "Shell"), "new");
    EXPECT_FALSE(file.SetValue("Boot", "Shell", "new"));  // nothing to change
}

TEST(ProfileText, NewValueFollowsTheLastLineOfItsSection) {
    ProfileText file("[a]\r\nx=1\r\n; trailing comment\r\n\r\n[b]\r\ny=2");
    EXPECT_TRUE(file.SetValue("a", "z", "3"));
    EXPECT_TRUE(file.SetValue("b", "w", "4"));
    EXPECT_EQ(file.Bytes(), "[a]\r\nx=1\r\n; trailing comment\r\nz=3\r\n\r\n[b]\r\ny=2\r\nw=4\r\n");

    ProfileText headerOnly("[a]\n\n[b]\n");
    EXPECT_TRUE(headerOnly.SetValue("a", "k", ""));
    EXPECT_EQ(headerOnly.Bytes(), "[a]\nk=\n\n[b]\n");
}

TEST(ProfileText, NewSectionGoesAtTheEndInTheFilesLineEnding) {
    struct Case {
        std::string before;
        std::string after;
    };
    for (const Case& c : {Case{"", "[App]\r\nkey=text\r\n"},
                          Case{"[x]\r\na=1\r\n", "[x]\r\na=1\r\n[App]\r\nkey=text\r\n"},
                          Case{"[x]\na=1", "[x]\na=1\n[App]\nkey=text\n"},
                          Case{"[x]\ra=1\r\r", "[x]\ra=1\r\r[App]\rkey=text\r"}}) {
        ProfileText file(c.before);
        EXPECT_TRUE(file.SetValue("App", "key", "text"));
        EXPECT_EQ(file.Bytes(), c.after) << c.before;
    }
}

TEST(ProfileText, DeletingAValueLeavesItsSection) {
    ProfileText file("[App1]\r\nkey1=a\r\nkey2=b\r\n[App2]\r\nkey2=c\r\n");
    EXPECT_TRUE(file.DeleteValue("app1", "KEY2"));
    EXPECT_EQ(file.Bytes(), "[App1]\r\nkey1=a\r\n[App2]\r\nkey2=c\r\n");
    EXPECT_TRUE(file.DeleteValue("App1", "key1"));
    EXPECT_EQ(file.Bytes(), "[App1]\r\n[App2]\r\nkey2=c\r\n");
    EXPECT_EQ(file.SectionNames(), (std::vector<std::string>{"App1", "App2"}));
    EXPECT_FALSE(file.DeleteValue("App1", "key1"));
    EXPECT_FALSE(file.DeleteValue("Nowhere", "key2"));
}

TEST(ProfileText, ErasingASectionTakesAllItsLines) {
    ProfileText file("; top\r\n[App1]\r\nkey1=a\r\n; inside\r\n\r\n[App2]\r\nkey2=b\r\n[app1]\r\nk=c\r\n");
    EXPECT_TRUE(file.EraseSection("APP1"));
    EXPECT_EQ(file.Bytes(), "; top\r\n[App2]\r\nkey2=b\r\n[app1]\r\nk=c\r\n");  // the first one only
    EXPECT_TRUE(file.EraseSection("App2"));
    EXPECT_TRUE(file.EraseSection("App1"));
    EXPECT_EQ(file.Bytes(), "; top\r\n");
    EXPECT_FALSE(file.EraseSection("App1"));
}

}  // namespace qm::sim
