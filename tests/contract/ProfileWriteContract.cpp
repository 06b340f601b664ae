// WritePrivateProfileStringA: creating the file and the section, replacing
// and deleting a value, erasing a section, what stays of the rest of the
// file, and the writes Windows refuses.
#include <string>

#include "tests/contract/ProfileContractFixture.h"

namespace qm::test {

TEST_F(ProfileContract, WritePrivateProfileStringA_CreatesFileThenSectionsInOrder) {
    ASSERT_TRUE(Write("App1", "key1", "string1"));
    EXPECT_EQ(ReadFile(Ini()), "[App1]\r\nkey1=string1\r\n");

    EXPECT_TRUE(Write("App1", "key2", "string2"));
    EXPECT_TRUE(Write("App2", "key3", "string3"));
    EXPECT_TRUE(Write("app1", "KEY4", ""));  // empty text: a value, not a deletion
    EXPECT_EQ(ReadFile(Ini()),
              "[App1]\r\nkey1=string1\r\nkey2=string2\r\nKEY4=\r\n[App2]\r\nkey3=string3\r\n");

    const auto read = Get("App1", "key4", "#***Error***#");
    EXPECT_EQ(read.result, 0u);
    EXPECT_EQ(read.text, "");
}

TEST_F(ProfileContract, WritePrivateProfileStringA_ReplacesValueFoundIgnoringCase) {
    WriteFile(Ini(), "[Boot]\r\nShell=Explorer.exe\r\nOther=1\r\n");
    EXPECT_TRUE(Write("BOOT", "shell", "evil.exe"));
    EXPECT_EQ(ReadFile(Ini()), "[Boot]\r\nShell=evil.exe\r\nOther=1\r\n");
    EXPECT_EQ(Get("Boot", "Shell", "").text, "evil.exe");
}

TEST_F(ProfileContract, WritePrivateProfileStringA_NullTextDeletesValueAndSectionStays) {
    WriteFile(Ini(), "[App1]\r\nkey1=a\r\nkey2=b\r\n[App2]\r\nkey2=c\r\n");
    EXPECT_TRUE(Write("app1", "KEY2", nullptr));
    EXPECT_EQ(ReadFile(Ini()), "[App1]\r\nkey1=a\r\n[App2]\r\nkey2=c\r\n");
    EXPECT_TRUE(Write("App1", "key2", nullptr));  // already gone: still success
    EXPECT_TRUE(Write("App1", "key1", nullptr));
    EXPECT_EQ(ReadFile(Ini()), "[App1]\r\n[App2]\r\nkey2=c\r\n");

    const auto sections = Get(nullptr, nullptr, nullptr);
    EXPECT_EQ(sections.result, 10u);
    EXPECT_EQ(sections.bytes.substr(0, 11), std::string("App1\0App2\0\0", 11));
}

TEST_F(ProfileContract, WritePrivateProfileStringA_NullKeyErasesSectionWithItsValues) {
    WriteFile(Ini(), "[App1]\r\nkey1=a\r\n[App2]\r\nkey2=b\r\n[App3]\r\nkey3=c\r\n");
    EXPECT_TRUE(Write("APP2", nullptr, "ignored"));
    EXPECT_EQ(ReadFile(Ini()), "[App1]\r\nkey1=a\r\n[App3]\r\nkey3=c\r\n");
    EXPECT_TRUE(Write("App1", nullptr, nullptr));
    EXPECT_EQ(ReadFile(Ini()), "[App3]\r\nkey3=c\r\n");
    EXPECT_TRUE(Write("Gone", nullptr, nullptr));  // absent section: success, nothing changes
    EXPECT_EQ(ReadFile(Ini()), "[App3]\r\nkey3=c\r\n");
    EXPECT_EQ(Get("App1", "key1", "#***Error***#").text, "#***Error***#");
}

TEST_F(ProfileContract, WritePrivateProfileStringA_KeepsCommentsBlankLinesAndLineEnds) {
    WriteFile(Ini(), "; top comment\r\n\r\n[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");
    EXPECT_TRUE(Write("a", "x", "changed"));
    const std::string crlf = ReadFile(Ini());

    WriteFile(Ini(), "[a]\nx=1\n[b]\ny=2\n");
    EXPECT_TRUE(Write("b", "y", "changed"));
    const std::string lf = ReadFile(Ini());

    if (IsWine()) {
        // Wine writes the whole file anew from what it parsed: blank lines
        // go and every line ends in CR LF. Windows edits the file in place.
        EXPECT_EQ(crlf, "; top comment\r\n[a]\r\nx=changed\r\n[b]\r\ny=2\r\n");
        EXPECT_EQ(lf, "[a]\r\nx=1\r\n[b]\r\ny=changed\r\n");
    } else {
        EXPECT_EQ(crlf, "; top comment\r\n\r\n[a]\r\nx=changed\r\n\r\n[b]\r\ny=2\r\n");
        EXPECT_EQ(lf, "[a]\nx=1\n[b]\ny=changed\n");
    }
    EXPECT_EQ(Get("b", "y", "").text, "changed");
}

TEST_F(ProfileContract, WritePrivateProfileStringA_DeletionOnMissingFileSucceeds) {
    EXPECT_TRUE(Write("App", "key", nullptr));
    const bool valueDeletionCreated = FileExists(Ini());
    P().DeleteFileA(Ini().c_str());
    EXPECT_TRUE(Write("App", nullptr, nullptr));
    const bool sectionEraseCreated = FileExists(Ini());

    if (IsWine()) {
        // Wine does not create the file; Windows leaves an empty one.
        EXPECT_FALSE(valueDeletionCreated);
        EXPECT_FALSE(sectionEraseCreated);
    } else {
        EXPECT_TRUE(valueDeletionCreated);
        EXPECT_TRUE(sectionEraseCreated);
        EXPECT_EQ(ReadFile(Ini()), "");
    }
}

TEST_F(ProfileContract, WritePrivateProfileStringA_NullSectionFailsWithFileNotFound) {
    P().SetLastError(0);
    EXPECT_FALSE(Write(nullptr, "key", "string"));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(FileExists(Ini()));
}

TEST_F(ProfileContract, WritePrivateProfileStringA_ReadOnlyFileRefusesEveryChange) {
    const std::string original = "[App]\r\nkey=old\r\n";
    WriteFile(Ini(), original);
    ASSERT_TRUE(P().SetFileAttributesA(Ini().c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE probe = P().CreateFileA(Ini().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (probe != kInvalidHandle) {
        P().CloseHandle(probe);
        // Wine run by root opens read-only files for writing (the host does
        // not refuse root), so the refusal cannot be seen there.
        ASSERT_TRUE(IsWine()) << "a read-only file was opened for writing";
        GTEST_SKIP() << "read-only files are writable here (Wine running as root)";
    }
    struct Case {
        const char* what;
        const char* section;
        const char* key;
        const char* text;
    };
    const Case cases[] = {
        {"replace", "App", "key", "new"},
        {"add", "New", "key", "new"},
        {"delete value", "App", "key", nullptr},
        {"erase section", "App", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        P().SetLastError(0);
        EXPECT_FALSE(Write(c.section, c.key, c.text)) << c.what;
        EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << c.what;
    }
    EXPECT_EQ(ReadFile(Ini()), original);
    EXPECT_EQ(Get("App", "key", "").text, "old");  // reading still works
}

TEST_F(ProfileContract, WritePrivateProfileStringA_FileOpenWithoutWriteSharingRefused) {
    WriteFile(Ini(), "[App]\r\nkey=old\r\n");
    HANDLE holder = P().CreateFileA(Ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    ASSERT_NE(holder, kInvalidHandle);
    P().SetLastError(0);
    const BOOL written = Write("App", "key", "new");
    const DWORD error = P().GetLastError();
    const std::string read = Get("App", "key", "").text;  // the holder lets others read
    P().CloseHandle(holder);

    EXPECT_FALSE(written);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(read, "old");
    EXPECT_EQ(ReadFile(Ini()), "[App]\r\nkey=old\r\n");
}

TEST_F(ProfileContract, WritePrivateProfileStringA_MissingFolderFailsWithPathNotFound) {
    const std::string path = InScratch("no such folder\\test.ini");
    P().SetLastError(0);
    EXPECT_FALSE(P().WritePrivateProfileStringA("App", "key", "string", path.c_str()));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace qm::test
