// Contract of the registry value functions: the sizes the query calls give,
// what the ANSI and UTF-16 calls store and convert, the default value, and
// deleting values.
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

using Bytes = std::vector<BYTE>;

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

// An ASCII name as UTF-16.
std::u16string U(const char* ascii) { return std::u16string(ascii, ascii + std::strlen(ascii)); }

Bytes W(std::u16string_view text) {
    Bytes bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

class RegistryValuesContract : public Contract {
protected:
    void SetUp() override {
        Contract::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(P().RegOpenKeyExA(HKCU, ScratchKey().c_str(), 0, KEY_READ | KEY_WRITE, &key_), ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key_ != 0) P().RegCloseKey(key_);
        Contract::TearDown();
    }

    LONG SetA(const char* name, DWORD type, const Bytes& data) {
        return P().RegSetValueExA(key_, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    }
    LONG SetW(const char16_t* name, DWORD type, const Bytes& data) {
        return P().RegSetValueExW(key_, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    }
    // The value as RegQueryValueExA gives it, read with a buffer of its reported size.
    Bytes GetA(const char* name, DWORD* type = nullptr) {
        DWORD size = 0;
        EXPECT_EQ(P().RegQueryValueExA(key_, name, nullptr, type, nullptr, &size), ERROR_SUCCESS) << name;
        Bytes data(size + 1, 0xBD);
        EXPECT_EQ(P().RegQueryValueExA(key_, name, nullptr, type, data.data(), &size), ERROR_SUCCESS) << name;
        data.resize(size);
        return data;
    }
    Bytes GetW(const char16_t* name, DWORD* type = nullptr) {
        DWORD size = 0;
        EXPECT_EQ(P().RegQueryValueExW(key_, name, nullptr, type, nullptr, &size), ERROR_SUCCESS);
        Bytes data(size + 2, 0xBD);
        EXPECT_EQ(P().RegQueryValueExW(key_, name, nullptr, type, data.data(), &size), ERROR_SUCCESS);
        data.resize(size);
        return data;
    }
    DWORD SizeA(const char* name) {
        DWORD size = 0xDEAD;
        EXPECT_EQ(P().RegQueryValueExA(key_, name, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS) << name;
        return size;
    }

    HKEY key_ = 0;
};

TEST_F(RegistryValuesContract, RegQueryValueExA_WithoutBufferGivesTypeAndSizeOnly) {
    struct Case {
        const char* name;
        DWORD type;
        Bytes data;
    };
    const Case cases[] = {
        {"text", REG_SZ, B(std::string_view("abc\0", 4))},
        {"number", REG_DWORD, {1, 2, 3, 4}},
        {"bytes", REG_BINARY, {9, 8, 7}},
        {"empty", REG_BINARY, {}},
        {"odd type", 0x4711, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SetA(c.name, c.type, c.data), ERROR_SUCCESS) << c.name;
        DWORD type = 0xDEAD;
        DWORD size = 0xDEAD;
        EXPECT_EQ(P().RegQueryValueExA(key_, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(size, c.data.size()) << c.name;
        // The existence test: neither type nor size asked for.
        EXPECT_EQ(P().RegQueryValueExA(key_, c.name, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(GetA(c.name), c.data) << c.name;
    }
}

TEST_F(RegistryValuesContract, RegQueryValueExA_MissingValueGivesFileNotFound) {
    DWORD size = 0xDEAD;
    EXPECT_EQ(P().RegQueryValueExA(key_, "missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u) << "without a buffer the size is cleared";
    BYTE buffer[8];
    size = sizeof buffer;
    EXPECT_EQ(P().RegQueryValueExA(key_, "missing", nullptr, nullptr, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, sizeof buffer) << "with a buffer the size is left alone";
    EXPECT_EQ(P().RegQueryValueExA(key_, "missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(P().RegQueryValueExW(key_, u"missing", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryValuesContract, RegQueryValueExA_SmallBufferGivesMoreDataAndTheSizeNeeded) {
    struct Case {
        const char* name;
        DWORD type;
        Bytes data;
        DWORD buffer;
    };
    const Case cases[] = {
        // String data: the size needed is that of the ANSI text, terminator included.
        {"text", REG_SZ, B(std::string_view("abcdef\0", 7)), 3},
        {"text, no room for the terminator", REG_SZ, B(std::string_view("abcdef\0", 7)), 6},
        {"multi", REG_MULTI_SZ, B(std::string_view("ab\0cd\0\0", 7)), 1},
        {"number", REG_DWORD, {1, 2, 3, 4}, 2},
        {"bytes", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}, 0},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SetA(c.name, c.type, c.data), ERROR_SUCCESS) << c.name;
        BYTE buffer[16];
        DWORD size = c.buffer;
        DWORD type = 0xDEAD;
        EXPECT_EQ(P().RegQueryValueExA(key_, c.name, nullptr, &type, buffer, &size), ERROR_MORE_DATA) << c.name;
        EXPECT_EQ(size, c.data.size()) << c.name;
        EXPECT_EQ(type, c.type) << c.name;

        size = static_cast<DWORD>(c.data.size());  // exactly enough
        EXPECT_EQ(P().RegQueryValueExA(key_, c.name, nullptr, nullptr, buffer, &size), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(Bytes(buffer, buffer + size), c.data) << c.name;
    }
}

TEST_F(RegistryValuesContract, RegQueryValueExW_SmallBufferGivesMoreDataAndTheStoredSize) {
    ASSERT_EQ(SetA("text", REG_SZ, B(std::string_view("abc\0", 4))), ERROR_SUCCESS);
    BYTE buffer[16];
    DWORD size = 4;
    EXPECT_EQ(P().RegQueryValueExW(key_, u"text", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    size = 8;
    EXPECT_EQ(P().RegQueryValueExW(key_, u"text", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(Bytes(buffer, buffer + 8), W(std::u16string_view(u"abc\0", 4)));
}

TEST_F(RegistryValuesContract, EmptyValueNameIsTheDefaultValue) {
    EXPECT_EQ(P().RegQueryValueExA(key_, "", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND)
        << "a new key has no default value";
    ASSERT_EQ(SetA("", REG_SZ, B(std::string_view("dflt\0", 5))), ERROR_SUCCESS);
    EXPECT_EQ(GetA(nullptr), B(std::string_view("dflt\0", 5)));
    EXPECT_EQ(GetW(nullptr), W(std::u16string_view(u"dflt\0", 5)));
    EXPECT_EQ(GetW(u""), W(std::u16string_view(u"dflt\0", 5)));
    ASSERT_EQ(SetW(nullptr, REG_DWORD, {5, 0, 0, 0}), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(GetA("", &type), (Bytes{5, 0, 0, 0}));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(P().RegDeleteValueA(key_, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(P().RegQueryValueExA(key_, "", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryValuesContract, ValueNamesIgnoreCase) {
    ASSERT_EQ(SetA("Name", REG_BINARY, {1}), ERROR_SUCCESS);
    ASSERT_EQ(SetA("NAME", REG_BINARY, {2}), ERROR_SUCCESS);
    EXPECT_EQ(GetA("name"), Bytes{2});
    EXPECT_EQ(GetW(u"nAmE"), Bytes{2});
}

// The ANSI calls convert the three string types between the code page and
// the UTF-16 the registry keeps; the UTF-16 calls and every other type pass
// bytes unchanged.
TEST_F(RegistryValuesContract, AnsiCallsConvertStringTypesAndWideCallsPassBytes) {
    struct Case {
        const char* name;
        DWORD type;
        Bytes ansi;
        Bytes wide;
    };
    const Case cases[] = {
        {"sz", REG_SZ, B(std::string_view("caf\xE9\0", 5)), W(std::u16string_view(u"caf\u00E9\0", 5))},
        {"expand", REG_EXPAND_SZ, B(std::string_view("%windir%\\x\0", 11)),
         W(std::u16string_view(u"%windir%\\x\0", 11))},
        {"multi", REG_MULTI_SZ, B(std::string_view("a\0\x80\0\0", 5)), W(std::u16string_view(u"a\0\u20AC\0\0", 5))},
        {"empty sz", REG_SZ, B(std::string_view("\0", 1)), W(std::u16string_view(u"\0", 1))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(SetA(c.name, c.type, c.ansi), ERROR_SUCCESS);
        EXPECT_EQ(GetW(U(c.name).c_str()), c.wide);
        EXPECT_EQ(GetA(c.name), c.ansi);
        ASSERT_EQ(SetW(U(c.name).c_str(), c.type, c.wide), ERROR_SUCCESS);
        EXPECT_EQ(GetA(c.name), c.ansi);
        EXPECT_EQ(GetW(U(c.name).c_str()), c.wide);
    }
    // Other types: the same bytes through either call.
    const Bytes raw = B(std::string_view("ab\0\xE9", 4));
    ASSERT_EQ(SetA("binary", REG_BINARY, raw), ERROR_SUCCESS);
    EXPECT_EQ(GetW(u"binary"), raw);
    ASSERT_EQ(SetW(u"odd type", 11, raw), ERROR_SUCCESS);
    EXPECT_EQ(GetA("odd type"), raw);
}

TEST_F(RegistryValuesContract, RegQueryValueExA_CharacterOutsideTheCodePageBecomesQuestionMark) {
    ASSERT_EQ(SetW(u"cjk", REG_SZ, W(std::u16string_view(u"a\u4E00b\0", 4))), ERROR_SUCCESS);
    EXPECT_EQ(GetA("cjk"), B(std::string_view("a?b\0", 4)));
}

// The program compares these sizes: what RegQueryValueExA reports for string
// data set with and without a terminator.
TEST_F(RegistryValuesContract, RegSetValueExA_StringWithoutTerminator) {
    const char full[] = "FullString";  // 10 characters, then a zero in memory

    // The terminator is left out of the count but follows in memory: NT counts it in.
    ASSERT_EQ(P().RegSetValueExA(key_, "counted", 0, REG_SZ, reinterpret_cast<const BYTE*>(full), 10),
              ERROR_SUCCESS);
    EXPECT_EQ(SizeA("counted"), 11u);
    EXPECT_EQ(GetW(u"counted").size(), 22u);
    BYTE buffer[16];
    DWORD size = 10;
    EXPECT_EQ(P().RegQueryValueExA(key_, "counted", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);

    // Nothing but data follows: stored without a terminator.
    ASSERT_EQ(P().RegSetValueExA(key_, "bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(full), 9), ERROR_SUCCESS);
    EXPECT_EQ(SizeA("bare"), 9u);
    EXPECT_EQ(GetW(u"bare").size(), 18u);
    // Read into a buffer of exactly that size: nine bytes, nothing after them.
    std::memset(buffer, 0xBD, sizeof buffer);
    size = 9;
    EXPECT_EQ(P().RegQueryValueExA(key_, "bare", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(std::memcmp(buffer, "FullStrin", 9), 0);
    EXPECT_EQ(buffer[9], 0xBD);
    // With room to spare the ANSI call adds a terminator, and still reports nine.
    std::memset(buffer, 0xBD, sizeof buffer);
    size = sizeof buffer;
    EXPECT_EQ(P().RegQueryValueExA(key_, "bare", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(buffer[9], 0);

    // A zero count stores empty data.
    ASSERT_EQ(P().RegSetValueExA(key_, "zero", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 0), ERROR_SUCCESS);
    EXPECT_EQ(SizeA("zero"), 0u);
    EXPECT_EQ(GetW(u"zero").size(), 0u);
}

TEST_F(RegistryValuesContract, RegSetValueExW_StringWithoutTerminatorInItsCount) {
    const char16_t text[] = u"abc";  // a zero character follows in memory
    ASSERT_EQ(P().RegSetValueExW(key_, u"w", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 6), ERROR_SUCCESS);
    EXPECT_EQ(GetW(u"w"), W(std::u16string_view(u"abc\0", 4)));
    EXPECT_EQ(SizeA("w"), 4u);
    // Binary data is taken as counted.
    ASSERT_EQ(P().RegSetValueExW(key_, u"b", 0, REG_BINARY, reinterpret_cast<const BYTE*>(text), 6), ERROR_SUCCESS);
    EXPECT_EQ(GetW(u"b").size(), 6u);
}

TEST_F(RegistryValuesContract, RegDeleteValueA_RemovesTheValueOnce) {
    ASSERT_EQ(SetA("gone", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    ASSERT_EQ(SetA("kept", REG_DWORD, {2, 0, 0, 0}), ERROR_SUCCESS);
    EXPECT_EQ(P().RegDeleteValueA(key_, "GONE"), ERROR_SUCCESS);
    EXPECT_EQ(P().RegQueryValueExA(key_, "gone", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(P().RegDeleteValueA(key_, "gone"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetA("kept"), (Bytes{2, 0, 0, 0}));
}

TEST_F(RegistryValuesContract, RegSetValueExA_ReplacesTypeAndData) {
    ASSERT_EQ(SetA("v", REG_SZ, B(std::string_view("long text\0", 10))), ERROR_SUCCESS);
    ASSERT_EQ(SetA("v", REG_BINARY, {1}), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(GetA("v", &type), Bytes{1});
    EXPECT_EQ(type, REG_BINARY);
}

}  // namespace

}  // namespace qm::test
