// Contract of what the guard rails and the backups need of Windows: full and
// long path names, copying a file, file and folder times, the shell's
// special folders, Windows File Protection, the UTF-16 registry calls that
// keep any name exactly, and the program's own process.
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

class GuardAndBackupContract : public Contract {
protected:
    std::string FullPath(const std::string& path) {
        char buffer[MAX_PATH + 1] = {};
        const DWORD length = P().GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
        EXPECT_EQ(length, std::strlen(buffer)) << path;
        return buffer;
    }
    bool SameTime(const FILETIME& a, const FILETIME& b) {
        return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
    }
    // Opens a file or folder to read or set its times.
    HANDLE OpenForTimes(const std::string& path) {
        return P().CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, 0);
    }
};

}  // namespace

TEST_F(GuardAndBackupContract, GetFullPathNameA_ResolvesEverySpellingOfOnePath) {
    const std::string folder = Scratch() + "\\Folder";
    const std::vector<std::string> spellings = {
        Scratch() + "\\Folder",          Scratch() + "\\.\\Folder",      Scratch() + "\\\\Folder",
        Scratch() + "\\x\\..\\Folder",   Scratch() + "\\Folder.",        Scratch() + "\\Folder. . ",
        Scratch() + "/Folder",           Scratch() + "\\Folder\\sub\\..",
    };
    for (const std::string& spelling : spellings) EXPECT_EQ(Upper(FullPath(spelling)), Upper(folder)) << spelling;
    // The path needs no existence; a trailing separator stays.
    EXPECT_EQ(Upper(FullPath(Scratch() + "\\missing\\")), Upper(Scratch() + "\\MISSING\\"));

    // Relative to the current directory.
    char current[MAX_PATH + 1] = {};
    P().GetCurrentDirectoryA(sizeof current, current);
    ASSERT_TRUE(P().SetCurrentDirectoryA(Scratch().c_str()));
    EXPECT_EQ(Upper(FullPath("Folder")), Upper(folder));
    EXPECT_EQ(Upper(FullPath("..\\" + Scratch().substr(Scratch().find_last_of('\\') + 1) + "\\Folder")),
              Upper(folder));
    P().SetCurrentDirectoryA(current);

    // The part after the last separator, and the size needed.
    char buffer[MAX_PATH + 1] = {};
    char* filePart = nullptr;
    P().GetFullPathNameA((folder + "\\file.txt").c_str(), sizeof buffer, buffer, &filePart);
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, "file.txt");
    char small[4];
    EXPECT_EQ(P().GetFullPathNameA(folder.c_str(), sizeof small, small, nullptr), folder.size() + 1);
}

TEST_F(GuardAndBackupContract, GetLongPathNameA_ReplacesShortNames_AndNeedsThePathToExist) {
    const std::string longFolder = InScratch("A Long Folder Name");
    ASSERT_TRUE(P().CreateDirectoryA(longFolder.c_str(), nullptr));
    WriteFile(longFolder + "\\Another long file name.text", "x");
    char shortPath[MAX_PATH + 1] = {};
    ASSERT_GT(P().GetShortPathNameA((longFolder + "\\Another long file name.text").c_str(), shortPath,
                                    sizeof shortPath),
              0u);
    ASSERT_EQ(std::string(shortPath).find("Another"), std::string::npos) << shortPath;

    char longPath[MAX_PATH + 1] = {};
    const DWORD length = P().GetLongPathNameA(shortPath, longPath, sizeof longPath);
    EXPECT_EQ(length, std::strlen(longPath));
    EXPECT_EQ(Upper(longPath), Upper(longFolder + "\\Another long file name.text"));

    P().SetLastError(0);
    EXPECT_EQ(P().GetLongPathNameA(InScratch("missing\\x").c_str(), longPath, sizeof longPath), 0u);
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(GuardAndBackupContract, CopyFileA_CopiesContentsAndLastWriteTime_AndRespectsFailIfExists) {
    const std::string source = InScratch("source.bin");
    WriteFile(source, std::string("some\0bytes", 10));
    const HANDLE sourceHandle = OpenForTimes(source);
    ASSERT_NE(sourceHandle, kInvalidHandle);
    const FILETIME old{0x12345600u, 0x01C00000u};  // a time in the past
    ASSERT_TRUE(P().SetFileTime(sourceHandle, nullptr, nullptr, &old)) << P().GetLastError();
    P().CloseHandle(sourceHandle);

    const std::string copy = InScratch("copy.bin");
    ASSERT_TRUE(P().CopyFileA(source.c_str(), copy.c_str(), TRUE)) << P().GetLastError();
    EXPECT_EQ(ReadFile(copy), std::string("some\0bytes", 10));
    const HANDLE copyHandle = OpenForTimes(copy);
    FILETIME written{};
    ASSERT_TRUE(P().GetFileTime(copyHandle, nullptr, nullptr, &written));
    EXPECT_TRUE(SameTime(written, old));
    P().CloseHandle(copyHandle);

    P().SetLastError(0);
    EXPECT_FALSE(P().CopyFileA(source.c_str(), copy.c_str(), TRUE));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    WriteFile(source, "new");
    EXPECT_TRUE(P().CopyFileA(source.c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(ReadFile(copy), "new");
    EXPECT_FALSE(P().CopyFileA(InScratch("missing").c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(GuardAndBackupContract, FileTimes_OfFilesAndFolders_AreSetAndReadBack) {
    const std::string file = InScratch("timed.txt");
    WriteFile(file, "x");
    const std::string folder = InScratch("timed folder");
    ASSERT_TRUE(P().CreateDirectoryA(folder.c_str(), nullptr));
    const FILETIME creation{0x11111100u, 0x01C20000u}, access{0x22222200u, 0x01C30000u},
        write{0x33333300u, 0x01C40000u};
    for (const std::string& path : {file, folder}) {
        SCOPED_TRACE(path);
        const HANDLE handle = OpenForTimes(path);
        ASSERT_NE(handle, kInvalidHandle) << P().GetLastError();
        ASSERT_TRUE(P().SetFileTime(handle, &creation, &access, &write)) << P().GetLastError();
        FILETIME c{}, a{}, w{};
        ASSERT_TRUE(P().GetFileTime(handle, &c, &a, &w));
        // Wine keeps files on a Linux file system, which has no creation
        // time to set.
        if (!IsWine()) {
            EXPECT_TRUE(SameTime(c, creation));
        }
        EXPECT_TRUE(SameTime(a, access));
        EXPECT_TRUE(SameTime(w, write));
        P().CloseHandle(handle);
    }
    // A handle without FILE_WRITE_ATTRIBUTES may read the times only (Wine
    // lets it set them too).
    const HANDLE reading = P().CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0);
    ASSERT_NE(reading, kInvalidHandle);
    const BOOL set = P().SetFileTime(reading, nullptr, nullptr, &creation);
    if (!IsWine()) {
        EXPECT_FALSE(set);
        EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    P().CloseHandle(reading);
}

TEST_F(GuardAndBackupContract, SHGetFolderPathA_GivesTheFolderTheShellFoldersKeyNames) {
    HKEY key = 0;
    char expected[MAX_PATH] = {};
    DWORD size = sizeof expected;
    if (P().RegOpenKeyExA(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                          KEY_READ, &key) == ERROR_SUCCESS) {
        P().RegQueryValueExA(key, "Common AppData", nullptr, nullptr, reinterpret_cast<BYTE*>(expected), &size);
        P().RegCloseKey(key);
    }
    char path[MAX_PATH] = {};
    const HRESULT result = P().SHGetFolderPathA(0, CSIDL_COMMON_APPDATA, 0, SHGFP_TYPE_CURRENT, path);
    if (expected[0] == '\0') {
        EXPECT_NE(result, S_OK) << "a machine without the folder: " << path;
        return;
    }
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(Upper(path), Upper(expected));
    EXPECT_NE(P().SHGetFolderPathA(0, 0x7FFF, 0, SHGFP_TYPE_CURRENT, path), S_OK) << "no such folder";
}

TEST_F(GuardAndBackupContract, SfcIsFileProtected_DoesNotGuardOrdinaryFiles) {
    const std::string file = InScratch("ordinary.dll");
    WriteFile(file, "MZ");
    std::u16string wide(file.begin(), file.end());
    EXPECT_FALSE(P().SfcIsFileProtected(0, wide.c_str()));
}

TEST_F(GuardAndBackupContract, UnicodeRegistryCalls_KeepNamesTheCodePageCannotHold) {
    const std::u16string base = std::u16string(ScratchKey().begin(), ScratchKey().end());
    const std::u16string keyName = u"\u041F\u0435\u0441\u0442 \u2603";  // Cyrillic and a snowman
    HKEY created = 0;
    ASSERT_EQ(P().RegCreateKeyExW(HKCU, (base + u"\\" + keyName).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    const std::u16string valueName = u"\u00E9t\u00E9 \u20AC\u2603";
    const std::u16string text = u"d\u00E9j\u00E0 \u2603";
    std::vector<BYTE> data(reinterpret_cast<const BYTE*>(text.c_str()),
                           reinterpret_cast<const BYTE*>(text.c_str() + text.size() + 1));
    ASSERT_EQ(P().RegSetValueExW(created, valueName.c_str(), 0, REG_SZ, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    P().RegCloseKey(created);

    HKEY parent = 0;
    ASSERT_EQ(P().RegOpenKeyExW(HKCU, base.c_str(), 0, KEY_READ, &parent), ERROR_SUCCESS);
    WCHAR name[256];
    DWORD nameSize = 256;
    ASSERT_EQ(P().RegEnumKeyExW(parent, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, nameSize), keyName);
    DWORD tooSmall = 2;
    EXPECT_EQ(P().RegEnumKeyExW(parent, 0, name, &tooSmall, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    P().RegCloseKey(parent);

    HKEY key = 0;
    ASSERT_EQ(P().RegOpenKeyExW(HKCU, (base + u"\\" + keyName).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    nameSize = 256;
    DWORD type = 0;
    BYTE read[256] = {};
    DWORD readSize = sizeof read;
    ASSERT_EQ(P().RegEnumValueW(key, 0, name, &nameSize, nullptr, &type, read, &readSize), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, nameSize), valueName);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::vector<BYTE>(read, read + readSize), data);
    // Sizes only, then the end of the list.
    nameSize = 256;
    readSize = 0;
    EXPECT_EQ(P().RegEnumValueW(key, 0, name, &nameSize, nullptr, &type, nullptr, &readSize), ERROR_SUCCESS);
    EXPECT_EQ(readSize, data.size());
    nameSize = 256;
    EXPECT_EQ(P().RegEnumValueW(key, 1, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    P().RegCloseKey(key);
}

TEST_F(GuardAndBackupContract, TheProgramsOwnProcess_IsNotCritical) {
    EXPECT_NE(P().GetCurrentProcessId(), 0u);
    ULONG critical = 7;
    ULONG length = 0;
    const NTSTATUS status = P().NtQueryInformationProcess(P().GetCurrentProcess(), kProcessBreakOnTermination,
                                                          &critical, sizeof critical, &length);
    if (IsWine()) {
        // Wine does not answer this class (STATUS_INVALID_INFO_CLASS): the
        // guard rails then know critical processes by their images alone.
        EXPECT_NE(status, kStatusSuccess);
        return;
    }
    ASSERT_EQ(status, kStatusSuccess);
    EXPECT_EQ(critical, 0u);
    EXPECT_EQ(length, sizeof critical);
}

}  // namespace qm::test
