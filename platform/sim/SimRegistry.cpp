// The registry functions of the simulated machine: argument handling, access
// checks and the code-page conversions of the ANSI calls, over RegistryStore.
#include <algorithm>
#include <cstring>

#include "platform/sim/CodePage.h"
#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

constexpr LONG kErrorNoAccess = 998;  // ERROR_NOACCESS: data pointer missing for a non-zero size
constexpr DWORD kSecurityDescriptorSize = 20;  // an empty self-relative descriptor

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::u16string NameOf(const char* name) { return name ? AnsiToUtf16(name) : std::u16string(); }
std::u16string NameOf(const WCHAR* name) { return name ? std::u16string(name) : std::u16string(); }


// The byte count a set call really stores for string data: when the caller
// left out the terminator but one follows in memory, NT counts it in.
DWORD StringCount(DWORD type, const BYTE* data, DWORD count, DWORD unit) {
    if (!data || !IsString(type) || count < unit || count % unit != 0) return count;
    auto zero = [&](DWORD at) { return std::all_of(data + at, data + at + unit, [](BYTE b) { return b == 0; }); };
    return !zero(count - unit) && zero(count) ? count + unit : count;
}

// Copies value data to the caller as RegQueryValueEx does.
// What both query calls check before they copy: arguments, handle, access,
// and the value itself (a missing one also clears a size-only query's size).
LONG QueriedValue(const std::optional<RegistryStore::Opened>& opened, const std::u16string& name, DWORD* reserved,
                  BYTE* data, DWORD* dataSize, const RegValue*& value) {
    if ((data && !dataSize) || reserved) return ERROR_INVALID_PARAMETER;
    if (!opened) return ERROR_INVALID_HANDLE;
    if (opened->key->deleted) return ERROR_KEY_DELETED;
    if ((opened->granted & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    value = opened->key->FindValue(name);
    if (!value) {
        if (dataSize && !data) *dataSize = 0;
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

LONG CopyOut(const std::vector<BYTE>& bytes, DWORD storedType, bool terminateAnsi, DWORD* type, BYTE* data,
             DWORD* dataSize) {
    if (type) *type = storedType;
    const auto size = static_cast<DWORD>(bytes.size());
    LONG result = ERROR_SUCCESS;
    if (data) {
        if (size > *dataSize) {
            result = ERROR_MORE_DATA;
        } else {
            if (size) std::memcpy(data, bytes.data(), size);
            // The ANSI call ends unterminated string data with a zero when there is room.
            if (terminateAnsi && size > 0 && size < *dataSize && bytes.back() != 0) data[size] = 0;
        }
    }
    if (dataSize) *dataSize = size;
    return result;
}

void CopyName(const std::string& text, char* buffer) {
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
}

}  // namespace

LONG SimPlatform::OpenRegistryKey(FailableCall call, HKEY key, std::u16string_view sub, REGSAM desired,
                                  bool create, HKEY* result, DWORD* disposition) {
    auto base = registry_.Find(key);
    if (auto error = Injected(call, base ? RegistryStore::JoinPath(base->path, Utf16ToAnsi(sub)) : Utf16ToAnsi(sub))) {
        if (result) *result = 0;
        return static_cast<LONG>(*error);
    }
    if (!result || !ValidViewFlags(desired)) return ERROR_INVALID_PARAMETER;
    if (!base) return ERROR_INVALID_HANDLE;
    // A predefined key with no sub-key opens as itself.
    if (!create && base->predefined && sub.empty()) {
        *result = key;
        return ERROR_SUCCESS;
    }
    RegistryStore::Opened opened;
    bool created = false;
    if (LONG error = registry_.Open(*base, sub, desired, create, InWow32View(*base, desired), &opened, &created)) {
        *result = 0;
        return error;
    }
    *result = NewHandle();
    registry_.Issue(*result, std::move(opened));
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LONG SimPlatform::RegOpenKeyExA(HKEY key, const char* subKey, DWORD /*options*/, REGSAM desired, HKEY* result) {
    return OpenRegistryKey(FailableCall::RegOpenKeyExA, key, NameOf(subKey), desired, false, result, nullptr);
}

LONG SimPlatform::RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD /*options*/, REGSAM desired, HKEY* result) {
    return OpenRegistryKey(FailableCall::RegOpenKeyExW, key, NameOf(subKey), desired, false, result, nullptr);
}

LONG SimPlatform::RegCreateKeyExA(HKEY key, const char* subKey, DWORD /*reserved*/, char* /*keyClass*/,
                                  DWORD /*options*/, REGSAM desired, const void* /*securityAttributes*/,
                                  HKEY* result, DWORD* disposition) {
    return OpenRegistryKey(FailableCall::RegCreateKeyExA, key, NameOf(subKey), desired, true, result, disposition);
}

LONG SimPlatform::RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD /*reserved*/, WCHAR* /*keyClass*/,
                                  DWORD /*options*/, REGSAM desired, const void* /*securityAttributes*/,
                                  HKEY* result, DWORD* disposition) {
    return OpenRegistryKey(FailableCall::RegCreateKeyExW, key, NameOf(subKey), desired, true, result, disposition);
}

LONG SimPlatform::RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                                   BYTE* data, DWORD* dataSize) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegQueryValueExA, opened ? opened->path : "")) return static_cast<LONG>(*error);
    const RegValue* value = nullptr;
    if (const LONG error = QueriedValue(opened, NameOf(valueName), reserved, data, dataSize, value)) return error;
    if (!IsString(value->type)) return CopyOut(value->data, value->type, false, type, data, dataSize);
    const std::string ansi = Utf16ToAnsi(Utf16Text(value->data));
    return CopyOut(std::vector<BYTE>(ansi.begin(), ansi.end()), value->type, true, type, data, dataSize);
}

LONG SimPlatform::RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type,
                                   BYTE* data, DWORD* dataSize) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegQueryValueExW, opened ? opened->path : "")) return static_cast<LONG>(*error);
    const RegValue* value = nullptr;
    if (const LONG error = QueriedValue(opened, NameOf(valueName), reserved, data, dataSize, value)) return error;
    return CopyOut(value->data, value->type, false, type, data, dataSize);
}

LONG SimPlatform::RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type,
                                 const BYTE* data, DWORD dataSize) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegSetValueExA, opened ? opened->path : "")) return static_cast<LONG>(*error);
    if (reserved) return ERROR_INVALID_PARAMETER;
    if (!data && dataSize) return kErrorNoAccess;
    if (!opened) return ERROR_INVALID_HANDLE;
    if (opened->key->deleted) return ERROR_KEY_DELETED;
    if ((opened->granted & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (NameOf(valueName).size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
    const DWORD count = StringCount(type, data, dataSize, 1);
    RegValue value{type, {}};
    if (IsString(type)) {
        // Stored in UTF-16: every byte of the code page becomes one character.
        value.data = Utf16Bytes(AnsiToUtf16(std::string_view(reinterpret_cast<const char*>(data), count)));
    } else if (count) {
        value.data.assign(data, data + count);
    }
    opened->key->SetValue(NameOf(valueName), std::move(value));
    registry_.Touch(*opened->key);
    return ERROR_SUCCESS;
}

LONG SimPlatform::RegSetValueExW(HKEY key, const WCHAR* valueName, DWORD reserved, DWORD type,
                                 const BYTE* data, DWORD dataSize) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegSetValueExW, opened ? opened->path : "")) return static_cast<LONG>(*error);
    if (reserved) return ERROR_INVALID_PARAMETER;
    if (!data && dataSize) return kErrorNoAccess;
    if (!opened) return ERROR_INVALID_HANDLE;
    if (opened->key->deleted) return ERROR_KEY_DELETED;
    if ((opened->granted & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (NameOf(valueName).size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
    const DWORD count = StringCount(type, data, dataSize, sizeof(WCHAR));
    RegValue value{type, {}};
    if (count) value.data.assign(data, data + count);
    opened->key->SetValue(NameOf(valueName), std::move(value));
    registry_.Touch(*opened->key);
    return ERROR_SUCCESS;
}

LONG SimPlatform::RegDeleteValueA(HKEY key, const char* valueName) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegDeleteValueA, opened ? opened->path : "")) return static_cast<LONG>(*error);
    if (!opened) return ERROR_INVALID_HANDLE;
    if (opened->key->deleted) return ERROR_KEY_DELETED;
    if ((opened->granted & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (!opened->key->RemoveValue(NameOf(valueName))) return ERROR_FILE_NOT_FOUND;
    registry_.Touch(*opened->key);
    return ERROR_SUCCESS;
}

LONG SimPlatform::RegDeleteKeyA(HKEY key, const char* subKey) {
    auto base = registry_.Find(key);
    const std::string sub = subKey ? subKey : "";
    if (auto error = Injected(FailableCall::RegDeleteKeyA, base ? RegistryStore::JoinPath(base->path, sub) : sub))
        return static_cast<LONG>(*error);
    if (!base) return ERROR_INVALID_HANDLE;
    if (!subKey) return ERROR_INVALID_PARAMETER;
    return registry_.DeleteSubKey(*base, sub, InWow32View(*base, 0));
}

LONG SimPlatform::RegDeleteKeyExA(HKEY key, const char* subKey, REGSAM desired, DWORD reserved) {
    auto base = registry_.Find(key);
    const std::string sub = subKey ? subKey : "";
    if (auto error = Injected(FailableCall::RegDeleteKeyExA, base ? RegistryStore::JoinPath(base->path, sub) : sub))
        return static_cast<LONG>(*error);
    if (!base) return ERROR_INVALID_HANDLE;
    if (!subKey || reserved != 0 || !ValidViewFlags(desired)) return ERROR_INVALID_PARAMETER;
    return registry_.DeleteSubKey(*base, sub, InWow32View(*base, desired));
}

NTSTATUS SimPlatform::NtQueryKey(HKEY key, int informationClass, void* information, ULONG length,
                                 ULONG* resultLength) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::NtQueryKey, opened ? opened->path : "")) return static_cast<NTSTATUS>(*error);
    if (!opened) return kStatusInvalidHandle;
    if (opened->key->deleted) return kStatusKeyDeleted;
    // Only the key's name is simulated; the other classes describe what the
    // program never asks for.
    if (informationClass != kKeyNameInformation) return kStatusNotImplemented;
    const std::u16string name = registry_.KernelName(*opened->key);
    const ULONG nameBytes = static_cast<ULONG>(name.size() * sizeof(char16_t));
    const ULONG needed = sizeof(ULONG) + nameBytes;
    if (resultLength) *resultLength = needed;
    if (length < sizeof(ULONG) || !information) return kStatusBufferTooSmall;
    auto* bytes = static_cast<unsigned char*>(information);
    std::memcpy(bytes, &nameBytes, sizeof nameBytes);
    std::memcpy(bytes + sizeof(ULONG), name.data(), std::min(nameBytes, length - ULONG{sizeof(ULONG)}));
    return length < needed ? kStatusBufferOverflow : kStatusSuccess;
}

bool SimPlatform::InWow32View(const RegistryStore::Opened& base, REGSAM desired) const {
    if (settings_.machineBits != 64) return false;  // 32-bit Windows ignores the view flags
    if ((desired & KEY_WOW64_32KEY) != 0) return true;
    if ((desired & KEY_WOW64_64KEY) != 0) return false;
    return base.predefined ? settings_.programBits == 32 : base.wow32;
}

bool SimPlatform::ValidViewFlags(REGSAM desired) const {
    // Windows 7 and later refuse both views at once.
    return settings_.machineBits != 64 || (desired & (KEY_WOW64_32KEY | KEY_WOW64_64KEY)) !=
                                               (KEY_WOW64_32KEY | KEY_WOW64_64KEY);
}

namespace {

// What RegEnumKeyEx gives for the sub-key at an index, whatever the call's
// character width: the checks, then the key.
LONG EnumeratedSubKey(const std::optional<RegistryStore::Opened>& opened, DWORD index, const void* name,
                      const DWORD* nameSize, const DWORD* reserved, const RegKey*& sub) {
    if (!name || !nameSize || reserved) return ERROR_INVALID_PARAMETER;
    if (!opened) return ERROR_INVALID_HANDLE;
    if (opened->key->deleted) return ERROR_KEY_DELETED;
    if ((opened->granted & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
    const auto& subKeys = opened->key->subKeys;
    if (index >= subKeys.size()) return ERROR_NO_MORE_ITEMS;
    sub = subKeys[index].get();
    return ERROR_SUCCESS;
}

}  // namespace

LONG SimPlatform::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* reserved,
                                char* keyClass, DWORD* classSize, FILETIME* lastWriteTime) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegEnumKeyExA, opened ? opened->path : "")) return static_cast<LONG>(*error);
    const RegKey* sub = nullptr;
    if (LONG error = EnumeratedSubKey(opened, index, name, nameSize, reserved, sub)) return error;
    const std::string text = Utf16ToAnsi(sub->name);
    // The size counts the terminator going in and leaves it out coming back.
    if (text.size() >= *nameSize) return ERROR_MORE_DATA;
    CopyName(text, name);
    *nameSize = static_cast<DWORD>(text.size());
    if (keyClass && classSize && *classSize > 0) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (lastWriteTime) *lastWriteTime = sub->lastWrite;
    return ERROR_SUCCESS;
}

LONG SimPlatform::RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize, DWORD* reserved,
                                WCHAR* keyClass, DWORD* classSize, FILETIME* lastWriteTime) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegEnumKeyExW, opened ? opened->path : "")) return static_cast<LONG>(*error);
    const RegKey* sub = nullptr;
    if (LONG error = EnumeratedSubKey(opened, index, name, nameSize, reserved, sub)) return error;
    if (sub->name.size() >= *nameSize) return ERROR_MORE_DATA;
    std::copy(sub->name.begin(), sub->name.end(), name);
    name[sub->name.size()] = u'\0';
    *nameSize = static_cast<DWORD>(sub->name.size());
    if (keyClass && classSize && *classSize > 0) keyClass[0] = u'\0';
    if (classSize) *classSize = 0;
    if (lastWriteTime) *lastWriteTime = sub->lastWrite;
    return ERROR_SUCCESS;
}

LONG SimPlatform::RegEnumValueW(HKEY key, DWORD index, WCHAR* valueName, DWORD* valueNameSize, DWORD* reserved,
                                DWORD* type, BYTE* data, DWORD* dataSize) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegEnumValueW, opened ? opened->path : "")) return static_cast<LONG>(*error);
    if (!valueName || !valueNameSize || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    if (!opened) return ERROR_INVALID_HANDLE;
    if (opened->key->deleted) return ERROR_KEY_DELETED;
    if ((opened->granted & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    const auto& values = opened->key->values;
    if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
    const auto& [name, value] = values[index];
    if (name.size() >= *valueNameSize) return ERROR_MORE_DATA;
    std::copy(name.begin(), name.end(), valueName);
    valueName[name.size()] = u'\0';
    *valueNameSize = static_cast<DWORD>(name.size());
    // The data as stored: string types in UTF-16.
    return CopyOut(value.data, value.type, false, type, data, dataSize);
}

LONG SimPlatform::RegQueryInfoKeyA(HKEY key, char* keyClass, DWORD* classSize, DWORD* reserved,
                                   DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values,
                                   DWORD* maxValueNameLen, DWORD* maxValueLen,
                                   DWORD* securityDescriptorSize, FILETIME* lastWriteTime) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegQueryInfoKeyA, opened ? opened->path : "")) return static_cast<LONG>(*error);
    if (!opened) return ERROR_INVALID_HANDLE;
    if ((keyClass && !classSize) || reserved) return ERROR_INVALID_PARAMETER;
    if (opened->key->deleted) return ERROR_KEY_DELETED;
    if ((opened->granted & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    const RegKey& k = *opened->key;
    // Lengths are in UTF-16 characters without the terminator; data sizes
    // are the stored (UTF-16) byte counts, whichever call reads them later.
    size_t longestName = 0;
    for (const auto& sub : k.subKeys) longestName = std::max(longestName, sub->name.size());
    size_t longestValueName = 0;
    size_t longestData = 0;
    for (const auto& [valueName, value] : k.values) {
        longestValueName = std::max(longestValueName, valueName.size());
        longestData = std::max(longestData, value.data.size());
    }
    if (keyClass && *classSize > 0) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (subKeys) *subKeys = static_cast<DWORD>(k.subKeys.size());
    if (maxSubKeyLen) *maxSubKeyLen = static_cast<DWORD>(longestName);
    if (maxClassLen) *maxClassLen = 0;
    if (values) *values = static_cast<DWORD>(k.values.size());
    if (maxValueNameLen) *maxValueNameLen = static_cast<DWORD>(longestValueName);
    if (maxValueLen) *maxValueLen = static_cast<DWORD>(longestData);
    if (securityDescriptorSize) *securityDescriptorSize = kSecurityDescriptorSize;
    if (lastWriteTime) *lastWriteTime = k.lastWrite;
    return ERROR_SUCCESS;
}

LONG SimPlatform::RegCloseKey(HKEY key) {
    auto opened = registry_.Find(key);
    if (auto error = Injected(FailableCall::RegCloseKey, opened ? opened->path : "")) return static_cast<LONG>(*error);
    if (opened && opened->predefined) return ERROR_SUCCESS;  // closing a root changes nothing
    return registry_.CloseHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace qm::sim
