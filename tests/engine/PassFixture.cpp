// The fixture for running compiled scripts through scan and removal passes.
#include "tests/engine/PassFixture.h"

#include <vector>

#include "tools/script/ScriptCompiler.h"

namespace qm::test {

namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

void PassTest::TearDown() {
    if (!modulePath.empty()) P().DeleteFileA(modulePath.c_str());
    Contract::TearDown();
}

std::string PassTest::WriteScript(const std::string& source) {
    std::string text = ReplaceAll(ReplaceAll(source, "{KEY}", Key()), "{DIR}", Scratch());
    if (text.find("{MKEY}") != std::string::npos) text = ReplaceAll(text, "{MKEY}", MachineKey());
    const std::vector<std::uint8_t> bytes = script::CompileScript(text, "test.qms");
    scriptPath = InScratch("test.malware");
    WriteFile(scriptPath, std::string(bytes.begin(), bytes.end()));
    return scriptPath;
}

PassResult PassTest::Scan() {
    ClearItemLists();
    return RunPass(scriptPath, true, Lists(), {}, modulePath);
}

PassResult PassTest::Remove() {
    report.Clear();
    return RunPass(scriptPath, false, Lists(), {}, modulePath, passOptions);
}

PassResult PassTest::ScanAndRemove() {
    Scan();
    return Remove();
}

std::vector<std::string> PassTest::Row(const ItemList& list, int row) {
    std::vector<std::string> texts{list.Caption(row)};
    for (int i = 0; i < list.SubItemCount(row); ++i) texts.push_back(list.SubItem(row, i));
    return texts;
}

std::vector<std::vector<std::string>> PassTest::Rows(const ItemList& list) {
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < list.RowCount(); ++row) rows.push_back(Row(list, row));
    return rows;
}

namespace {

// The bytes with two non-zero bytes behind them: the registry counts in a
// string's missing terminator when a zero follows the data in memory, and
// these tests mean the size they give.
std::vector<BYTE> Guarded(const std::string& bytes) {
    std::vector<BYTE> buffer(bytes.begin(), bytes.end());
    buffer.push_back(0xFF);
    buffer.push_back(0xFF);
    return buffer;
}

}  // namespace

std::string PassTest::FullKey(const std::string& subKey) const {
    return subKey.empty() ? ScratchKey() : ScratchKey() + "\\" + subKey;
}

void PassTest::CreateKey(const std::string& subKey) {
    HKEY key = 0;
    ASSERT_EQ(P().RegCreateKeyExA(HKCU, FullKey(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
              ERROR_SUCCESS);
    P().RegCloseKey(key);
}

void PassTest::SetValue(const std::string& subKey, const std::string& name, DWORD type, const std::string& bytes) {
    HKEY key = 0;
    ASSERT_EQ(P().RegCreateKeyExA(HKCU, FullKey(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
              ERROR_SUCCESS);
    const std::vector<BYTE> data = Guarded(bytes);
    EXPECT_EQ(P().RegSetValueExA(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    P().RegCloseKey(key);
}

void PassTest::SetRawValue(const std::string& subKey, const std::u16string& name, DWORD type,
                           const std::string& bytes) {
    HKEY key = 0;
    ASSERT_EQ(P().RegCreateKeyExA(HKCU, FullKey(subKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
              ERROR_SUCCESS);
    const std::vector<BYTE> data = Guarded(bytes);
    EXPECT_EQ(P().RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    P().RegCloseKey(key);
}

std::optional<std::pair<DWORD, std::string>> PassTest::GetValue(const std::string& subKey,
                                                                 const std::string& name) {
    HKEY key = 0;
    if (P().RegOpenKeyExA(HKCU, FullKey(subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::pair<DWORD, std::string>> result;
    if (P().RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::string bytes(size, '\0');
        if (P().RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size) ==
            ERROR_SUCCESS) {
            bytes.resize(size);
            result = std::make_pair(type, bytes);
        }
    }
    P().RegCloseKey(key);
    return result;
}

bool PassTest::KeyExists(const std::string& subKey) {
    HKEY key = 0;
    if (P().RegOpenKeyExA(HKCU, FullKey(subKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    P().RegCloseKey(key);
    return true;
}

}  // namespace qm::test
