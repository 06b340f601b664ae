// The registry operations: keys and values added, changed and deleted, with
// their rows in the scan pass and their report lines in the removal pass.
#include "engine/Quarn_link.h"

#include <cstring>
#include <exception>
#include <stdexcept>
#include <vector>

#include "engine/Backup.h"
#include "engine/GuardRails.h"
#include "engine/MachineHalves.h"
#include "platform/Handles.h"
#include "platform/Platform.h"
#include "regfile/RegFileText.h"

namespace qm {

namespace {

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F
constexpr DWORD kValueBufferSize = 65536;              // the size of FRegData

struct RootName {
    const char* name;
    HKEY key;
};
constexpr RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", HKCR}, {"HKCR", HKCR},   {"HKEY_CURRENT_USER", HKCU}, {"HKCU", HKCU},
    {"HKEY_LOCAL_MACHINE", HKLM}, {"HKLM", HKLM},  {"HKEY_USERS", HKU},         {"HKU", HKU},
    {"HKEY_CURRENT_CONFIG", HKCC}, {"HKCC", HKCC},
};

std::string UpperAZ(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The value's data as the operation compares and writes it: its own copy of
// the block, with a terminator counted for the three string types.
struct WriteData {
    std::vector<std::uint8_t> bytes;
    std::uint32_t count = 0;
};
WriteData MakeWriteData(std::uint16_t dataType, const std::uint8_t* data, std::uint16_t dataSize) {
    WriteData result;
    result.bytes.assign(data, data + dataSize);
    if (regfile::IsStringType(dataType)) result.bytes.push_back(0);
    result.count = static_cast<std::uint32_t>(result.bytes.size());
    // Windows counts in a string's terminator that the size left out when a
    // zero follows the data in memory; non-zero bytes behind the data make it
    // store exactly the write count.
    result.bytes.push_back(0xFF);
    result.bytes.push_back(0xFF);
    return result;
}

std::u16string WideText(const std::string& text) {
    Platform& p = CurrentPlatform();
    if (text.empty()) return {};
    const int length = p.MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string wide(static_cast<size_t>(length > 0 ? length : 0), u'\0');
    if (length > 0) p.MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// RegOpenKeyExA with the operation's access mask, in a registry view.
bool OpenKey(const RegistryPathParts& parts, REGSAM access, RegKey& key, REGSAM view = 0) {
    Platform& p = CurrentPlatform();
    return p.RegOpenKeyExA(parts.RootKey, parts.SubKey.c_str(), 0, access | view, key.receive(p)) == ERROR_SUCCESS;
}

// RegCreateKeyExA, or the root itself for an empty sub-key.
bool OpenOrCreateKey(const RegistryPathParts& parts, REGSAM access, RegKey& key, REGSAM view = 0) {
    Platform& p = CurrentPlatform();
    if (parts.SubKey.empty()) return OpenKey(parts, access, key, view);
    return p.RegCreateKeyExA(parts.RootKey, parts.SubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access | view,
                             nullptr, key.receive(p), nullptr) == ERROR_SUCCESS;
}

// The existence test: a query with no buffer, with the 8-bit name.
bool ValueExists(const RegKey& key, const std::string& valueName) {
    return CurrentPlatform().RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

LONG SetValue(const RegKey& key, const std::string& valueName, std::uint16_t dataType, const WriteData& data,
              bool wideName) {
    Platform& p = CurrentPlatform();
    if (wideName) {
        const std::u16string name = WideText(valueName);
        return p.RegSetValueExW(key.get(), name.c_str(), 0, dataType, data.bytes.data(), data.count);
    }
    return p.RegSetValueExA(key.get(), valueName.c_str(), 0, dataType, data.bytes.data(), data.count);
}

// The removal step of an addition or a change: the key opened or created,
// the value written. False for any failure ("Open Key error" included).
bool WriteValue(const RegistryPathParts& parts, const std::string& valueName, std::uint16_t dataType,
                const WriteData& data, bool wideName, REGSAM view) {
    try {
        RegKey key;
        if (!OpenOrCreateKey(parts, kReadWrite, key, view)) throw std::runtime_error("Open Key error");
        return SetValue(key, valueName, dataType, data, wideName) == ERROR_SUCCESS;
    } catch (const std::exception&) {
        return false;
    }
}

// A key path naming a root itself: nothing below it but backslashes.
bool NamesARoot(const RegistryPathParts& parts) {
    return parts.SubKey.find_first_not_of('\\') == std::string::npos;
}

// The value as it is before a write, kept in the backup with what is written.
std::optional<std::string> BackupValue(TBackup* backup, const RegistryPathParts& parts, REGSAM view,
                                       const std::string& path, const std::string& valueName, std::uint16_t dataType,
                                       const WriteData& data) {
    if (backup == nullptr) return std::nullopt;
    return backup->Value(parts.RootKey, parts.SubKey, view, path, valueName, false, dataType,
                         std::string_view(reinterpret_cast<const char*>(data.bytes.data()), data.count));
}

// The value's type and data into a 65536-byte buffer (its count alone when
// it is longer); false when the key has no such value.
bool ReadValueOf(const RegKey& key, const std::string& ValueName, bool WideName, std::uint8_t* Buffer,
                 std::uint16_t& DataType, std::uint32_t& DataSize) {
    std::memset(Buffer, 0, kValueBufferSize);
    DataSize = 0;
    if (!ValueExists(key, ValueName)) return false;
    try {
        Platform& p = CurrentPlatform();
        const std::u16string wideName = WideName ? WideText(ValueName) : std::u16string();
        auto query = [&](DWORD* type, BYTE* data, DWORD* size) {
            return WideName ? p.RegQueryValueExW(key.get(), wideName.c_str(), nullptr, type, data, size)
                            : p.RegQueryValueExA(key.get(), ValueName.c_str(), nullptr, type, data, size);
        };
        DWORD type = 0;
        DWORD size = 0;
        if (query(&type, nullptr, &size) != ERROR_SUCCESS) return true;
        DataType = static_cast<std::uint16_t>(type);
        if (size > kValueBufferSize) {
            // Longer than any script data can be: keep the count, not the data.
            DataSize = size;
            return true;
        }
        DWORD got = size;
        const LONG result = query(nullptr, Buffer, &got);
        if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) DataSize = size;
    } catch (const std::exception&) {
        DataSize = 0;
    }
    return true;
}

}  // namespace

RegistryPathParts SplitRegistryPath(const std::string& Path) {
    RegistryPathParts parts;
    parts.SubKey = Path;
    std::string rootText = Path;
    const auto slash = Path.find('\\');
    if (slash != std::string::npos && slash > 0) {
        rootText = UpperAZ(Path.substr(0, slash));
        parts.SubKey = Path.substr(slash + 1);
    }
    for (const auto& root : kRootNames)
        if (rootText == root.name) parts.RootKey = root.key;
    return parts;
}

std::string RegistryTypeName(std::uint16_t DataType) {
    switch (DataType) {
        case REG_SZ: return "String";
        case REG_EXPAND_SZ: return "Expandable String";
        case REG_BINARY: return "Binary";
        case REG_DWORD: return "Integer";
        case REG_MULTI_SZ: return "Multi-String";
        case REG_RESOURCE_LIST: return "Resource-String";
        default: return "Unknown " + std::to_string(DataType);
    }
}

bool SameRegistryData(std::uint16_t FirstType, std::uint16_t SecondType, const std::uint8_t* FirstBlock,
                      std::uint32_t FirstCount, const std::uint8_t* SecondBlock, std::uint32_t SecondCount) {
    if (FirstType != SecondType || FirstCount != SecondCount) return false;
    return FirstCount == 0 || std::memcmp(FirstBlock, SecondBlock, FirstCount) == 0;
}

void ReadRegistryValue(const std::string& Path, const std::string& ValueName, bool WideName,
                       std::uint8_t* Buffer, std::uint16_t& DataType, std::uint32_t& DataSize, REGSAM View) {
    std::memset(Buffer, 0, kValueBufferSize);
    DataSize = 0;
    try {
        RegKey key;
        if (OpenKey(SplitRegistryPath(Path), KEY_READ, key, View))
            ReadValueOf(key, ValueName, WideName, Buffer, DataType, DataSize);
    } catch (const std::exception&) {
        DataSize = 0;
    }
}

bool DeleteKeyTree(HKEY Parent, const std::string& Name, REGSAM View) {
    Platform& p = CurrentPlatform();
    {
        RegKey key;
        if (p.RegOpenKeyExA(Parent, Name.c_str(), 0, KEY_ALL_ACCESS | View, key.receive(p)) == ERROR_SUCCESS) {
            DWORD subKeys = 0;
            DWORD longest = 0;
            if (p.RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subKeys, &longest, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
                // From the highest index down, so the indexes of the rest stay put.
                for (DWORD i = subKeys; i-- > 0;) {
                    std::vector<char> name(longest + 1, '\0');
                    DWORD nameSize = longest + 1;
                    if (p.RegEnumKeyExA(key.get(), i, name.data(), &nameSize, nullptr, nullptr, nullptr,
                                        nullptr) == ERROR_SUCCESS)
                        DeleteKeyTree(key.get(), std::string(name.data(), nameSize), View);
                }
            }
        }
    }
    // Only RegDeleteKeyExA deletes in a view other than the program's own.
    if (View != 0) return p.RegDeleteKeyExA(Parent, Name.c_str(), View, 0) == ERROR_SUCCESS;
    return p.RegDeleteKeyA(Parent, Name.c_str()) == ERROR_SUCCESS;
}

std::vector<TlinkObject::OpenedKey> TlinkObject::OpenInEachView(const RegistryPathParts& parts,
                                                                REGSAM access) const {
    std::vector<OpenedKey> opened;
    if (!FBothHalves) {
        RegKey key;
        if (OpenKey(parts, access, key)) opened.push_back({kOnlyView, std::move(key)});
        return opened;
    }
    RegKey native, wow32;
    const bool in64 = OpenKey(parts, access, native, kView64.flag);
    const bool in32 = OpenKey(parts, access, wow32, kView32.flag);
    if (in64 && in32) {
        // A key both views share is one key, and one item to act on.
        const auto identity = KeyIdentity(native.get());
        if (identity && identity == KeyIdentity(wow32.get())) {
            opened.push_back({kSharedKey, std::move(native)});
            return opened;
        }
    }
    if (in64) opened.push_back({kView64, std::move(native)});
    if (in32) opened.push_back({kView32, std::move(wow32)});
    return opened;
}

std::vector<KeyView> TlinkObject::ViewsWhereKeyOpens(const RegistryPathParts& parts, REGSAM access) const {
    std::vector<KeyView> views;
    for (const OpenedKey& opened : OpenInEachView(parts, access)) views.push_back(opened.view);
    return views;
}

std::vector<KeyView> TlinkObject::CheckedRowViews(const std::string& Path) const {
    std::vector<KeyView> views;
    if (FRegistryList == nullptr) return views;
    for (const int row : FRegistryList->RowsWithLastSubItem(std::to_string(FItemNumber)))
        if (FRegistryList->SubItemCount(row) > 1)
            if (auto view = ViewOfKeyText(FRegistryList->SubItem(row, 1), Path, FBothHalves)) views.push_back(*view);
    return views;
}

KeyView TlinkObject::AddView() const { return FBothHalves ? kSharedKey : kOnlyView; }

void TlinkObject::AddRegistryKey(const std::string& Path) {
    // An addition goes to the machine's own (64-bit) view only.
    const KeyView view = AddView();
    try {
        const RegistryPathParts parts = SplitRegistryPath(Path);
        if (FScanMode) {
            RegKey key;
            if (!OpenKey(parts, kReadWrite, key, view.flag))
                AddItemRow(FRegistryList, kCategoryRegistry, "Add regsitry Key", kPictureRegistryKey, {Path, "", "KEY"});
            return;
        }
        if (!IsItemChecked(kCategoryRegistry)) return;
        if (!BackedUp(NoteCreatedKeys(parts, view.flag, Path), kCategoryRegistry, kOpAdd, "", Path)) return;
        RegKey key;
        AddReportLine(kCategoryRegistry, kOpAdd, !OpenOrCreateKey(parts, kReadWrite, key, view.flag), "", Path);
    } catch (const std::exception&) {
    }
}

void TlinkObject::DeleteRegistryKey(const std::string& Path) {
    try {
        const RegistryPathParts parts = SplitRegistryPath(Path);
        // A path naming a whole root key is never listed nor emptied.
        if (NamesARoot(parts)) return;
        const std::vector<KeyView> views = ViewsWhereKeyOpens(parts, KEY_ALL_ACCESS);
        if (!views.empty() && Refused(RegistryKeyRefusal(Path), kCategoryRegistry, kOpDelete, "", Path)) return;
        if (FScanMode) {
            for (const KeyView& view : views)
                AddItemRow(FRegistryList, kCategoryRegistry, "Delete regsitry Key", kPictureRegistryKey,
                           {Path + view.mark, "", "KEY"});
            return;
        }
        if (!IsItemChecked(kCategoryRegistry)) return;
        // In each view that a row of this item names.
        for (const KeyView& view : CheckedRowViews(Path)) {
            if (FBackup != nullptr &&
                !BackedUp(FBackup->KeyTree(parts.RootKey, parts.SubKey, view.flag, Path), kCategoryRegistry, kOpDelete,
                          "", Path + view.mark))
                continue;
            bool failed = true;
            try {
                DeleteKeyTree(parts.RootKey, parts.SubKey, view.flag);
                RegKey key;
                failed = OpenKey(parts, KEY_ALL_ACCESS, key, view.flag);
            } catch (const std::exception&) {
            }
            AddReportLine(kCategoryRegistry, kOpDelete, failed, "", Path + view.mark);
        }
    } catch (const std::exception&) {
    }
}

void TlinkObject::AddRegistryValue(const std::string& Path, const std::string& ValueName, std::uint16_t DataType,
                                   const std::uint8_t* Data, std::uint16_t DataSize, bool WideName) {
    const KeyView view = AddView();
    try {
        const RegistryPathParts parts = SplitRegistryPath(Path);
        const WriteData data = MakeWriteData(DataType, Data, DataSize);
        if (FScanMode) {
            bool listed = true;
            {
                RegKey key;
                if (OpenKey(parts, kReadWrite, key, view.flag) &&
                    ReadValueOf(key, ValueName, WideName, FRegData->data(), FRegDataType, FRegDataSize))
                    listed = !SameRegistryData(DataType, FRegDataType, data.bytes.data(), data.count,
                                               FRegData->data(), FRegDataSize);
            }
            if (listed)
                AddItemRow(FRegistryList, kCategoryRegistry, "Add new regsitry value", kPictureRegistryValue,
                           {Path, ValueName, RegistryTypeName(DataType)});
            return;
        }
        if (!IsItemChecked(kCategoryRegistry)) return;
        if (!BackedUp(NoteCreatedKeys(parts, view.flag, Path), kCategoryRegistry, kOpAdd, ValueName, Path) ||
            !BackedUp(BackupValue(FBackup, parts, view.flag, Path, ValueName, DataType, data), kCategoryRegistry, kOpAdd,
                      ValueName, Path))
            return;
        const bool written = WriteValue(parts, ValueName, DataType, data, WideName, view.flag);
        if (!written && FBackup != nullptr) FBackup->NotMade();
        AddReportLine(kCategoryRegistry, kOpAdd, !written, ValueName, Path);
    } catch (const std::exception&) {
    }
}

void TlinkObject::ChangeRegistryValue(const std::string& Path, const std::string& ValueName,
                                      std::uint16_t DataType, const std::uint8_t* NewData, std::uint16_t NewSize,
                                      const std::uint8_t* OldData, std::uint16_t OldSize, bool WideName) {
    try {
        const RegistryPathParts parts = SplitRegistryPath(Path);
        const WriteData data = MakeWriteData(DataType, NewData, NewSize);
        if (FScanMode) {
            for (const OpenedKey& opened : OpenInEachView(parts, kReadWrite)) {
                // Listed only when the value holds exactly the old data, not the new.
                const bool listed =
                    ReadValueOf(opened.key, ValueName, WideName, FRegData->data(), FRegDataType, FRegDataSize) &&
                    !SameRegistryData(DataType, FRegDataType, data.bytes.data(), data.count, FRegData->data(),
                                      FRegDataSize) &&
                    SameRegistryData(DataType, FRegDataType, OldData, OldSize, FRegData->data(), FRegDataSize);
                if (listed)
                    AddItemRow(FRegistryList, kCategoryRegistry, "Change existing regsitry value",
                               kPictureRegistryValue, {Path + opened.view.mark, ValueName, RegistryTypeName(DataType)});
            }
            return;
        }
        if (!IsItemChecked(kCategoryRegistry)) return;
        for (const KeyView& view : CheckedRowViews(Path)) {
            if (!BackedUp(BackupValue(FBackup, parts, view.flag, Path, ValueName, DataType, data), kCategoryRegistry, kOpChange,
                          ValueName, Path + view.mark))
                continue;
            const bool written = WriteValue(parts, ValueName, DataType, data, WideName, view.flag);
            if (!written && FBackup != nullptr) FBackup->NotMade();
            AddReportLine(kCategoryRegistry, kOpChange, !written, ValueName, Path + view.mark);
        }
    } catch (const std::exception&) {
    }
}

void TlinkObject::DeleteRegistryValue(const std::string& Path, const std::string& ValueName,
                                      std::uint16_t DataType, const std::uint8_t*, std::uint16_t, bool) {
    try {
        const RegistryPathParts parts = SplitRegistryPath(Path);
        if (FScanMode) {
            for (const OpenedKey& opened : OpenInEachView(parts, kReadWrite))
                if (ValueExists(opened.key, ValueName))
                    AddItemRow(FRegistryList, kCategoryRegistry, "Delete regsitry value", kPictureRegistryValue,
                               {Path + opened.view.mark, ValueName, RegistryTypeName(DataType)});
            return;
        }
        if (!IsItemChecked(kCategoryRegistry)) return;
        for (const KeyView& view : CheckedRowViews(Path)) {
            bool failed = true;
            try {
                RegKey key;
                if (!OpenKey(parts, kReadWrite, key, view.flag)) {
                    failed = false;  // the key is gone: nothing left to delete
                } else if (!ValueExists(key, ValueName)) {
                    failed = false;
                } else {
                    if (FBackup != nullptr) {
                        const auto failure = FBackup->Value(parts.RootKey, parts.SubKey, view.flag, Path, ValueName, true);
                        if (!BackedUp(failure, kCategoryRegistry, kOpDelete, ValueName, Path + view.mark)) continue;
                    }
                    CurrentPlatform().RegDeleteValueA(key.get(), ValueName.c_str());
                    failed = ValueExists(key, ValueName);
                    if (failed && FBackup != nullptr) FBackup->NotMade();
                }
            } catch (const std::exception&) {
            }
            AddReportLine(kCategoryRegistry, kOpDelete, failed, ValueName, Path + view.mark);
        }
    } catch (const std::exception&) {
    }
}

}  // namespace qm
