// Folders and names: searches, attributes, making and removing folders,
// moves, short (8.3) paths, the current directory and the shell's deletion
// of a folder tree.
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

constexpr DWORD kErrorDirectory = 267;    // ERROR_DIRECTORY
constexpr WORD kRemoveTreeFlags = 0x614;  // silent, no confirmation, no error UI, no undo

class FoldersContract : public Contract {
protected:
    void SetUp() override {
        Contract::SetUp();
        char current[MAX_PATH + 1] = {};
        P().GetCurrentDirectoryA(sizeof current, current);
        savedDirectory_ = current;
    }
    void TearDown() override {
        // A current directory inside the scratch folder would keep it alive.
        P().SetCurrentDirectoryA(savedDirectory_.c_str());
        Contract::TearDown();
    }

    void MakeFolder(const std::string& path) {
        ASSERT_TRUE(P().CreateDirectoryA(path.c_str(), nullptr)) << path << ", error " << P().GetLastError();
    }
    DWORD Attributes(const std::string& path) { return P().GetFileAttributesA(path.c_str()); }
    bool FolderExists(const std::string& path) {
        const DWORD attributes = Attributes(path);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    // The names a search finds, or none with the search's error.
    std::set<std::string> Search(const std::string& pattern, DWORD* error = nullptr) {
        std::set<std::string> names;
        WIN32_FIND_DATAA data;
        P().SetLastError(0xDEADBEEF);
        FindHandle find(P(), P().FindFirstFileA(pattern.c_str(), &data));
        if (!find) {
            if (error != nullptr) *error = P().GetLastError();
            return names;
        }
        do names.insert(data.cFileName);
        while (P().FindNextFileA(find.get(), &data));
        if (error != nullptr) *error = P().GetLastError();
        return names;
    }
    WIN32_FIND_DATAA Entry(const std::string& path) {
        WIN32_FIND_DATAA data;
        FindHandle find(P(), P().FindFirstFileA(path.c_str(), &data));
        EXPECT_TRUE(find) << path << ", error " << P().GetLastError();
        return data;
    }
    std::string ShortPath(const std::string& path) {
        char buffer[MAX_PATH + 1] = {};
        const DWORD length = P().GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
        EXPECT_GT(length, 0u) << path << ", error " << P().GetLastError();
        return std::string(buffer, length < sizeof buffer ? length : 0);
    }
    std::string CurrentDirectory() {
        char buffer[MAX_PATH + 1] = {};
        const DWORD length = P().GetCurrentDirectoryA(sizeof buffer, buffer);
        return std::string(buffer, length < sizeof buffer ? length : 0);
    }
    int RemoveTree(const std::string& path, BOOL* aborted = nullptr) {
        const std::string list = path + std::string(2, '\0');
        SHFILEOPSTRUCTA operation;
        operation.wFunc = FO_DELETE;
        operation.pFrom = list.c_str();
        operation.fFlags = kRemoveTreeFlags;
        operation.fAnyOperationsAborted = TRUE;
        const int result = P().SHFileOperationA(&operation);
        if (aborted != nullptr) *aborted = operation.fAnyOperationsAborted;
        return result;
    }

private:
    std::string savedDirectory_;
};

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

TEST_F(FoldersContract, FindFirstFileA_WithoutWildcardFindsTheEntryItself) {
    MakeFolder(InScratch("Sub"));
    WriteFile(InScratch("Sub\\a.txt"), "x");
    for (const std::string name : {"Sub", "Sub\\a.txt"}) {
        WIN32_FIND_DATAA data;
        FindHandle find(P(), P().FindFirstFileA(InScratch(name).c_str(), &data));
        ASSERT_TRUE(find) << name;
        EXPECT_STREQ(data.cFileName, name == "Sub" ? "Sub" : "a.txt");
        EXPECT_EQ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, name == "Sub");
        P().SetLastError(0xDEADBEEF);
        EXPECT_FALSE(P().FindNextFileA(find.get(), &data)) << name;
        EXPECT_EQ(P().GetLastError(), ERROR_NO_MORE_FILES) << name;
    }
    // Spelled in another case, the entry is found under its own spelling.
    EXPECT_STREQ(Entry(InScratch("SUB\\A.TXT")).cFileName, "a.txt");
}

TEST_F(FoldersContract, FindFirstFileA_Patterns) {
    for (const char* name : {"a.txt", "b.txt", "ab.log", "readme"}) WriteFile(InScratch(name), "x");
    MakeFolder(InScratch("sub"));
    using Names = std::set<std::string>;
    struct Case {
        const char* pattern;
        Names names;
    };
    const std::vector<Case> cases = {
        {"*", {".", "..", "a.txt", "ab.log", "b.txt", "readme", "sub"}},
        {"*.*", {".", "..", "a.txt", "ab.log", "b.txt", "readme", "sub"}},
        {"*.txt", {"a.txt", "b.txt"}},
        {"?.txt", {"a.txt", "b.txt"}},
        {"a*", {"a.txt", "ab.log"}},
        {"*b*", {"ab.log", "b.txt", "sub"}},
        {"A.TXT", {"a.txt"}},
        {"sub\\*", {".", ".."}},
    };
    for (const auto& c : cases) {
        DWORD error = 0;
        EXPECT_EQ(Search(InScratch(c.pattern), &error), c.names) << c.pattern;
        EXPECT_EQ(error, ERROR_NO_MORE_FILES) << c.pattern;
    }
    DWORD error = 0;
    EXPECT_TRUE(Search(InScratch("x*"), &error).empty());
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
}

TEST_F(FoldersContract, FindFirstFileA_MissingPathsAndTrailingBackslash) {
    MakeFolder(InScratch("sub"));
    struct Case {
        const char* what;
        std::string path;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"missing file", InScratch("none.txt"), ERROR_FILE_NOT_FOUND},
        {"file in a missing folder", InScratch("none\\x.txt"), ERROR_PATH_NOT_FOUND},
        {"pattern in a missing folder", InScratch("none\\*.*"), ERROR_PATH_NOT_FOUND},
        {"existing folder with a trailing backslash", InScratch("sub\\"), ERROR_FILE_NOT_FOUND},
        // Windows opens the missing folder and fails there; Wine reports the
        // name as not found.
        {"missing folder with a trailing backslash", InScratch("none\\"),
         static_cast<DWORD>(IsWine() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND)},
    };
    for (const auto& c : cases) {
        DWORD error = 0;
        EXPECT_TRUE(Search(c.path, &error).empty()) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }
}

TEST_F(FoldersContract, ShortNames_OnlyForLongNames) {
    WriteFile(InScratch("Long File Name.html"), "x");
    WriteFile(InScratch("short.txt"), "x");

    const WIN32_FIND_DATAA longEntry = Entry(InScratch("Long File Name.html"));
    const std::string alias = longEntry.cAlternateFileName;
    ASSERT_FALSE(alias.empty());
    EXPECT_LE(alias.size(), 12u);
    EXPECT_NE(alias.find('~'), std::string::npos) << alias;
    EXPECT_EQ(alias.substr(alias.size() - 4), ".HTM") << alias;
    for (char c : alias) EXPECT_FALSE(c >= 'a' && c <= 'z') << alias;
    EXPECT_STREQ(Entry(InScratch("short.txt")).cAlternateFileName, "");

    // GetShortPathNameA uses the same alias, keeps valid 8.3 names as they are
    // spelled, and gives a path that names the same file.
    const std::string folder = ShortPath(Scratch());
    EXPECT_EQ(ShortPath(InScratch("Long File Name.html")), folder + "\\" + alias);
    EXPECT_EQ(ShortPath(InScratch("short.txt")), folder + "\\short.txt");
    EXPECT_TRUE(FileExists(folder + "\\" + alias));
    EXPECT_STREQ(Entry(folder + "\\" + alias).cFileName, "Long File Name.html");
}

TEST_F(FoldersContract, GetShortPathNameA_Sizes) {
    const std::string path = InScratch("Another Long Name.txt");
    WriteFile(path, "x");
    const DWORD needed = P().GetShortPathNameA(path.c_str(), nullptr, 0);
    ASSERT_GT(needed, 1u) << P().GetLastError();

    // Too small: the size needed, zero included, and the buffer untouched.
    std::vector<char> buffer(needed + 1, '#');
    EXPECT_EQ(P().GetShortPathNameA(path.c_str(), buffer.data(), needed - 1), needed);
    EXPECT_EQ(buffer[0], '#');
    // Large enough: the length without the zero.
    EXPECT_EQ(P().GetShortPathNameA(path.c_str(), buffer.data(), needed), needed - 1);
    EXPECT_EQ(std::strlen(buffer.data()), needed - 1);

    struct Case {
        const char* what;
        std::string path;
    };
    for (const auto& c : std::vector<Case>{{"missing file", InScratch("none.txt")},
                                           {"missing folder", InScratch("none\\x.txt")}}) {
        P().SetLastError(0xDEADBEEF);
        char out[MAX_PATH] = {};
        EXPECT_EQ(P().GetShortPathNameA(c.path.c_str(), out, sizeof out), 0u) << c.what;
        // Each name is looked up in turn, so the first missing one is a file not found.
        EXPECT_EQ(P().GetLastError(), ERROR_FILE_NOT_FOUND) << c.what;
    }
}

TEST_F(FoldersContract, GetFileAttributesA_OfFilesFoldersAndMissingOnes) {
    MakeFolder(InScratch("dir"));
    WriteFile(InScratch("file.txt"), "x");
    EXPECT_NE(Attributes(InScratch("dir")) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(Attributes(InScratch("dir\\")) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    const DWORD file = Attributes(InScratch("file.txt"));
    EXPECT_NE(file, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(file & FILE_ATTRIBUTE_DIRECTORY, 0u);

    struct Case {
        const char* what;
        std::string path;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"missing file", InScratch("none.txt"), ERROR_FILE_NOT_FOUND},
        {"missing folder", InScratch("none\\file.txt"), ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        P().SetLastError(0xDEADBEEF);
        EXPECT_EQ(Attributes(c.path), INVALID_FILE_ATTRIBUTES) << c.what;
        EXPECT_EQ(P().GetLastError(), c.error) << c.what;
    }
}

TEST_F(FoldersContract, SetFileAttributesA_SetsAndClears) {
    const std::string path = InScratch("file.txt");
    WriteFile(path, "x");
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(P().SetFileAttributesA(path.c_str(), kept));
    EXPECT_EQ(Attributes(path) & kept, kept);
    ASSERT_TRUE(P().SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    // Windows reports a file left without attributes as FILE_ATTRIBUTE_NORMAL;
    // Wine gives every file the archive attribute.
    EXPECT_EQ(Attributes(path), static_cast<DWORD>(IsWine() ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_NORMAL));

    P().SetLastError(0xDEADBEEF);
    EXPECT_FALSE(P().SetFileAttributesA(InScratch("none.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(P().GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FoldersContract, CreateDirectoryA_Cases) {
    MakeFolder(InScratch("dir"));
    WriteFile(InScratch("file"), "x");
    struct Case {
        const char* what;
        std::string path;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"existing folder", InScratch("dir"), ERROR_ALREADY_EXISTS},
        {"existing file", InScratch("file"), ERROR_ALREADY_EXISTS},
        {"missing parent", InScratch("none\\dir"), ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        P().SetLastError(0xDEADBEEF);
        EXPECT_FALSE(P().CreateDirectoryA(c.path.c_str(), nullptr)) << c.what;
        EXPECT_EQ(P().GetLastError(), c.error) << c.what;
    }
    EXPECT_FALSE(FolderExists(InScratch("none")));
    EXPECT_TRUE(P().CreateDirectoryA(InScratch("new\\").c_str(), nullptr));
    EXPECT_TRUE(FolderExists(InScratch("new")));
}

TEST_F(FoldersContract, RemoveDirectoryA_Cases) {
    MakeFolder(InScratch("full"));
    WriteFile(InScratch("full\\x.txt"), "x");
    WriteFile(InScratch("file"), "x");
    MakeFolder(InScratch("empty"));
    struct Case {
        const char* what;
        std::string path;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"folder with a file", InScratch("full"), ERROR_DIR_NOT_EMPTY},
        {"missing folder", InScratch("none"), ERROR_FILE_NOT_FOUND},
        {"a file", InScratch("file"), kErrorDirectory},
    };
    for (const auto& c : cases) {
        P().SetLastError(0xDEADBEEF);
        EXPECT_FALSE(P().RemoveDirectoryA(c.path.c_str())) << c.what;
        EXPECT_EQ(P().GetLastError(), c.error) << c.what;
    }
    EXPECT_TRUE(FileExists(InScratch("full\\x.txt")));
    EXPECT_TRUE(P().RemoveDirectoryA(InScratch("empty\\").c_str())) << P().GetLastError();
    EXPECT_FALSE(FolderExists(InScratch("empty")));
}

TEST_F(FoldersContract, MoveFileA_OntoAnExistingNameFails) {
    WriteFile(InScratch("a.txt"), "a");
    WriteFile(InScratch("b.txt"), "b");
    MakeFolder(InScratch("dir"));
    for (const char* target : {"b.txt", "dir", "B.TXT"}) {
        P().SetLastError(0xDEADBEEF);
        EXPECT_FALSE(P().MoveFileA(InScratch("a.txt").c_str(), InScratch(target).c_str())) << target;
        EXPECT_EQ(P().GetLastError(), ERROR_ALREADY_EXISTS) << target;
    }
    EXPECT_EQ(ReadFile(InScratch("a.txt")), "a");
    EXPECT_EQ(ReadFile(InScratch("b.txt")), "b");

    P().SetLastError(0xDEADBEEF);
    EXPECT_FALSE(P().MoveFileA(InScratch("none.txt").c_str(), InScratch("c.txt").c_str()));
    EXPECT_EQ(P().GetLastError(), ERROR_FILE_NOT_FOUND);

    // MoveFileExA may replace a file when asked to.
    EXPECT_TRUE(P().MoveFileExA(InScratch("a.txt").c_str(), InScratch("b.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadFile(InScratch("b.txt")), "a");
    EXPECT_FALSE(FileExists(InScratch("a.txt")));
}

TEST_F(FoldersContract, MoveFileA_MovesFilesAndFoldersAcrossFolders) {
    MakeFolder(InScratch("from"));
    MakeFolder(InScratch("from\\inner"));
    MakeFolder(InScratch("to"));
    WriteFile(InScratch("from\\inner\\deep.txt"), "deep");
    WriteFile(InScratch("from\\file.txt"), "file");

    EXPECT_TRUE(P().MoveFileA(InScratch("from\\file.txt").c_str(), InScratch("to\\moved.txt").c_str()))
        << P().GetLastError();
    EXPECT_FALSE(FileExists(InScratch("from\\file.txt")));
    EXPECT_EQ(ReadFile(InScratch("to\\moved.txt")), "file");

    EXPECT_TRUE(P().MoveFileA(InScratch("from").c_str(), InScratch("to\\renamed").c_str())) << P().GetLastError();
    EXPECT_FALSE(FolderExists(InScratch("from")));
    EXPECT_EQ(ReadFile(InScratch("to\\renamed\\inner\\deep.txt")), "deep");

    // A new spelling of the same name is a rename on Windows; Wine succeeds
    // but keeps the old spelling.
    EXPECT_TRUE(P().MoveFileA(InScratch("to\\moved.txt").c_str(), InScratch("to\\MOVED.TXT").c_str()))
        << P().GetLastError();
    EXPECT_STREQ(Entry(InScratch("to\\moved.txt")).cFileName, IsWine() ? "moved.txt" : "MOVED.TXT");
}

TEST_F(FoldersContract, MoveFileExA_DelayUntilRebootWithoutNewName) {
    const std::string path = InScratch("locked.dll");
    WriteFile(path, "x");
    // Windows registers the deletion for its next start when the user is an
    // administrator, as Wine's user is (others get ERROR_ACCESS_DENIED).
    EXPECT_TRUE(P().MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) << P().GetLastError();
    EXPECT_TRUE(FileExists(path));  // nothing happens before the restart
}

TEST_F(FoldersContract, CurrentDirectory_SizesAndRelativePaths) {
    MakeFolder(InScratch("sub"));
    WriteFile(InScratch("sub\\here.txt"), "here");
    WriteFile(InScratch("there.txt"), "there");

    ASSERT_TRUE(P().SetCurrentDirectoryA((InScratch("sub") + "\\").c_str())) << P().GetLastError();
    const std::string current = CurrentDirectory();
    EXPECT_TRUE(SameText(current, InScratch("sub"))) << current;

    // Sizes: the length without the zero when it fits, else the size needed
    // with it, leaving the buffer alone.
    const auto length = static_cast<DWORD>(current.size());
    EXPECT_EQ(P().GetCurrentDirectoryA(0, nullptr), length + 1);
    std::vector<char> buffer(length + 1, '#');
    EXPECT_EQ(P().GetCurrentDirectoryA(length, buffer.data()), length + 1);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(P().GetCurrentDirectoryA(length + 1, buffer.data()), length);

    // Relative paths resolve against it.
    EXPECT_EQ(ReadFile("here.txt"), "here");
    EXPECT_EQ(ReadFile("..\\there.txt"), "there");
    EXPECT_EQ(ReadFile(".\\here.txt"), "here");
    ASSERT_TRUE(P().SetCurrentDirectoryA(".."));
    EXPECT_TRUE(SameText(CurrentDirectory(), Scratch()));

    struct Case {
        const char* what;
        std::string path;
        DWORD error;
    };
    const std::vector<Case> cases = {
        {"missing folder", InScratch("none"), ERROR_FILE_NOT_FOUND},
        {"a file", InScratch("there.txt"), kErrorDirectory},
    };
    for (const auto& c : cases) {
        P().SetLastError(0xDEADBEEF);
        EXPECT_FALSE(P().SetCurrentDirectoryA(c.path.c_str())) << c.what;
        EXPECT_EQ(P().GetLastError(), c.error) << c.what;
        EXPECT_TRUE(SameText(CurrentDirectory(), Scratch())) << c.what;
    }
}

TEST_F(FoldersContract, SHFileOperationA_RemovesAFolderTree) {
    const std::string root = InScratch("Tree");
    MakeFolder(root);
    MakeFolder(root + "\\Inner");
    MakeFolder(root + "\\Inner\\Deeper");
    WriteFile(root + "\\top.txt", "x");
    WriteFile(root + "\\Inner\\Deeper\\deep.txt", "x");
    WriteFile(root + "\\Inner\\locked.txt", "x");
    ASSERT_TRUE(P().SetFileAttributesA((root + "\\Inner\\locked.txt").c_str(),
                                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

    BOOL aborted = TRUE;
    EXPECT_EQ(RemoveTree(root, &aborted), 0);
    EXPECT_FALSE(aborted);
    EXPECT_EQ(Attributes(root), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FoldersContract, SHFileOperationA_OnAMissingFolderFails) {
    const std::string root = InScratch("Gone");
    const int result = RemoveTree(root);
    // Windows gives ERROR_FILE_NOT_FOUND since Vista (1026 before).
    EXPECT_TRUE(result == ERROR_FILE_NOT_FOUND || result == 1026) << result;
    EXPECT_EQ(Attributes(root), INVALID_FILE_ATTRIBUTES);
}

}  // namespace qm::test
