// Files through handles: what CreateFileA does with each disposition and what
// it refuses, share modes, reading to the end, appending, the file pointer,
// the size, and deleting files (read-only, missing, open).
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

constexpr DWORD kErrorNegativeSeek = 131;  // ERROR_NEGATIVE_SEEK
constexpr DWORD kUnchecked = 0xFFFFFFFFu;

class FilesContract : public Contract {
protected:
    HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD creation) {
        return P().CreateFileA(path.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, 0);
    }
    DWORD Attributes(const std::string& path) { return P().GetFileAttributesA(path.c_str()); }
    void MakeReadOnly(const std::string& path) {
        ASSERT_TRUE(P().SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) << P().GetLastError();
    }
};

}  // namespace

TEST_F(FilesContract, CreateFileA_DispositionsOnExistingAndMissingFiles) {
    struct Case {
        const char* what;
        DWORD creation;
        bool exists;
        bool succeeds;
        DWORD error;          // on failure; on success the last error, where Windows documents it
        const char* content;  // what the file holds afterwards (nullptr: there is no file)
    };
    const std::vector<Case> cases = {
        {"CREATE_NEW, existing", CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
        {"CREATE_NEW, missing", CREATE_NEW, false, true, kUnchecked, ""},
        {"CREATE_ALWAYS, existing", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
        {"CREATE_ALWAYS, missing", CREATE_ALWAYS, false, true, 0, ""},
        {"OPEN_EXISTING, existing", OPEN_EXISTING, true, true, kUnchecked, "old"},
        {"OPEN_EXISTING, missing", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"OPEN_ALWAYS, existing", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
        {"OPEN_ALWAYS, missing", OPEN_ALWAYS, false, true, 0, ""},
        {"TRUNCATE_EXISTING, existing", TRUNCATE_EXISTING, true, true, kUnchecked, ""},
        {"TRUNCATE_EXISTING, missing", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string path = InScratch("file" + std::to_string(n++) + ".txt");
        if (c.exists) WriteFile(path, "old");
        P().SetLastError(0xDEADBEEF);
        FileHandle file(P(), Open(path, GENERIC_READ | GENERIC_WRITE, 0, c.creation));
        const DWORD error = P().GetLastError();
        EXPECT_EQ(static_cast<bool>(file), c.succeeds) << c.what;
        if (c.error != kUnchecked) {
            EXPECT_EQ(error, c.error) << c.what;
        }
        file.reset();
        if (c.content == nullptr) {
            EXPECT_EQ(Attributes(path), INVALID_FILE_ATTRIBUTES) << c.what;
        } else {
            EXPECT_EQ(ReadFile(path), c.content) << c.what;
        }
    }
}

TEST_F(FilesContract, CreateFileA_Refusals) {
    ASSERT_TRUE(P().CreateDirectoryA(InScratch("dir").c_str(), nullptr));
    struct Case {
        const char* what;
        std::string path;
        DWORD access;
        DWORD creation;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"missing folder", InScratch("nodir\\x.txt"), GENERIC_WRITE, OPEN_ALWAYS, ERROR_PATH_NOT_FOUND},
        {"a folder", InScratch("dir"), GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
        {"a folder, created anew", InScratch("dir"), GENERIC_WRITE, CREATE_NEW, ERROR_FILE_EXISTS},
    };
    for (const auto& c : cases) {
        P().SetLastError(0xDEADBEEF);
        FileHandle file(P(), Open(c.path, c.access, FILE_SHARE_READ, c.creation));
        EXPECT_FALSE(file) << c.what;
        EXPECT_EQ(P().GetLastError(), c.error) << c.what;
    }
}

TEST_F(FilesContract, CreateFileA_ReadOnlyFileRefusesWriting) {
    const std::string path = InScratch("ro.txt");
    WriteFile(path, "keep");
    MakeReadOnly(path);
    if (IsWine()) {
        // Wine leaves read-only to the host's file modes, which do not stop
        // the superuser; there the refusal cannot be seen.
        FileHandle probe(P(), Open(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
        if (probe) GTEST_SKIP() << "Wine runs as the superuser: read-only files open for writing";
    }
    struct Case {
        const char* what;
        DWORD access;
        DWORD creation;
    };
    const std::vector<Case> cases = {
        {"for writing", GENERIC_WRITE, OPEN_EXISTING},
        {"for appending", FILE_APPEND_DATA, OPEN_EXISTING},
        {"overwritten", GENERIC_WRITE, CREATE_ALWAYS},
    };
    for (const auto& c : cases) {
        P().SetLastError(0xDEADBEEF);
        FileHandle file(P(), Open(path, c.access, FILE_SHARE_READ, c.creation));
        EXPECT_FALSE(file) << c.what;
        EXPECT_EQ(P().GetLastError(), ERROR_ACCESS_DENIED) << c.what;
    }
    // Reading is allowed, and the file was left as it was.
    EXPECT_EQ(ReadFile(path), "keep");
}

TEST_F(FilesContract, CreateFileA_ShareModesOfTwoOpens) {
    const std::string path = InScratch("shared.txt");
    WriteFile(path, "x");
    struct Case {
        const char* what;
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool secondOpens;
    };
    const DWORD rw = GENERIC_READ | GENERIC_WRITE;
    const DWORD shareRW = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const std::vector<Case> cases = {
        {"reader beside a writer that shares reading only", rw, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, false},
        {"reader that lets the writer write", rw, FILE_SHARE_READ, GENERIC_READ, shareRW, true},
        {"writer beside a reader that shares reading only", GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, shareRW, false},
        {"anything beside an exclusive open", GENERIC_READ, 0, GENERIC_READ, shareRW, false},
        {"two readers", GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
    };
    for (const auto& c : cases) {
        FileHandle first(P(), Open(path, c.firstAccess, c.firstShare, OPEN_EXISTING));
        ASSERT_TRUE(first) << c.what << ", error " << P().GetLastError();
        P().SetLastError(0xDEADBEEF);
        FileHandle second(P(), Open(path, c.secondAccess, c.secondShare, OPEN_EXISTING));
        EXPECT_EQ(static_cast<bool>(second), c.secondOpens) << c.what;
        if (!c.secondOpens) {
            EXPECT_EQ(P().GetLastError(), ERROR_SHARING_VIOLATION) << c.what;
        }
    }
}

TEST_F(FilesContract, WriteFile_AppendDataWritesAtTheEnd) {
    const std::string path = InScratch("batch.bat");
    WriteFile(path, "one\r\n");
    {
        FileHandle file(P(), Open(path, FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_EXISTING));
        ASSERT_TRUE(file) << P().GetLastError();
        DWORD written = 0;
        EXPECT_TRUE(P().WriteFile(file.get(), "two\r\n", 5, &written, nullptr));
        EXPECT_EQ(written, 5u);
        // The file pointer does not matter to a handle that may only append.
        P().SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
        EXPECT_TRUE(P().WriteFile(file.get(), "3", 1, &written, nullptr));
    }
    EXPECT_EQ(ReadFile(path), "one\r\ntwo\r\n3");
}

TEST_F(FilesContract, ReadFile_AtTheEndSucceedsWithNoBytes) {
    const std::string path = InScratch("short.txt");
    WriteFile(path, "abc");
    FileHandle file(P(), Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_TRUE(file);
    char buffer[16] = {};
    DWORD got = 99;
    EXPECT_TRUE(P().ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(std::string(buffer, got), "abc");
    got = 99;
    EXPECT_TRUE(P().ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(got, 0u);
}

TEST_F(FilesContract, SetFilePointer_AndGetFileSize) {
    const std::string path = InScratch("ten.bin");
    WriteFile(path, "0123456789");
    FileHandle file(P(), Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_TRUE(file);
    DWORD high = 99;
    EXPECT_EQ(P().GetFileSize(file.get(), &high), 10u);
    EXPECT_EQ(high, 0u);

    char buffer[8] = {};
    DWORD got = 0;
    EXPECT_EQ(P().SetFilePointer(file.get(), -3, nullptr, FILE_END), 7u);
    ASSERT_TRUE(P().ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "789");
    EXPECT_EQ(P().SetFilePointer(file.get(), 2, nullptr, FILE_BEGIN), 2u);
    EXPECT_EQ(P().SetFilePointer(file.get(), 3, nullptr, FILE_CURRENT), 5u);
    ASSERT_TRUE(P().ReadFile(file.get(), buffer, 2, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "56");

    // Before the start is an error and leaves the pointer where it was.
    P().SetLastError(0xDEADBEEF);
    EXPECT_EQ(P().SetFilePointer(file.get(), -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(P().GetLastError(), kErrorNegativeSeek);
    EXPECT_EQ(P().SetFilePointer(file.get(), 0, nullptr, FILE_CURRENT), 7u);

    // Beyond the end is allowed; reading there gives nothing.
    EXPECT_EQ(P().SetFilePointer(file.get(), 20, nullptr, FILE_BEGIN), 20u);
    EXPECT_TRUE(P().ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(got, 0u);

    // With a high part the distance is 64 bits wide.
    LONG distanceHigh = 0;
    EXPECT_EQ(P().SetFilePointer(file.get(), 4, &distanceHigh, FILE_BEGIN), 4u);
    EXPECT_EQ(distanceHigh, 0);
}

TEST_F(FilesContract, ReadingAndWritingNeedTheirAccess) {
    const std::string path = InScratch("access.txt");
    WriteFile(path, "abc");
    char buffer[4] = {};
    DWORD count = 0;
    {
        FileHandle writer(P(), Open(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING));
        ASSERT_TRUE(writer);
        P().SetLastError(0xDEADBEEF);
        EXPECT_FALSE(P().ReadFile(writer.get(), buffer, sizeof buffer, &count, nullptr));
        EXPECT_EQ(P().GetLastError(), ERROR_ACCESS_DENIED);
    }
    FileHandle reader(P(), Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    ASSERT_TRUE(reader);
    P().SetLastError(0xDEADBEEF);
    EXPECT_FALSE(P().WriteFile(reader.get(), "x", 1, &count, nullptr));
    EXPECT_EQ(P().GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
}

TEST_F(FilesContract, DeleteFileA_Refusals) {
    WriteFile(InScratch("ro.txt"), "x");
    MakeReadOnly(InScratch("ro.txt"));
    ASSERT_TRUE(P().CreateDirectoryA(InScratch("dir").c_str(), nullptr));
    struct Case {
        const char* what;
        std::string path;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"read-only file", InScratch("ro.txt"), ERROR_ACCESS_DENIED},
        {"missing file", InScratch("none.txt"), ERROR_FILE_NOT_FOUND},
        {"file in a missing folder", InScratch("none\\x.txt"), ERROR_PATH_NOT_FOUND},
        {"a folder", InScratch("dir"), ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        P().SetLastError(0xDEADBEEF);
        EXPECT_FALSE(P().DeleteFileA(c.path.c_str())) << c.what;
        EXPECT_EQ(P().GetLastError(), c.error) << c.what;
    }
    EXPECT_TRUE(FileExists(InScratch("ro.txt")));
    EXPECT_NE(Attributes(InScratch("dir")), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FilesContract, DeleteFileA_OfAnOpenFileFollowsItsShareMode) {
    const std::string locked = InScratch("locked.txt");
    WriteFile(locked, "x");
    {
        FileHandle file(P(), Open(locked, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
        ASSERT_TRUE(file);
        P().SetLastError(0xDEADBEEF);
        EXPECT_FALSE(P().DeleteFileA(locked.c_str()));
        EXPECT_EQ(P().GetLastError(), ERROR_SHARING_VIOLATION);
        EXPECT_TRUE(FileExists(locked));
    }
    EXPECT_TRUE(P().DeleteFileA(locked.c_str())) << P().GetLastError();
    EXPECT_EQ(Attributes(locked), INVALID_FILE_ATTRIBUTES);

    const std::string shared = InScratch("shared.txt");
    WriteFile(shared, "x");
    {
        FileHandle file(P(), Open(shared, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING));
        ASSERT_TRUE(file);
        EXPECT_TRUE(P().DeleteFileA(shared.c_str())) << P().GetLastError();
    }
    EXPECT_EQ(Attributes(shared), INVALID_FILE_ATTRIBUTES);
}

}  // namespace qm::test
