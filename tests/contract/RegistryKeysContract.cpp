// Contract of the registry key functions: opening, creating, closing,
// deleting, enumerating and describing keys, and the access each call needs.
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

// Closes the key it holds.
class KeyHandle {
public:
    explicit KeyHandle(Platform& platform) : platform_(platform) {}
    ~KeyHandle() { Reset(); }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY* Out() {
        Reset();
        return &key_;
    }
    HKEY get() const { return key_; }
    void Reset() {
        if (key_ != 0) platform_.RegCloseKey(key_);
        key_ = 0;
    }

private:
    Platform& platform_;
    HKEY key_ = 0;
};

class RegistryKeysContract : public Contract {
protected:
    // The scratch key's path below HKEY_CURRENT_USER, with a sub-path.
    std::string Below(const std::string& subKey) const { return ScratchKey() + "\\" + subKey; }

    LONG Open(const std::string& subKey, REGSAM access, KeyHandle& key) {
        return P().RegOpenKeyExA(HKCU, subKey.c_str(), 0, access, key.Out());
    }
    LONG Create(HKEY parent, const std::string& subKey, KeyHandle& key, DWORD* disposition = nullptr) {
        return P().RegCreateKeyExA(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                   nullptr, key.Out(), disposition);
    }
    void MakeKey(const std::string& subKey) {
        KeyHandle key(P());
        ASSERT_EQ(Create(HKCU, Below(subKey), key), ERROR_SUCCESS) << subKey;
    }
    bool Exists(const std::string& subKey) {
        KeyHandle key(P());
        return Open(Below(subKey), KEY_READ, key) == ERROR_SUCCESS;
    }
    std::vector<std::string> Names(HKEY key) {
        std::vector<std::string> names;
        for (DWORD i = 0;; ++i) {
            char name[256];
            DWORD size = sizeof name;
            const LONG result = P().RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (result != ERROR_SUCCESS) {
                EXPECT_EQ(result, ERROR_NO_MORE_ITEMS);
                break;
            }
            names.emplace_back(name, size);
        }
        return names;
    }
};

TEST_F(RegistryKeysContract, RegOpenKeyExA_MissingKeyGivesFileNotFoundAndNoHandle) {
    for (const char* missing : {"Missing", "Missing\\Deeper"}) {
        KeyHandle key(P());
        EXPECT_EQ(Open(Below(missing), KEY_READ, key), ERROR_FILE_NOT_FOUND) << missing;
        EXPECT_EQ(key.get(), 0u) << missing;
    }
    EXPECT_FALSE(Exists("Missing")) << "a failed open must not create the key";
}

TEST_F(RegistryKeysContract, RegOpenKeyExA_InvalidHandleIsRefused) {
    HKEY key = 0;
    EXPECT_EQ(P().RegOpenKeyExA(0, "Software", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryKeysContract, RegCreateKeyExA_CreatesMissingParentsAndTellsNewFromExisting) {
    KeyHandle key(P());
    DWORD disposition = 0;
    ASSERT_EQ(Create(HKCU, Below("A\\B\\C"), key, &disposition), ERROR_SUCCESS);
    EXPECT_NE(key.get(), 0u);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_TRUE(Exists("A"));
    EXPECT_TRUE(Exists("A\\B"));
    EXPECT_TRUE(Exists("A\\B\\C"));

    disposition = 0;
    ASSERT_EQ(Create(HKCU, Below("A\\B\\C"), key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    // Only the last key counts: a parent that already existed does not matter.
    ASSERT_EQ(Create(HKCU, Below("A\\D"), key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
}

TEST_F(RegistryKeysContract, RegCreateKeyExA_EmptySubKeyOpensTheGivenKeyAnew) {
    KeyHandle scratch(P());
    ASSERT_EQ(Open(ScratchKey(), KEY_ALL_ACCESS, scratch), ERROR_SUCCESS);
    KeyHandle same(P());
    DWORD disposition = 0;
    ASSERT_EQ(Create(scratch.get(), "", same, &disposition), ERROR_SUCCESS);
    EXPECT_NE(same.get(), scratch.get());
    if (IsWine()) {
        // Wine 8 reports the existing key as new.
        EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    } else {
        EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    }
    const BYTE data[] = {7};
    ASSERT_EQ(P().RegSetValueExA(same.get(), "v", 0, REG_BINARY, data, 1), ERROR_SUCCESS);
    EXPECT_EQ(P().RegQueryValueExA(scratch.get(), "v", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

TEST_F(RegistryKeysContract, RegOpenKeyExA_RootWithoutSubKeyGivesTheRootItself) {
    HKEY key = 0;
    EXPECT_EQ(P().RegOpenKeyExA(HKCU, "", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(key, HKCU);
    key = 0;
    EXPECT_EQ(P().RegOpenKeyExA(HKLM, nullptr, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(key, HKLM);
}

TEST_F(RegistryKeysContract, RegOpenKeyExA_SubKeyIsRelativeToTheGivenKey) {
    MakeKey("Parent\\Child");
    KeyHandle parent(P());
    ASSERT_EQ(Open(Below("Parent"), KEY_READ, parent), ERROR_SUCCESS);
    KeyHandle child(P());
    EXPECT_EQ(P().RegOpenKeyExA(parent.get(), "Child", 0, KEY_READ, child.Out()), ERROR_SUCCESS);
    EXPECT_EQ(P().RegOpenKeyExA(parent.get(), "Parent", 0, KEY_READ, child.Out()), ERROR_FILE_NOT_FOUND);
    // A trailing backslash is harmless, a leading one is not a relative path.
    EXPECT_EQ(P().RegOpenKeyExA(parent.get(), "Child\\", 0, KEY_READ, child.Out()), ERROR_SUCCESS);
    EXPECT_EQ(P().RegOpenKeyExA(parent.get(), "\\Child", 0, KEY_READ, child.Out()), ERROR_BAD_PATHNAME);
}

TEST_F(RegistryKeysContract, KeyNamesIgnoreCaseAndKeepTheSpellingTheyWereCreatedWith) {
    MakeKey("MixedCase");
    EXPECT_TRUE(Exists("MIXEDCASE"));
    EXPECT_TRUE(Exists("mixedcase"));
    KeyHandle key(P());
    DWORD disposition = 0;
    ASSERT_EQ(Create(HKCU, Below("mixedCASE"), key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    KeyHandle scratch(P());
    ASSERT_EQ(Open(ScratchKey(), KEY_READ, scratch), ERROR_SUCCESS);
    EXPECT_EQ(Names(scratch.get()), std::vector<std::string>{"MixedCase"});
}

TEST_F(RegistryKeysContract, RegCloseKey_RootSucceedsAndTheRootStaysUsable) {
    EXPECT_EQ(P().RegCloseKey(HKCU), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(""));
    HKEY key = 0;
    ASSERT_EQ(P().RegOpenKeyExA(HKCU, ScratchKey().c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(P().RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(P().RegCloseKey(key), ERROR_INVALID_HANDLE) << "a handle closes once";
    EXPECT_EQ(P().RegCloseKey(0), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryKeysContract, RegDeleteKeyA_RemovesOnlyKeysWithoutSubKeys) {
    MakeKey("Tree\\Leaf");
    KeyHandle scratch(P());
    ASSERT_EQ(Open(ScratchKey(), KEY_READ, scratch), ERROR_SUCCESS);
    // The NT family refuses a key that still has sub-keys.
    EXPECT_EQ(P().RegDeleteKeyA(scratch.get(), "Tree"), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Exists("Tree\\Leaf"));
    // The parent handle's own access does not matter (it was opened for reading).
    EXPECT_EQ(P().RegDeleteKeyA(scratch.get(), "TREE\\leaf"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists("Tree\\Leaf"));
    EXPECT_EQ(P().RegDeleteKeyA(scratch.get(), "Tree"), ERROR_SUCCESS);
    EXPECT_FALSE(Exists("Tree"));
    EXPECT_EQ(P().RegDeleteKeyA(scratch.get(), "Tree"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKeysContract, RegDeleteKeyA_EmptySubKeyRemovesTheKeyOfTheHandle) {
    MakeKey("Self");
    KeyHandle self(P());
    ASSERT_EQ(Open(Below("Self"), KEY_ALL_ACCESS, self), ERROR_SUCCESS);
    EXPECT_EQ(P().RegDeleteKeyA(self.get(), ""), ERROR_SUCCESS);
    EXPECT_FALSE(Exists("Self"));
}

TEST_F(RegistryKeysContract, HandleOfAKeyDeletedMeanwhileReportsKeyDeleted) {
    MakeKey("Gone");
    KeyHandle gone(P());
    ASSERT_EQ(Open(Below("Gone"), KEY_ALL_ACCESS, gone), ERROR_SUCCESS);
    ASSERT_EQ(P().RegDeleteKeyA(HKCU, Below("Gone").c_str()), ERROR_SUCCESS);

    const BYTE data[] = {1};
    DWORD size = 0;
    char name[16];
    DWORD nameSize = sizeof name;
    DWORD subKeys = 0;
    KeyHandle child(P());
    EXPECT_EQ(P().RegSetValueExA(gone.get(), "v", 0, REG_BINARY, data, 1), ERROR_KEY_DELETED);
    EXPECT_EQ(P().RegQueryValueExA(gone.get(), "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(P().RegDeleteValueA(gone.get(), "v"), ERROR_KEY_DELETED);
    EXPECT_EQ(P().RegEnumKeyExA(gone.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(P().RegQueryInfoKeyA(gone.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    EXPECT_EQ(Create(gone.get(), "Child", child), ERROR_KEY_DELETED);
    EXPECT_FALSE(Exists("Gone"));
}

// Which calls a handle allows follows the access it was opened with.
TEST_F(RegistryKeysContract, EachCallNeedsItsAccessRight) {
    MakeKey("Sub");
    {
        KeyHandle key(P());
        ASSERT_EQ(Open(ScratchKey(), KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        const BYTE data[] = {1, 2};
        ASSERT_EQ(P().RegSetValueExA(key.get(), "v", 0, REG_BINARY, data, 2), ERROR_SUCCESS);
    }
    struct Case {
        const char* name;
        REGSAM access;
        LONG query, set, remove, enumerate, info;
    };
    const Case cases[] = {
        {"KEY_READ", KEY_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_SUCCESS},
        {"KEY_WRITE", KEY_WRITE, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_ACCESS_DENIED,
         ERROR_ACCESS_DENIED},
        {"KEY_QUERY_VALUE", KEY_QUERY_VALUE, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
         ERROR_ACCESS_DENIED, ERROR_SUCCESS},
        {"KEY_SET_VALUE", KEY_SET_VALUE, ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_ACCESS_DENIED,
         ERROR_ACCESS_DENIED},
        {"KEY_ENUMERATE_SUB_KEYS", KEY_ENUMERATE_SUB_KEYS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
         ERROR_ACCESS_DENIED, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeyHandle key(P());
        ASSERT_EQ(Open(ScratchKey(), c.access, key), ERROR_SUCCESS);
        DWORD size = 0;
        EXPECT_EQ(P().RegQueryValueExA(key.get(), "v", nullptr, nullptr, nullptr, &size), c.query);
        const BYTE data[] = {3};
        EXPECT_EQ(P().RegSetValueExA(key.get(), "w", 0, REG_BINARY, data, 1), c.set);
        EXPECT_EQ(P().RegDeleteValueA(key.get(), "w"), c.remove);
        char name[16];
        DWORD nameSize = sizeof name;
        EXPECT_EQ(P().RegEnumKeyExA(key.get(), 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), c.enumerate);
        DWORD subKeys = 0;
        const LONG info = P().RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                               nullptr, nullptr, nullptr, nullptr, nullptr);
        if (IsWine()) {
            // Windows documents that the handle needs KEY_QUERY_VALUE; Wine asks for nothing.
            EXPECT_EQ(info, ERROR_SUCCESS);
        } else {
            EXPECT_EQ(info, c.info);
        }
    }
}

TEST_F(RegistryKeysContract, RegCreateKeyExA_IgnoresTheAccessOfTheParentHandle) {
    KeyHandle reader(P());
    ASSERT_EQ(Open(ScratchKey(), KEY_READ, reader), ERROR_SUCCESS);
    KeyHandle child(P());
    EXPECT_EQ(Create(reader.get(), "Child", child), ERROR_SUCCESS);
    EXPECT_TRUE(Exists("Child"));
}

TEST_F(RegistryKeysContract, RegEnumKeyExA_GivesNamesSortedIgnoringCaseThenNoMoreItems) {
    for (const char* name : {"beta", "_under", "Zeta", "Alpha", "10", "gamma", "a b"}) MakeKey(name);
    KeyHandle scratch(P());
    ASSERT_EQ(Open(ScratchKey(), KEY_READ, scratch), ERROR_SUCCESS);
    if (IsWine()) {
        // Wine orders by lower-cased code units, so '_' comes before the letters.
        const std::vector<std::string> wine{"10", "_under", "a b", "Alpha", "beta", "gamma", "Zeta"};
        EXPECT_EQ(Names(scratch.get()), wine);
    } else {
        // Windows keeps sub-keys sorted by their upper-cased code units: ' ' < '1' < 'A'..'Z' < '_'.
        const std::vector<std::string> windows{"10", "a b", "Alpha", "beta", "gamma", "Zeta", "_under"};
        EXPECT_EQ(Names(scratch.get()), windows);
    }
    char name[16];
    DWORD size = sizeof name;
    EXPECT_EQ(P().RegEnumKeyExA(scratch.get(), 99, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryKeysContract, RegEnumKeyExA_NameSizeCountsTheTerminatorInButNotOut) {
    MakeKey("Seven77");
    KeyHandle scratch(P());
    ASSERT_EQ(Open(ScratchKey(), KEY_READ, scratch), ERROR_SUCCESS);
    char name[16];
    std::memset(name, 'x', sizeof name);
    DWORD size = 8;  // the name and its terminator exactly
    FILETIME written;
    ASSERT_EQ(P().RegEnumKeyExA(scratch.get(), 0, name, &size, nullptr, nullptr, nullptr, &written), ERROR_SUCCESS);
    EXPECT_EQ(size, 7u);
    EXPECT_STREQ(name, "Seven77");
    EXPECT_NE(written.dwHighDateTime, 0u);

    std::memset(name, 'x', sizeof name);
    size = 7;  // no room for the terminator
    EXPECT_EQ(P().RegEnumKeyExA(scratch.get(), 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u) << "the size is left as it was";
}

TEST_F(RegistryKeysContract, RegQueryInfoKeyA_CountsKeysAndValuesAndGivesTheLongestLengths) {
    KeyHandle scratch(P());
    ASSERT_EQ(Open(ScratchKey(), KEY_ALL_ACCESS, scratch), ERROR_SUCCESS);
    DWORD subKeys = 9, maxSubKeyLen = 9, maxClassLen = 9, values = 9, maxValueNameLen = 9, maxValueLen = 9;
    auto query = [&] {
        return P().RegQueryInfoKeyA(scratch.get(), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, &maxClassLen,
                                    &values, &maxValueNameLen, &maxValueLen, nullptr, nullptr);
    };
    ASSERT_EQ(query(), ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(maxSubKeyLen, 0u);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(maxValueNameLen, 0u);
    EXPECT_EQ(maxValueLen, 0u);

    MakeKey("Short");
    MakeKey("LongerName");
    MakeKey("LongerName\\Deeper\\NotCountedAtAll");
    const char text[] = "second value data";  // 18 bytes with its terminator
    const BYTE binary[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(P().RegSetValueExA(scratch.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
              ERROR_SUCCESS);
    ASSERT_EQ(P().RegSetValueExA(scratch.get(), "value one", 0, REG_BINARY, binary, 10), ERROR_SUCCESS);
    ASSERT_EQ(query(), ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSubKeyLen, 10u) << "without the terminator";
    EXPECT_EQ(maxClassLen, 0u);
    EXPECT_EQ(values, 2u) << "the default value counts";
    EXPECT_EQ(maxValueNameLen, 9u);
    // Strings are stored in UTF-16, and the longest data is given as stored.
    EXPECT_EQ(maxValueLen, 36u);

    const std::vector<BYTE> large(40, 0xAB);
    ASSERT_EQ(P().RegSetValueExA(scratch.get(), "bin", 0, REG_BINARY, large.data(), 40), ERROR_SUCCESS);
    ASSERT_EQ(query(), ERROR_SUCCESS);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(maxValueLen, 40u);
}

}  // namespace

}  // namespace qm::test
