// The key tree, handles and access rules of the simulated registry.
#include "platform/sim/RegistryStore.h"

#include <algorithm>
#include <array>

#include "platform/sim/CodePage.h"
#include "platform/sim/RegistryViews.h"

namespace qm::sim {

namespace {

// Access rights outside winreg.h's basic set.
constexpr REGSAM kGenericRead = 0x80000000u;
constexpr REGSAM kGenericWrite = 0x40000000u;
constexpr REGSAM kGenericExecute = 0x20000000u;
constexpr REGSAM kGenericAll = 0x10000000u;
constexpr REGSAM kMaximumAllowed = 0x02000000u;
constexpr REGSAM kWow64Flags = 0x0300u;  // KEY_WOW64_32KEY | KEY_WOW64_64KEY: views, not rights
// READ_CONTROL and SYNCHRONIZE: KEY_READ and KEY_WRITE share READ_CONTROL,
// so refusing it would make a write-protected key unreadable too.
constexpr REGSAM kNeverRefused = 0x00020000u | 0x00100000u;

// 2005-03-01 07:09:05 UTC, the simulated machine's clock, as a FILETIME.
constexpr std::uint64_t kEpoch = 127541345450000000ull;

// Upper case of a UTF-16 code unit, as far as names on these machines need:
// Latin-1, Latin Extended-A, Greek and Cyrillic.
char16_t Upper(char16_t c) {
    if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
    if (c == 0xFF) return 0x178;
    if (c == 0xB5) return 0x39C;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1u) ? c : static_cast<char16_t>(c - 1);
    if (c == 0x192) return 0x191;
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3C9) return static_cast<char16_t>(c - 32);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
    return c;
}

std::u16string UpperName(std::u16string_view name) {
    std::u16string upper(name);
    for (char16_t& c : upper) c = Upper(c);
    return upper;
}

struct RootName {
    std::string_view longName;
    std::string_view shortName;
    HKEY handle;
};
constexpr std::array<RootName, 5> kRootNames{{
    {"HKEY_CLASSES_ROOT", "HKCR", HKCR},
    {"HKEY_CURRENT_USER", "HKCU", HKCU},
    {"HKEY_LOCAL_MACHINE", "HKLM", HKLM},
    {"HKEY_USERS", "HKU", HKU},
    {"HKEY_CURRENT_CONFIG", "HKCC", HKCC},
}};

bool SameAscii(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

const RootName* FindRootName(std::u16string_view text) {
    for (const RootName& root : kRootNames)
        if (SameAscii(text, root.longName) || SameAscii(text, root.shortName)) return &root;
    return nullptr;
}

// Maps generic rights and MAXIMUM_ALLOWED onto key rights.
REGSAM Normalize(REGSAM desired, REGSAM refused) {
    REGSAM rights = desired & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll |
                                kMaximumAllowed | kWow64Flags);
    if (desired & (kGenericRead | kGenericExecute)) rights |= KEY_READ;
    if (desired & kGenericWrite) rights |= KEY_WRITE;
    if (desired & kGenericAll) rights |= KEY_ALL_ACCESS;
    if (desired & kMaximumAllowed) rights |= KEY_ALL_ACCESS & ~refused;
    return rights;
}

}  // namespace

std::u16string RegUpperName(std::u16string_view name) { return UpperName(name); }

int CompareRegNames(std::u16string_view a, std::u16string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = Upper(a[i]);
        const char16_t y = Upper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// ---- RegKey ----

const RegValue* RegKey::FindValue(std::u16string_view valueName) const {
    for (const auto& [existingName, value] : values)
        if (CompareRegNames(existingName, valueName) == 0) return &value;
    return nullptr;
}

void RegKey::SetValue(std::u16string_view valueName, RegValue value) {
    for (auto& [existingName, existing] : values) {
        if (CompareRegNames(existingName, valueName) == 0) {
            existing = std::move(value);
            return;
        }
    }
    values.emplace_back(std::u16string(valueName), std::move(value));
}

bool RegKey::RemoveValue(std::u16string_view valueName) {
    auto it = std::find_if(values.begin(), values.end(), [&](const auto& entry) {
        return CompareRegNames(entry.first, valueName) == 0;
    });
    if (it == values.end()) return false;
    values.erase(it);
    return true;
}

std::shared_ptr<RegKey> RegKey::FindSubKey(std::u16string_view subKeyName) const {
    auto it = std::lower_bound(subKeys.begin(), subKeys.end(), subKeyName,
                               [](const std::shared_ptr<RegKey>& key, std::u16string_view wanted) {
                                   return CompareRegNames(key->name, wanted) < 0;
                               });
    if (it != subKeys.end() && CompareRegNames((*it)->name, subKeyName) == 0) return *it;
    return nullptr;
}

std::shared_ptr<RegKey> RegKey::AddSubKey(std::u16string_view subKeyName) {
    auto it = std::lower_bound(subKeys.begin(), subKeys.end(), subKeyName,
                               [](const std::shared_ptr<RegKey>& key, std::u16string_view wanted) {
                                   return CompareRegNames(key->name, wanted) < 0;
                               });
    if (it != subKeys.end() && CompareRegNames((*it)->name, subKeyName) == 0) return *it;
    auto key = std::make_shared<RegKey>();
    key->name = std::u16string(subKeyName);
    key->parent = this;
    key->lastWrite = lastWrite;
    subKeys.insert(it, key);
    return key;
}

// ---- RegistryStore: paths ----

RegistryStore::RegistryStore()
    : machine_(std::make_shared<RegKey>()),
      user_(std::make_shared<RegKey>()),
      users_(std::make_shared<RegKey>()),
      config_(std::make_shared<RegKey>()) {
    machine_->name = u"HKEY_LOCAL_MACHINE";
    user_->name = u"HKEY_CURRENT_USER";
    users_->name = u"HKEY_USERS";
    config_->name = u"HKEY_CURRENT_CONFIG";
    for (RegKey* root : {machine_.get(), user_.get(), users_.get(), config_.get()}) Touch(*root);
    ClassesRoot();  // HKEY_CLASSES_ROOT must always open, as on any Windows
}

std::shared_ptr<RegKey> RegistryStore::ClassesRoot() const {
    auto software = machine_->AddSubKey(u"SOFTWARE");
    return software->AddSubKey(u"Classes");
}

std::optional<RegistryStore::Split> RegistryStore::SplitPath(std::u16string_view path) const {
    const size_t slash = path.find(u'\\');
    const RootName* root = FindRootName(path.substr(0, slash));
    if (!root) return std::nullopt;
    Split split;
    switch (root->handle) {
        case HKCR:
            split.root = machine_;
            split.rootName = "HKEY_LOCAL_MACHINE";
            split.names = {u"SOFTWARE", u"Classes"};
            break;
        case HKCU: split.root = user_; break;
        case HKLM: split.root = machine_; break;
        case HKU: split.root = users_; break;
        default: split.root = config_; break;
    }
    if (split.rootName.empty()) split.rootName = std::string(root->longName);
    if (slash == std::u16string_view::npos) return split;
    std::u16string_view rest = path.substr(slash + 1);
    while (!rest.empty()) {
        const size_t next = rest.find(u'\\');
        const std::u16string_view name = rest.substr(0, next);
        if (!name.empty()) split.names.emplace_back(name);
        if (next == std::u16string_view::npos) break;
        rest = rest.substr(next + 1);
    }
    return split;
}

std::shared_ptr<RegKey> RegistryStore::Walk(const Split& split) const {
    std::shared_ptr<RegKey> key = split.root;
    for (const auto& name : split.names) {
        key = key->FindSubKey(name);
        if (!key) return nullptr;
    }
    return key;
}

std::u16string RegistryStore::RuleKey(std::string_view rootName,
                                      const std::vector<std::u16string>& names) {
    std::u16string rule = AnsiToUtf16(rootName);
    for (const auto& name : names) rule += u'\\' + UpperName(name);
    return rule;
}

REGSAM RegistryStore::Refused(std::u16string_view ruleKey) const {
    if (refused_.empty()) return 0;
    auto it = refused_.find(ruleKey);
    return it == refused_.end() ? 0 : it->second;
}

bool RegistryStore::KnownRoot(std::u16string_view path) {
    return FindRootName(path.substr(0, path.find(u'\\'))) != nullptr;
}

std::shared_ptr<RegKey> RegistryStore::FindKey(std::u16string_view path) const {
    auto split = SplitPath(path);
    return split ? Walk(*split) : nullptr;
}

bool RegistryStore::FitsLimits(std::u16string_view path) const {
    auto split = SplitPath(path);
    if (!split || RootDepth(*split->root) + split->names.size() > kMaxKeyDepth) return false;
    for (const auto& name : split->names)
        if (name.size() > kMaxKeyNameLength) return false;
    return true;
}

std::shared_ptr<RegKey> RegistryStore::CreateKey(std::u16string_view path) {
    if (!FitsLimits(path)) return nullptr;
    auto split = SplitPath(path);
    std::shared_ptr<RegKey> key = split->root;
    for (const auto& name : split->names) {
        auto next = key->FindSubKey(name);
        if (!next) {
            next = key->AddSubKey(name);
            Touch(*key);
            Touch(*next);
        }
        key = next;
    }
    return key;
}

void RegistryStore::MarkDeleted(RegKey& top) {
    std::vector<RegKey*> pending{&top};  // iteratively: a tree may be as deep as Windows allows
    while (!pending.empty()) {
        RegKey& key = *pending.back();
        pending.pop_back();
        key.deleted = true;
        key.parent = nullptr;
        for (auto& sub : key.subKeys) pending.push_back(sub.get());
    }
}

bool RegistryStore::DeleteKey(std::u16string_view path) {
    auto key = FindKey(path);
    if (!key || !key->parent) return false;  // missing, or a root
    if (key == ClassesRoot()) return false;   // HKEY_CLASSES_ROOT itself
    RegKey& parent = *key->parent;
    parent.subKeys.erase(std::find(parent.subKeys.begin(), parent.subKeys.end(), key));
    Touch(parent);
    MarkDeleted(*key);
    return true;
}

std::vector<std::pair<std::string, std::shared_ptr<const RegKey>>> RegistryStore::Roots() const {
    return {{"HKEY_LOCAL_MACHINE", machine_},
            {"HKEY_CURRENT_USER", user_},
            {"HKEY_USERS", users_},
            {"HKEY_CURRENT_CONFIG", config_}};
}

std::size_t RegistryStore::RootDepth(const RegKey& root) const {
    if (&root == user_.get()) return 3;    // \REGISTRY\USER\<SID>
    if (&root == config_.get()) return 6;  // \REGISTRY\MACHINE\SYSTEM\CurrentControlSet\Hardware Profiles\Current
    return 2;                              // \REGISTRY\MACHINE, \REGISTRY\USER
}

void RegistryStore::Touch(RegKey& key) {
    const std::uint64_t time = kEpoch + ++clock_;
    key.lastWrite.dwLowDateTime = static_cast<DWORD>(time);
    key.lastWrite.dwHighDateTime = static_cast<DWORD>(time >> 32);
}

// ---- Direct access in the code page ----

bool RegistryStore::KeyExists(std::string_view path) const {
    return FindKey(AnsiToUtf16(path)) != nullptr;
}

bool RegistryStore::CreateKey(std::string_view path) {
    return CreateKey(AnsiToUtf16(path)) != nullptr;
}

bool RegistryStore::DeleteKey(std::string_view path) { return DeleteKey(AnsiToUtf16(path)); }

std::optional<RegValue> RegistryStore::GetValue(std::string_view path, std::string_view name) const {
    auto key = FindKey(AnsiToUtf16(path));
    if (!key) return std::nullopt;
    const RegValue* value = key->FindValue(AnsiToUtf16(name));
    if (!value) return std::nullopt;
    return *value;
}

bool RegistryStore::SetValue(std::string_view path, std::string_view name, DWORD type,
                             std::vector<BYTE> data) {
    auto key = CreateKey(AnsiToUtf16(path));
    if (!key) return false;
    key->SetValue(AnsiToUtf16(name), RegValue{type, std::move(data)});
    Touch(*key);
    return true;
}

bool RegistryStore::DeleteValue(std::string_view path, std::string_view name) {
    auto key = FindKey(AnsiToUtf16(path));
    if (!key || !key->RemoveValue(AnsiToUtf16(name))) return false;
    Touch(*key);
    return true;
}

bool RegistryStore::SetString(std::string_view path, std::string_view name, std::string_view text,
                              DWORD type) {
    std::u16string wide = AnsiToUtf16(text);
    wide.push_back(u'\0');
    return SetValue(path, name, type, Utf16Bytes(wide));
}

std::optional<std::string> RegistryStore::GetString(std::string_view path, std::string_view name) const {
    auto value = GetValue(path, name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ && value->type != REG_MULTI_SZ))
        return std::nullopt;
    const std::u16string wide = Utf16Text(value->data);
    return Utf16ToAnsi(std::u16string_view(wide).substr(0, wide.find(u'\0')));
}

bool RegistryStore::SetDword(std::string_view path, std::string_view name, DWORD value) {
    return SetValue(path, name, REG_DWORD,
                    {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                     static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)});
}

void RegistryStore::RefuseAccess(std::string_view path, REGSAM mask) {
    auto split = SplitPath(AnsiToUtf16(path));
    if (!split) return;
    refused_[RuleKey(split->rootName, split->names)] |= Normalize(mask, 0) & ~kNeverRefused;
}

// ---- Handles ----

std::optional<RegistryStore::Opened> RegistryStore::RootHandle(HKEY root) {
    for (const RootName& name : kRootNames) {
        if (name.handle != root) continue;
        auto split = SplitPath(AnsiToUtf16(name.longName));
        Opened opened;
        opened.key = root == HKCR ? ClassesRoot() : split->root;
        opened.path = std::string(name.longName);
        opened.ruleKey = RuleKey(split->rootName, split->names);
        opened.rootName = split->rootName;
        opened.logical = split->names;
        opened.granted = KEY_ALL_ACCESS & ~Refused(opened.ruleKey);
        opened.predefined = true;
        return opened;
    }
    return std::nullopt;
}

std::optional<RegistryStore::Opened> RegistryStore::Find(HKEY handle) {
    // Windows looks only at the low 32 bits of a predefined key.
    if (auto root = RootHandle(handle & 0xFFFFFFFFu); root && (handle >> 31) != 0) return root;
    auto it = handles_.find(handle);
    if (it == handles_.end()) return std::nullopt;
    return it->second;
}

std::string RegistryStore::JoinPath(const std::string& base, std::string_view subKey) {
    while (!subKey.empty() && subKey.back() == '\\') subKey.remove_suffix(1);
    if (subKey.empty()) return base;
    return base + "\\" + std::string(subKey);
}

LONG RegistryStore::Open(const Opened& base, std::string_view subKey, REGSAM desired, bool create, bool wow32,
                         Opened* result, bool* created) {
    return Open(base, std::u16string_view(AnsiToUtf16(subKey)), desired, create, wow32, result, created);
}

LONG RegistryStore::Open(const Opened& base, std::u16string_view subKey, REGSAM desired, bool create, bool wow32,
                         Opened* result, bool* created) {
    if (base.key->deleted) return ERROR_KEY_DELETED;
    if (!subKey.empty() && subKey.front() == u'\\') return ERROR_BAD_PATHNAME;
    while (!subKey.empty() && subKey.back() == u'\\') subKey.remove_suffix(1);

    // The names the caller means, then the ones of the key that the view
    // reaches by them.
    std::vector<std::u16string> logical = base.logical;
    for (std::u16string_view rest = subKey; !rest.empty();) {
        const size_t slash = rest.find(u'\\');
        const std::u16string_view name = rest.substr(0, slash);
        rest = slash == std::u16string_view::npos ? std::u16string_view() : rest.substr(slash + 1);
        if (name.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
        if (!name.empty()) logical.emplace_back(name);  // "A\\B" names A\B, as on Windows
    }
    const std::vector<std::u16string> physical = wow32 ? Wow32ViewNames(base.rootName, logical) : logical;
    const bool redirected = physical.size() != logical.size();

    // In the 32-bit view the path is walked from its root, as the view maps
    // it; otherwise from the base, so a handle keeps reaching its own key.
    std::shared_ptr<RegKey> key = base.key;
    std::u16string rule = base.ruleKey;
    std::size_t from = base.logical.size();
    if (wow32) {
        auto split = SplitPath(AnsiToUtf16(base.rootName));
        key = split->root;
        rule = RuleKey(base.rootName, {});
        from = 0;
    }
    // The rule key grows in place, so a walk costs as much as the path is long.
    const std::size_t rootDepth = RootDepth(*SplitPath(AnsiToUtf16(base.rootName))->root);
    bool wasCreated = false;
    for (std::size_t i = from; i < physical.size(); ++i) {
        const std::u16string& name = physical[i];
        const std::size_t parentRule = rule.size();
        rule += u'\\';
        rule += UpperName(name);
        std::shared_ptr<RegKey> next = key->FindSubKey(name);
        wasCreated = false;
        if (!next) {
            if (!create) return ERROR_FILE_NOT_FOUND;
            if (rootDepth + i + 1 > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
            if ((Refused(std::u16string_view(rule).substr(0, parentRule)) & KEY_CREATE_SUB_KEY) != 0)
                return ERROR_ACCESS_DENIED;
            if (i + 1 == physical.size() && (Normalize(desired, 0) & Refused(rule)) != 0) return ERROR_ACCESS_DENIED;
            next = key->AddSubKey(name);
            Touch(*key);
            Touch(*next);
            wasCreated = true;
        }
        key = next;
    }
    const REGSAM refused = Refused(rule);
    const REGSAM rights = Normalize(desired, refused);
    if ((rights & refused) != 0) return ERROR_ACCESS_DENIED;

    result->key = key;
    result->granted = rights;
    result->path = JoinPath(base.path, Utf16ToAnsi(subKey));
    if (redirected) {
        result->path = base.rootName;
        for (const auto& name : physical) result->path += "\\" + Utf16ToAnsi(name);
    }
    result->ruleKey = rule;
    result->predefined = false;
    result->rootName = base.rootName;
    result->logical = std::move(logical);
    result->wow32 = wow32;
    if (created) *created = wasCreated;
    return ERROR_SUCCESS;
}

std::u16string RegistryStore::KernelName(const RegKey& key) const {
    std::vector<const RegKey*> chain;
    for (const RegKey* k = &key; k != nullptr; k = k->parent) chain.push_back(k);
    const RegKey* root = chain.back();
    std::u16string name = root == machine_.get()  ? u"\\REGISTRY\\MACHINE"
                          : root == user_.get()   ? u"\\REGISTRY\\USER\\S-1-5-21-0-0-0-1000"
                          : root == users_.get()  ? u"\\REGISTRY\\USER"
                                                  : u"\\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current";
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) name += u'\\' + (*it)->name;
    return name;
}

void RegistryStore::Issue(HKEY handle, Opened opened) { handles_[handle] = std::move(opened); }

bool RegistryStore::CloseHandle(HANDLE handle) { return handles_.erase(handle) != 0; }

LONG RegistryStore::DeleteSubKey(const Opened& base, std::string_view subKey, bool wow32) {
    Opened target;
    if (LONG error = Open(base, subKey, DELETE, false, wow32, &target, nullptr)) return error;
    RegKey& key = *target.key;
    // Neither a root nor HKEY_CLASSES_ROOT can go; nor, on NT, a key with sub-keys.
    if (!key.parent || target.key == ClassesRoot() || !key.subKeys.empty()) return ERROR_ACCESS_DENIED;
    RegKey& parent = *key.parent;
    parent.subKeys.erase(std::find(parent.subKeys.begin(), parent.subKeys.end(), target.key));
    Touch(parent);
    MarkDeleted(key);
    return ERROR_SUCCESS;
}

}  // namespace qm::sim
