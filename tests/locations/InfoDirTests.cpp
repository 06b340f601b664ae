// The location resolver: cached special folders, path variables, the safe
// temporary folder and the path helpers behind them.
#include <tuple>
#include <vector>

#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

class InfoDirTest : public Contract {
protected:
    void SetString(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                   DWORD type = REG_SZ) {
        HKEY handle = 0;
        ASSERT_EQ(P().RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
                  ERROR_SUCCESS);
        P().RegSetValueExA(handle, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
        P().RegCloseKey(handle);
    }
};

}  // namespace

TEST(PathsTest, PartsOfAPath) {
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> cases = {
        // path, folder part, name part, parent folder
        {"C:\\a\\b.txt", "C:\\a\\", "b.txt", "C:\\a"},
        {"C:b.txt", "C:", "b.txt", "C:"},
        {"C:\\", "C:\\", "", "C:"},
        {"b.txt", "", "b.txt", ""},
        {"C:\\a\\", "C:\\a\\", "", "C:\\a"},
    };
    for (const auto& [path, folder, name, parent] : cases) {
        EXPECT_EQ(ExtractFilePath(path), folder) << path;
        EXPECT_EQ(ExtractFileName(path), name) << path;
        EXPECT_EQ(ParentFolder(path), parent) << path;
    }
    EXPECT_EQ(StripTrailingBackslash("C:\\a\\\\"), "C:\\a\\") << "only one backslash goes";
    EXPECT_EQ(StripTrailingBackslash(""), "");
    EXPECT_EQ(ExtractFileExt("C:\\x.y\\prog.EXE"), ".EXE");
    EXPECT_EQ(ExtractFileExt("C:\\x.y\\prog"), "");
    EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\x"), "\\\\server\\share");
    EXPECT_EQ(UpperCaseAZ("c:\\caf\xe9"), "C:\\CAF\xe9");
}

TEST_F(InfoDirTest, GettersFollowTheirSourcesWithoutTrailingBackslash) {
    char windows[261] = {};
    P().GetWindowsDirectoryA(windows, 260);
    EXPECT_EQ(InfoDir.GetWindowsFolder(), StripTrailingBackslash(windows));
    char temp[261] = {};
    P().GetTempPathA(260, temp);
    EXPECT_EQ(InfoDir.GetTempFolder(), StripTrailingBackslash(temp));
    char program[261] = {};
    P().GetModuleFileNameA(0, program, 260);
    EXPECT_EQ(InfoDir.GetProgramFolder(), ParentFolder(program));
    EXPECT_FALSE(InfoDir.GetCurrentUserName().empty());
}

TEST_F(InfoDirTest, ReadRegistryStringTakesOnlyStringTypesAsStored) {
    SetString(HKCU, ScratchKey(), "plain", "C:\\x");
    SetString(HKCU, ScratchKey(), "expand", "%windir%\\x", REG_EXPAND_SZ);
    HKEY key = 0;
    ASSERT_EQ(P().RegOpenKeyExA(HKCU, ScratchKey().c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const DWORD number = 7;
    P().RegSetValueExA(key, "number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    P().RegCloseKey(key);

    EXPECT_EQ(ReadRegistryString(HKCU, ScratchKey(), "plain"), "C:\\x");
    EXPECT_EQ(ReadRegistryString(HKCU, ScratchKey(), "expand"), "%windir%\\x");
    EXPECT_EQ(ReadRegistryString(HKCU, ScratchKey(), "number"), "");
    EXPECT_EQ(ReadRegistryString(HKCU, ScratchKey(), "missing"), "");
    EXPECT_EQ(ReadRegistryString(HKCU, ScratchKey() + "\\missing", "plain"), "");
}

TEST_F(InfoDirTest, ToShortPathCreatesMissingFoldersAndShortensThem) {
    const std::string longFolder = InScratch("Long Folder Name\\Deeper Folder Name");
    const std::string shortened = ToShortPath(longFolder);
    EXPECT_NE(P().GetFileAttributesA(longFolder.c_str()), INVALID_FILE_ATTRIBUTES) << "created";
    char expected[261] = {};
    ASSERT_NE(P().GetShortPathNameA(longFolder.c_str(), expected, 261), 0u);
    EXPECT_EQ(shortened, expected);
    EXPECT_NE(shortened.find('~'), std::string::npos) << shortened;
    EXPECT_EQ(ToShortPath(""), ToShortPath(IncludeTrailingBackslash(InfoDir.GetProgramFolder())));
}

TEST_F(InfoDirTest, CanonicalFolderComesBackWithBackslashAndRestoresTheCurrentFolder) {
    char before[261] = {};
    P().GetCurrentDirectoryA(260, before);
    EXPECT_EQ(CanonicalFolder(InScratch("missing")), "");
    const std::string canonical = CanonicalFolder(Scratch());
    EXPECT_EQ(UpperCaseAZ(canonical), UpperCaseAZ(Scratch() + "\\"));
    char after[261] = {};
    P().GetCurrentDirectoryA(260, after);
    EXPECT_STREQ(before, after);
}

TEST_F(InfoDirTest, SafeTempFolderIsTheShortTemporaryFolder) {
    const std::string safe = InfoDir.GetSafeTempFolder();
    char temp[261] = {};
    P().GetTempPathA(260, temp);
    char shortTemp[261] = {};
    P().GetShortPathNameA(temp, shortTemp, 261);
    EXPECT_EQ(UpperCaseAZ(safe), UpperCaseAZ(StripTrailingBackslash(shortTemp)));
    EXPECT_TRUE(DirectoryExists(safe));
}

}  // namespace qm::test
