// Keys and values as .reg files, through the registry functions.
#include "engine/RegistryFiles.h"

#include <cstring>
#include <memory>
#include <vector>

#include "engine/MachineHalves.h"
#include "platform/Handles.h"
#include "platform/Platform.h"
#include "regfile/RegFileText.h"

namespace qm {

namespace {

using regfile::RegFileValue;

std::u16string ToWide(std::string_view ansi) {
    Platform& p = CurrentPlatform();
    if (ansi.empty()) return {};
    const int length = p.MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::u16string wide(static_cast<size_t>(std::max(length, 0)), u'\0');
    if (length > 0) p.MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    return wide;
}

// Only ever asked for plain ASCII text (a REGEDIT4 file is written only
// when every name and text is).
std::string ToAscii(std::u16string_view text) {
    std::string ascii;
    for (char16_t c : text) ascii += c < 0x80 ? static_cast<char>(c) : '?';
    return ascii;
}

const regfile::CodePage kCodePage{&ToWide, &ToAscii};

bool IsAscii(std::u16string_view text) {
    for (char16_t c : text)
        if (c >= 0x80) return false;
    return true;
}

struct RootName {
    HKEY key;
    const char16_t* name;
};
constexpr RootName kRoots[] = {
    {HKLM, u"HKEY_LOCAL_MACHINE"}, {HKCU, u"HKEY_CURRENT_USER"}, {HKCR, u"HKEY_CLASSES_ROOT"},
    {HKU, u"HKEY_USERS"},          {HKCC, u"HKEY_CURRENT_CONFIG"},
};

const char16_t* NameOfRoot(HKEY root) {
    for (const RootName& r : kRoots)
        if (r.key == root) return r.name;
    return nullptr;
}

// A root's kernel name. NtQueryKey does not take the predefined handles
// (Windows and Wine refuse them; the simulation does not), so the name comes
// from the root's Software key, one level down.
std::optional<std::u16string> RootIdentity(HKEY root) {
    if (auto identity = KeyIdentity(root)) return identity;
    Platform& p = CurrentPlatform();
    RegKey software;
    if (p.RegOpenKeyExA(root, "Software", 0, KEY_READ | KEY_WOW64_64KEY, software.receive(p)) != ERROR_SUCCESS)
        return std::nullopt;
    auto identity = KeyIdentity(software.get());
    const std::size_t slash = identity ? identity->rfind(u'\\') : std::u16string::npos;
    if (slash == std::u16string::npos) return std::nullopt;
    identity->resize(slash);
    return identity;
}

// Where the key lies, as the 64-bit view names it: from its kernel name when
// that shows the key elsewhere (a Wow6432Node key), else root\subKey.
std::u16string StoredPath(HKEY root, const std::string& subKey, HKEY opened, RegistryRoots& roots) {
    std::u16string logical = NameOfRoot(root);
    if (!subKey.empty()) logical += u"\\" + ToWide(subKey);
    const auto identity = KeyIdentity(opened);
    if (!identity) return logical;
    for (const HKEY candidate : {HKLM, HKCU, HKU}) {
        const auto& rootIdentity = roots.Identity(candidate);
        if (!rootIdentity || identity->size() <= rootIdentity->size() ||
            identity->compare(0, rootIdentity->size() + 1, *rootIdentity + u"\\") != 0)
            continue;
        std::u16string stored = std::u16string(NameOfRoot(candidate)) + identity->substr(rootIdentity->size());
        // The same key by its own spelling: keep the one the script gave.
        return stored.find(u"\\Wow6432Node") != std::u16string::npos ||
                       stored.find(u"\\WOW6432NODE") != std::u16string::npos
                   ? stored
                   : logical;
    }
    return logical;
}

// Opens a key of a known root for reading; false with why.
bool OpenToSave(HKEY root, const std::string& subKey, REGSAM view, RegKey& key, std::string& error) {
    Platform& p = CurrentPlatform();
    if (NameOfRoot(root) == nullptr) {
        error = "an unknown root key";
        return false;
    }
    if (p.RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | view, key.receive(p)) != ERROR_SUCCESS) {
        error = "the key cannot be read";
        return false;
    }
    return true;
}

struct KeyContents {
    std::u16string path;
    std::vector<RegFileValue> values;
};

// The values of an open key, read through the UTF-16 call.
bool ReadValues(HKEY key, std::vector<RegFileValue>& values) {
    Platform& p = CurrentPlatform();
    DWORD count = 0, longestName = 0, longestData = 0;
    if (p.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                           &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<WCHAR> name(longestName + 2);
    std::vector<BYTE> data(longestData + 2);
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameSize = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
        if (p.RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
            return false;
        values.push_back({std::u16string(name.data(), nameSize), type, std::vector<BYTE>(data.begin(), data.begin() + dataSize)});
    }
    return true;
}

std::string Write(const std::vector<KeyContents>& keys) {
    bool ascii = true;
    for (const KeyContents& key : keys) {
        ascii = ascii && IsAscii(key.path);
        for (const RegFileValue& value : key.values)
            ascii = ascii && IsAscii(value.name) &&
                    (!regfile::IsStringType(value.type) || IsAscii(regfile::Utf16Text(value.data)));
    }
    regfile::RegFileWriter writer(ascii ? regfile::RegFileFormat::Regedit4 : regfile::RegFileFormat::Version5,
                                  kCodePage);
    for (const KeyContents& key : keys) {
        writer.Key(key.path);
        for (const RegFileValue& value : key.values) writer.Value(value);
    }
    return writer.Bytes();
}

}  // namespace

std::u16string WideValueName(const std::string& name) { return ToWide(name); }

const std::optional<std::u16string>& RegistryRoots::Identity(HKEY root) {
    auto found = known_.find(root);
    if (found == known_.end()) found = known_.emplace(root, RootIdentity(root)).first;
    return found->second;
}

std::optional<std::string> KeyTreeAsRegFile(HKEY root, const std::string& subKey, REGSAM view, RegistryRoots& roots,
                                            std::string& error) {
    Platform& p = CurrentPlatform();
    RegKey top;
    if (!OpenToSave(root, subKey, view, top, error)) return std::nullopt;
    // Depth first, sub-keys in their order, without recursion.
    std::vector<KeyContents> keys;
    struct Pending {
        std::shared_ptr<RegKey> key;
        std::u16string path;
    };
    std::vector<Pending> pending{{std::make_shared<RegKey>(std::move(top)), {}}};
    pending.back().path = StoredPath(root, subKey, pending.back().key->get(), roots);
    while (!pending.empty()) {
        Pending current = std::move(pending.back());
        pending.pop_back();
        KeyContents contents{current.path, {}};
        if (!ReadValues(current.key->get(), contents.values)) {
            error = "the values of a key cannot be read";
            return std::nullopt;
        }
        keys.push_back(std::move(contents));
        std::vector<Pending> children;
        for (DWORD i = 0;; ++i) {
            WCHAR name[256];
            DWORD size = 256;
            const LONG result = p.RegEnumKeyExW(current.key->get(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (result == ERROR_NO_MORE_ITEMS) break;
            if (result != ERROR_SUCCESS) {
                error = "the sub-keys of a key cannot be listed";
                return std::nullopt;
            }
            auto child = std::make_shared<RegKey>();
            const std::u16string childName(name, size);
            if (p.RegOpenKeyExW(current.key->get(), childName.c_str(), 0, KEY_READ | view, child->receive(p)) !=
                ERROR_SUCCESS) {
                error = "a sub-key cannot be read";
                return std::nullopt;
            }
            children.push_back({child, current.path + u"\\" + childName});
        }
        for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(std::move(*it));
    }
    return Write(keys);
}

std::optional<std::string> ValueAsRegFile(HKEY root, const std::string& subKey, REGSAM view,
                                          const std::u16string& valueName, RegistryRoots& roots, std::string& error) {
    Platform& p = CurrentPlatform();
    RegKey key;
    if (!OpenToSave(root, subKey, view, key, error)) return std::nullopt;
    DWORD type = 0, size = 0;
    if (p.RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        error = "the value cannot be read";
        return std::nullopt;
    }
    std::vector<BYTE> data(size + 2);
    DWORD got = size;
    if (p.RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, data.data(), &got) != ERROR_SUCCESS) {
        error = "the value cannot be read";
        return std::nullopt;
    }
    data.resize(got);
    return Write({{StoredPath(root, subKey, key.get(), roots), {{valueName, type, std::move(data)}}}});
}

bool ApplyRegFile(std::string_view bytes, REGSAM view, std::string& error) {
    Platform& p = CurrentPlatform();
    std::vector<regfile::RegFileOperation> operations;
    try {
        operations = regfile::ParseRegFile(bytes, kCodePage);
    } catch (const regfile::RegFileError& failure) {
        error = std::string("the saved keys cannot be read: ") + failure.what();
        return false;
    }
    for (const auto& op : operations) {
        if (op.kind != regfile::RegFileOperation::kCreateKey && op.kind != regfile::RegFileOperation::kSetValue)
            continue;  // a backup only ever creates keys and sets values
        const std::size_t slash = op.path.find(u'\\');
        const std::u16string rootName = op.path.substr(0, slash);
        const std::u16string subKey = slash == std::u16string::npos ? std::u16string() : op.path.substr(slash + 1);
        HKEY root = 0;
        for (const RootName& r : kRoots)
            if (rootName == r.name) root = r.key;
        if (root == 0) {
            error = "an unknown root key in the saved keys";
            return false;
        }
        RegKey key;
        if (p.RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | view, nullptr,
                              key.receive(p), nullptr) != ERROR_SUCCESS) {
            error = "a key cannot be made again";
            return false;
        }
        if (op.kind != regfile::RegFileOperation::kSetValue) continue;
        // Windows counts in a string's missing terminator when zeros follow
        // the data in memory: two non-zero bytes behind it keep the size exact.
        std::vector<BYTE> data = op.value.data;
        data.insert(data.end(), {0xFF, 0xFF});
        if (p.RegSetValueExW(key.get(), op.value.name.c_str(), 0, op.value.type, data.data(),
                             static_cast<DWORD>(op.value.data.size())) != ERROR_SUCCESS) {
            error = "a value cannot be written again";
            return false;
        }
    }
    return true;
}

std::optional<SavedValue> ValueOfRegFile(std::string_view bytes) {
    try {
        for (const auto& op : regfile::ParseRegFile(bytes, kCodePage))
            if (op.kind == regfile::RegFileOperation::kSetValue)
                return SavedValue{op.value.name, op.value.type,
                                  std::string(op.value.data.begin(), op.value.data.end())};
    } catch (const regfile::RegFileError&) {
    }
    return std::nullopt;
}

}  // namespace qm
