// A native program on 64-bit Windows sees both halves of the machine: every
// registry item is tested in the 64-bit and the 32-bit view, and a file in
// the system folder also in the 32-bit system folder. Each place that holds
// the item is a row of its own, marked with its view, sharing the item's
// number; the first row's check decides for all, and the removal acts in
// the views the rows name. A key both views share is one row.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/Restore.h"
#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }

class BothHalvesPass : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        if (!backend().Use64BitWindows()) GTEST_SKIP() << "a 32-bit Windows";
        InfoDir.ClearCache();
    }
    void TearDown() override {
        for (const std::string& folder : folders_) DeleteTree(folder);
        PassTest::TearDown();
    }

    // A value in one view of the machine scratch key (view: KEY_WOW64_*).
    void SetMachineValue(REGSAM view, const std::string& subKey, const std::string& name, const std::string& text) {
        HKEY key = 0;
        ASSERT_EQ(P().RegCreateKeyExA(HKLM, (MachineScratchKey() + "\\" + subKey).c_str(), 0, nullptr, 0,
                                      KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::string data = Sz(text);
        EXPECT_EQ(P().RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                                     static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
        P().RegCloseKey(key);
    }
    std::optional<std::string> MachineValue(REGSAM view, const std::string& subKey, const std::string& name) {
        HKEY key = 0;
        if (P().RegOpenKeyExA(HKLM, (MachineScratchKey() + "\\" + subKey).c_str(), 0, KEY_READ | view, &key) !=
            ERROR_SUCCESS)
            return std::nullopt;
        char data[256] = {};
        DWORD size = sizeof data - 1;
        const LONG result = P().RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
        P().RegCloseKey(key);
        if (result != ERROR_SUCCESS) return std::nullopt;
        return std::string(data);
    }
    bool MachineKeyExists(REGSAM view, const std::string& subKey) {
        HKEY key = 0;
        if (P().RegOpenKeyExA(HKLM, (MachineScratchKey() + "\\" + subKey).c_str(), 0, KEY_READ | view, &key) !=
            ERROR_SUCCESS)
            return false;
        P().RegCloseKey(key);
        return true;
    }
    // A folder of this test's below a system folder, removed afterwards.
    std::string TestFolderIn(const std::string& systemFolder) {
        const std::string folder = systemFolder + "\\QuellmarContract." + TestName();
        ForceDirectories(folder);
        folders_.push_back(folder);
        return folder;
    }

private:
    void DeleteTree(const std::string& folder) {
        WIN32_FIND_DATAA data;
        const HANDLE find = P().FindFirstFileA((folder + "\\*").c_str(), &data);
        if (find != kInvalidHandle) {
            do {
                const std::string name = data.cFileName;
                if (name != "." && name != "..") P().DeleteFileA((folder + "\\" + name).c_str());
            } while (P().FindNextFileA(find, &data));
            P().FindClose(find);
        }
        P().RemoveDirectoryA(folder.c_str());
    }
    std::vector<std::string> folders_;
};

}  // namespace

TEST_F(BothHalvesPass, AValueInEachViewIsARowOfEachAndBothAreDeleted) {
    SetMachineValue(KEY_WOW64_64KEY, "Run", "Pest", "C:\\pest64.exe");
    SetMachineValue(KEY_WOW64_32KEY, "Run", "Pest", "C:\\pest32.exe");
    SetMachineValue(KEY_WOW64_32KEY, "Run", "", "default of the 32-bit key");
    SetValue("Run", "Pest", REG_SZ, Sz("C:\\shared.exe"));  // HKEY_CURRENT_USER\Software is shared
    WriteScript(R"(
        description "both halves"
        owner "Pest"
        delete value '{MKEY}\Run' "Pest" REG_SZ
        delete value '{MKEY}\Run' "" REG_SZ
        delete value '{KEY}\Run' "Pest" REG_SZ
        delete value '{MKEY}\Run' "Absent" REG_SZ
    )");
    Scan();
    const std::string run = MachineKey() + "\\Run";
    EXPECT_EQ(Rows(registry), (Table{{"Delete regsitry value", "Pest", run + " (64-bit)", "Pest", "String", "1"},
                                    {"Delete regsitry value", "Pest", run + " (32-bit)", "Pest", "String", "1"},
                                    {"Delete regsitry value", "Pest", run + " (32-bit)", "", "String", "2"},
                                    {"Delete regsitry value", "Pest", Key() + "\\Run", "Pest", "String", "3"}}));

    const PassResult removal = Remove();
    EXPECT_FALSE(removal.hadErrors);
    EXPECT_FALSE(MachineValue(KEY_WOW64_64KEY, "Run", "Pest"));
    EXPECT_FALSE(MachineValue(KEY_WOW64_32KEY, "Run", "Pest"));
    EXPECT_FALSE(MachineValue(KEY_WOW64_32KEY, "Run", ""));
    EXPECT_FALSE(GetValue("Run", "Pest"));
    EXPECT_EQ(Rows(report), (Table{{"Registry", "Delete ", run + " (64-bit)", "Pest"},
                                  {"Registry", "Delete ", run + " (32-bit)", "Pest"},
                                  {"Registry", "Delete ", run + " (32-bit)", ""},
                                  {"Registry", "Delete ", Key() + "\\Run", "Pest"}}));
}

TEST_F(BothHalvesPass, TheFirstRowOfAnItemDecidesForTheRowsOfBothViews) {
    struct Case {
        const char* what;
        bool first, second;
        bool removed;
    };
    for (const Case c : {Case{"first unchecked", false, true, false}, Case{"second unchecked", true, false, true}}) {
        SCOPED_TRACE(c.what);
        SetMachineValue(KEY_WOW64_64KEY, "Run", "Pest", "64");
        SetMachineValue(KEY_WOW64_32KEY, "Run", "Pest", "32");
        WriteScript(R"(
            description "checks"
            delete value '{MKEY}\Run' "Pest" REG_SZ
        )");
        Scan();
        ASSERT_EQ(registry.RowCount(), 2);
        registry.SetChecked(0, c.first);
        registry.SetChecked(1, c.second);
        Remove();
        EXPECT_EQ(!MachineValue(KEY_WOW64_64KEY, "Run", "Pest"), c.removed);
        EXPECT_EQ(!MachineValue(KEY_WOW64_32KEY, "Run", "Pest"), c.removed);
    }
}

TEST_F(BothHalvesPass, KeysAndChangesActOnlyInTheViewsThatHoldThem) {
    SetMachineValue(KEY_WOW64_32KEY, "Toolbar\\Deep", "x", "1");
    SetMachineValue(KEY_WOW64_64KEY, "Settings", "Home", "http://pest");
    SetMachineValue(KEY_WOW64_32KEY, "Settings", "Home", "about:blank");
    WriteScript(R"(
        description "keys and changes"
        owner "Pest"
        delete key '{MKEY}\Toolbar'
        change value '{MKEY}\Settings' "Home" REG_SZ from "http://pest\0" to "about:blank"
    )");
    Scan();
    EXPECT_EQ(Rows(registry),
              (Table{{"Delete regsitry Key", "Pest", MachineKey() + "\\Toolbar (32-bit)", "", "KEY", "1"},
                     {"Change existing regsitry value", "Pest", MachineKey() + "\\Settings (64-bit)", "Home", "String",
                      "2"}}));
    Remove();
    EXPECT_FALSE(MachineKeyExists(KEY_WOW64_32KEY, "Toolbar"));
    EXPECT_EQ(MachineValue(KEY_WOW64_64KEY, "Settings", "Home"), "about:blank");
    EXPECT_EQ(MachineValue(KEY_WOW64_32KEY, "Settings", "Home"), "about:blank");
}

TEST_F(BothHalvesPass, ClassIdKeysOfBothViewsAreFoundThroughHkcr) {
    const std::string clsid = "CLSID\\{0A2B3C4D-5E6F-4A1B-8C9D-51554C4C4D52}";
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY key = 0;
        ASSERT_EQ(P().RegCreateKeyExA(HKCR, (clsid + "\\InprocServer32").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                      nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        P().RegCloseKey(key);
    }
    WriteScript("description \"clsid\"\ndelete key 'HKCR\\" + clsid + "'\n");
    Scan();
    EXPECT_EQ(Rows(registry), (Table{{"Delete regsitry Key", "", "HKCR\\" + clsid + " (64-bit)", "", "KEY", "1"},
                                    {"Delete regsitry Key", "", "HKCR\\" + clsid + " (32-bit)", "", "KEY", "1"}}));
    EXPECT_FALSE(Remove().hadErrors);
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY key = 0;
        EXPECT_NE(P().RegOpenKeyExA(HKCR, clsid.c_str(), 0, KEY_READ | view, &key), ERROR_SUCCESS);
    }
}

TEST_F(BothHalvesPass, ARestorePutsKeysAndValuesBackIntoTheViewTheyCameFrom) {
    std::vector<std::string> before;
    for (const BackupInfo& info : ListBackups()) before.push_back(info.id);
    SetMachineValue(KEY_WOW64_32KEY, "Toolbar\\Settings", "Home", "http://pest");
    SetMachineValue(KEY_WOW64_32KEY, "Run", "Pest", "pest.exe");
    SetMachineValue(KEY_WOW64_64KEY, "Run", "Keep", "keep.exe");
    WriteScript(R"(
        description "32-bit pest"
        owner "Pest"
        delete key '{MKEY}\Toolbar'
        delete value '{MKEY}\Run' "Pest" REG_SZ
    )");
    passOptions.keepBackup = true;
    ScanAndRemove();
    ASSERT_FALSE(MachineKeyExists(KEY_WOW64_32KEY, "Toolbar"));
    ASSERT_EQ(MachineValue(KEY_WOW64_32KEY, "Run", "Pest"), std::nullopt);

    const auto backup = FindBackup("latest");
    ASSERT_TRUE(backup.has_value());
    const RestoreOutcome outcome = RestoreBackup(*backup, nullptr);
    EXPECT_EQ(outcome.failed + outcome.kept, 0);
    EXPECT_EQ(MachineValue(KEY_WOW64_32KEY, "Toolbar\\Settings", "Home"), "http://pest");
    EXPECT_EQ(MachineValue(KEY_WOW64_32KEY, "Run", "Pest"), "pest.exe");
    EXPECT_FALSE(MachineKeyExists(KEY_WOW64_64KEY, "Toolbar")) << "restored into the other view";
    EXPECT_EQ(MachineValue(KEY_WOW64_64KEY, "Run", "Pest"), std::nullopt) << "restored into the other view";
    EXPECT_EQ(MachineValue(KEY_WOW64_64KEY, "Run", "Keep"), "keep.exe");
    for (const BackupInfo& info : ListBackups()) {
        std::string error;
        if (std::find(before.begin(), before.end(), info.id) == before.end()) {
            EXPECT_TRUE(DeleteBackup(info, error)) << error;
        }
    }
}

TEST_F(BothHalvesPass, AnAdditionGoesToTheMachinesOwnViewOnly) {
    SetMachineValue(KEY_WOW64_32KEY, "Added", "Other", "32");
    WriteScript(R"(
        description "add"
        add value '{MKEY}\Added' "New" REG_SZ "x"
        add key '{MKEY}\NewKey'
    )");
    Scan();
    EXPECT_EQ(Rows(registry), (Table{{"Add new regsitry value", "", MachineKey() + "\\Added", "New", "String", "1"},
                                    {"Add regsitry Key", "", MachineKey() + "\\NewKey", "", "KEY", "2"}}));
    Remove();
    EXPECT_EQ(MachineValue(KEY_WOW64_64KEY, "Added", "New"), "x");
    EXPECT_FALSE(MachineValue(KEY_WOW64_32KEY, "Added", "New"));
    EXPECT_TRUE(MachineKeyExists(KEY_WOW64_64KEY, "NewKey"));
    EXPECT_FALSE(MachineKeyExists(KEY_WOW64_32KEY, "NewKey"));
}

TEST_F(BothHalvesPass, AFileNamedThroughTheSystemFolderIsAlsoFoundInTheThirtyTwoBitOne) {
    const std::string native = TestFolderIn(InfoDir.GetSystemFolder());
    const std::string wow64 = TestFolderIn(InfoDir.GetSystemWow64Folder());
    WriteFile(wow64 + "\\pest.dll", "32");
    WriteFile(native + "\\both.dll", "64");
    WriteFile(wow64 + "\\both.dll", "32");
    const std::string folder = "%system32%\\" + native.substr(native.find_last_of('\\') + 1);
    WriteScript("description \"files\"\nowner \"Pest\"\ndelete file '" + folder + "\\pest.dll'\ndelete file '" +
                folder + "\\both.dll'\n");
    Scan();
    EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", wow64 + "\\pest.dll", "*", "1"},
                                {"Erase File", "Pest", native + "\\both.dll", "*", "3"},
                                {"Erase File", "Pest", wow64 + "\\both.dll", "*", "3"}}));
    EXPECT_FALSE(Remove().hadErrors);
    for (const std::string& file : {wow64 + "\\pest.dll", native + "\\both.dll", wow64 + "\\both.dll"})
        EXPECT_FALSE(FileExists(file)) << file;
}

}  // namespace qm::test
