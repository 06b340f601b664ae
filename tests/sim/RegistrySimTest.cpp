// The simulated registry's own controls: refused access, fault injection on
// the registry calls, direct access to the store, HKEY_CLASSES_ROOT's view.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

class RegistrySim : public ::testing::Test {
protected:
    LONG Open(HKEY root, const char* path, REGSAM access, HKEY* key) {
        return machine_.RegOpenKeyExA(root, path, 0, access, key);
    }
    LONG Create(HKEY root, const char* path, REGSAM access, HKEY* key) {
        return machine_.RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, key,
                                        nullptr);
    }

    SimPlatform machine_;
    RegistryStore& store_ = machine_.registry();
};

TEST_F(RegistrySim, RefuseAccessMakesAKeyReadableButNotWritable) {
    ASSERT_TRUE(store_.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", "v", "text"));
    store_.RefuseAccess("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", KEY_WRITE);

    HKEY key = 0;
    ASSERT_EQ(Open(HKLM, "SOFTWARE\\X", KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(machine_.RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    machine_.RegCloseKey(key);

    for (REGSAM access : {KEY_READ | KEY_WRITE, KEY_WRITE, KEY_SET_VALUE, KEY_ALL_ACCESS}) {
        key = 0x77;
        EXPECT_EQ(Open(HKLM, "software\\x", access, &key), ERROR_ACCESS_DENIED) << access;
        EXPECT_EQ(key, 0u);
        EXPECT_EQ(Create(HKLM, "SOFTWARE\\X", access, &key), ERROR_ACCESS_DENIED) << access;
    }
    // Creating below it needs KEY_CREATE_SUB_KEY, which KEY_WRITE holds.
    EXPECT_EQ(Create(HKLM, "SOFTWARE\\X\\Sub", KEY_READ, &key), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(store_.KeyExists("HKLM\\SOFTWARE\\X\\Sub"));
    // A key below it keeps its own rights.
    ASSERT_TRUE(store_.CreateKey("HKLM\\SOFTWARE\\X\\Open"));
    ASSERT_EQ(Open(HKLM, "SOFTWARE\\X\\Open", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    machine_.RegCloseKey(key);
}

TEST_F(RegistrySim, RefuseAccessHoldsBeforeTheKeyExistsAndThroughEveryRootSpelling) {
    store_.RefuseAccess("HKCR\\CLSID\\{1}", KEY_SET_VALUE);
    HKEY key = 0;
    EXPECT_EQ(Create(HKLM, "SOFTWARE\\Classes\\CLSID\\{1}", KEY_SET_VALUE, &key), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(store_.KeyExists("HKEY_CLASSES_ROOT\\CLSID\\{1}")) << "a refused create makes nothing";
    ASSERT_EQ(Create(HKCR, "CLSID\\{1}", KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    machine_.RegCloseKey(key);
    EXPECT_EQ(Open(HKLM, "SOFTWARE\\CLASSES\\clsid\\{1}", KEY_SET_VALUE, &key), ERROR_ACCESS_DENIED);
}

TEST_F(RegistrySim, RefuseAccessOnARootLimitsItsPredefinedHandle) {
    store_.RefuseAccess("HKEY_LOCAL_MACHINE", KEY_SET_VALUE);
    const BYTE data[] = {1};
    EXPECT_EQ(machine_.RegSetValueExA(HKLM, "v", 0, REG_BINARY, data, 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(machine_.RegSetValueExA(HKCU, "v", 0, REG_BINARY, data, 1), ERROR_SUCCESS);
}

TEST_F(RegistrySim, RefusedDeleteKeepsTheKey) {
    ASSERT_TRUE(store_.CreateKey("HKCU\\Software\\Kept"));
    store_.RefuseAccess("HKCU\\Software\\Kept", DELETE);
    EXPECT_EQ(machine_.RegDeleteKeyA(HKCU, "Software\\Kept"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(store_.KeyExists("HKCU\\Software\\Kept"));
}

TEST_F(RegistrySim, FaultForAPathHitsOnlyThatKeyHoweverItIsReached) {
    ASSERT_TRUE(store_.CreateKey("HKCU\\Software\\X"));
    ASSERT_TRUE(store_.CreateKey("HKCU\\Software\\Y"));
    machine_.faults().Fail("RegOpenKeyExA", ERROR_ACCESS_DENIED).ForPath("HKEY_CURRENT_USER\\Software\\X");

    HKEY key = 0x77;
    EXPECT_EQ(Open(HKCU, "software\\x", KEY_READ, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, 0u);
    ASSERT_EQ(Open(HKCU, "Software\\Y", KEY_READ, &key), ERROR_SUCCESS);
    machine_.RegCloseKey(key);
    HKEY software = 0;
    ASSERT_EQ(Open(HKCU, "Software", KEY_READ, &software), ERROR_SUCCESS);
    EXPECT_EQ(Open(software, "X\\", KEY_READ, &key), ERROR_ACCESS_DENIED);
    machine_.RegCloseKey(software);
    EXPECT_EQ(machine_.faults().Calls("RegOpenKeyExA"), 4u);
    EXPECT_EQ(machine_.faults().Triggered("RegOpenKeyExA"), 2u);
}

TEST_F(RegistrySim, FaultOnTheNthCallFailsThatCallOnly) {
    HKEY key = 0;
    ASSERT_EQ(Create(HKCU, "Software\\N", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    machine_.faults().Fail("RegSetValueExA", ERROR_CANTWRITE).OnCall(2);
    const BYTE data[] = {1, 2, 3, 4};
    EXPECT_EQ(machine_.RegSetValueExA(key, "one", 0, REG_DWORD, data, 4), ERROR_SUCCESS);
    EXPECT_EQ(machine_.RegSetValueExA(key, "two", 0, REG_DWORD, data, 4), ERROR_CANTWRITE);
    EXPECT_EQ(machine_.RegSetValueExA(key, "three", 0, REG_DWORD, data, 4), ERROR_SUCCESS);
    machine_.RegCloseKey(key);
    EXPECT_TRUE(store_.GetValue("HKCU\\Software\\N", "one"));
    EXPECT_FALSE(store_.GetValue("HKCU\\Software\\N", "two")) << "a failed call changes nothing";
    EXPECT_TRUE(store_.GetValue("HKCU\\Software\\N", "three"));
}

// Every registry call asks for faults under its own name, with the full path
// of the key it acts on.
TEST_F(RegistrySim, EveryRegistryCallConsultsFaultsWithItsKeyPath) {
    ASSERT_TRUE(store_.SetString("HKCU\\Software\\F\\Sub", "v", "x"));
    HKEY key = 0;
    ASSERT_EQ(Open(HKCU, "Software\\F", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const std::string keyPath = "HKEY_CURRENT_USER\\Software\\F";
    const BYTE data[] = {1};
    char name[32];
    DWORD size = sizeof name;
    HKEY result = 0;
    struct Case {
        const char* operation;
        std::string path;
        std::function<LONG()> call;
    };
    const std::vector<Case> cases = {
        {"RegOpenKeyExA", keyPath + "\\Sub", [&] { return Open(key, "Sub", KEY_READ, &result); }},
        {"RegCreateKeyExA", keyPath + "\\New", [&] { return Create(key, "New", KEY_READ, &result); }},
        {"RegQueryValueExA", keyPath, [&] { return machine_.RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size); }},
        {"RegQueryValueExW", keyPath, [&] { return machine_.RegQueryValueExW(key, u"v", nullptr, nullptr, nullptr, &size); }},
        {"RegSetValueExA", keyPath, [&] { return machine_.RegSetValueExA(key, "v", 0, REG_BINARY, data, 1); }},
        {"RegSetValueExW", keyPath, [&] { return machine_.RegSetValueExW(key, u"v", 0, REG_BINARY, data, 1); }},
        {"RegDeleteValueA", keyPath, [&] { return machine_.RegDeleteValueA(key, "v"); }},
        {"RegDeleteKeyA", keyPath + "\\Sub", [&] { return machine_.RegDeleteKeyA(key, "Sub"); }},
        {"RegEnumKeyExA", keyPath,
         [&] { return machine_.RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr); }},
        {"RegQueryInfoKeyA", keyPath,
         [&] {
             return machine_.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr);
         }},
        {"RegCloseKey", "HKEY_LOCAL_MACHINE", [&] { return machine_.RegCloseKey(HKLM); }},
    };
    for (const Case& c : cases) {
        machine_.faults().Clear();
        machine_.faults().Fail(c.operation, ERROR_CANTWRITE).ForPath(c.path);
        size = sizeof name;
        EXPECT_EQ(c.call(), ERROR_CANTWRITE) << c.operation;
        EXPECT_EQ(machine_.faults().Triggered(c.operation), 1u) << c.operation;
    }
    machine_.faults().Clear();
    EXPECT_TRUE(store_.KeyExists("HKCU\\Software\\F\\Sub")) << "failed calls change nothing";
    EXPECT_TRUE(store_.GetValue("HKCU\\Software\\F\\Sub", "v"));
    machine_.RegCloseKey(key);
}

TEST_F(RegistrySim, StoreGivesDirectAccessByFullPath) {
    EXPECT_FALSE(store_.KeyExists("HKCU\\Software"));
    ASSERT_TRUE(store_.SetString("HKEY_CURRENT_USER\\Software\\App", "Path", "C:\\caf\xE9"));
    EXPECT_TRUE(store_.KeyExists("hkcu\\software"));
    EXPECT_EQ(store_.GetString("HKCU\\SOFTWARE\\app", "path"), "C:\\caf\xE9");
    // Stored as RegSetValueExA stores it, so the ANSI call reads it back with its terminator.
    HKEY key = 0;
    ASSERT_EQ(Open(HKCU, "Software\\App", KEY_READ, &key), ERROR_SUCCESS);
    char text[16];
    DWORD size = sizeof text;
    ASSERT_EQ(machine_.RegQueryValueExA(key, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
    EXPECT_STREQ(text, "C:\\caf\xE9");
    machine_.RegCloseKey(key);

    ASSERT_TRUE(store_.SetDword("HKCU\\Software\\App", "", 0x01020304));
    EXPECT_EQ(store_.GetValue("HKCU\\Software\\App", ""), (RegValue{REG_DWORD, {4, 3, 2, 1}}));
    EXPECT_FALSE(store_.GetString("HKCU\\Software\\App", ""));
    EXPECT_TRUE(store_.DeleteValue("HKCU\\Software\\App", ""));
    EXPECT_FALSE(store_.DeleteValue("HKCU\\Software\\App", ""));

    EXPECT_FALSE(store_.SetString("HKEY_DYN_DATA\\X", "v", "x")) << "unknown root";
    EXPECT_FALSE(store_.DeleteKey("HKEY_CURRENT_USER")) << "a root stays";
    EXPECT_TRUE(store_.DeleteKey("HKCU\\Software"));
    EXPECT_FALSE(store_.KeyExists("HKCU\\Software\\App"));
}

TEST_F(RegistrySim, ClassesRootIsAViewOfTheMachineClasses) {
    ASSERT_TRUE(store_.CreateKey("HKEY_CLASSES_ROOT\\.txt"));
    EXPECT_TRUE(store_.KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.txt"));
    HKEY key = 0;
    ASSERT_EQ(Create(HKLM, "Software\\Classes\\CLSID", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    machine_.RegCloseKey(key);
    ASSERT_EQ(Open(HKCR, "clsid", KEY_READ, &key), ERROR_SUCCESS);
    machine_.RegCloseKey(key);
    EXPECT_EQ(machine_.RegDeleteKeyA(HKCR, ""), ERROR_ACCESS_DENIED) << "the view itself cannot go";
}

TEST_F(RegistrySim, HandleOfADeletedTreeReportsKeyDeletedBelowTheTopToo) {
    ASSERT_TRUE(store_.CreateKey("HKCU\\Software\\Top\\Below"));
    HKEY below = 0;
    ASSERT_EQ(Open(HKCU, "Software\\Top\\Below", KEY_ALL_ACCESS, &below), ERROR_SUCCESS);
    ASSERT_TRUE(store_.DeleteKey("HKCU\\Software\\Top"));
    const BYTE data[] = {1};
    EXPECT_EQ(machine_.RegSetValueExA(below, "v", 0, REG_BINARY, data, 1), ERROR_KEY_DELETED);
    EXPECT_EQ(machine_.RegCloseKey(below), ERROR_SUCCESS);
    // Created again, the key is a new one.
    ASSERT_TRUE(store_.CreateKey("HKCU\\Software\\Top\\Below"));
    EXPECT_FALSE(store_.GetValue("HKCU\\Software\\Top\\Below", "v"));
}

}  // namespace

}  // namespace qm::sim
