// The registry of the simulated machine: a tree of keys under the predefined
// roots, the handles issued for them, and the access each key refuses.
//
// Names are kept in UTF-16, as Windows keeps them, and compare without regard
// to case while keeping the spelling they were created with. Values hold any
// type and raw bytes in the form Windows stores them: string types (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) written through the ANSI calls are stored in
// UTF-16.
//
// The roots are HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS and
// HKEY_CURRENT_CONFIG. HKEY_CLASSES_ROOT is a view of
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes (as on Windows NT 4, and as on later
// systems for a user without classes of his own): a key created below one is
// found below the other.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/WinTypes.h"
#include "regfile/RegFileText.h"

namespace qm::sim {

// Windows documents 255 characters for a key name; Windows (Vista and later)
// and Wine accept 256 and refuse 257.
inline constexpr std::size_t kMaxKeyNameLength = 256;
inline constexpr std::size_t kMaxValueNameLength = 16383;
// Levels of the kernel's name of a key, "\REGISTRY" being the first: 509
// below HKEY_CURRENT_USER (\REGISTRY\USER\<SID>), as on Windows.
inline constexpr std::size_t kMaxKeyDepth = 512;

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;  // as stored: string types in UTF-16LE
    bool operator==(const RegValue&) const = default;
};

// String data as the registry stores it: UTF-16LE bytes, and back (an odd
// last byte is dropped).
using regfile::Utf16Bytes;
using regfile::Utf16Text;

// Compares two names as the registry does: case-insensitively, by their
// upper-cased UTF-16 code units (also the order RegEnumKeyEx gives).
int CompareRegNames(std::u16string_view a, std::u16string_view b);
// A name in the upper case CompareRegNames compares.
std::u16string RegUpperName(std::u16string_view name);

// One key. Its values stay in the order they were first set; its sub-keys in
// the order RegEnumKeyEx gives them (sorted by CompareRegNames).
struct RegKey {
    std::u16string name;  // as first spelled
    std::vector<std::pair<std::u16string, RegValue>> values;
    std::vector<std::shared_ptr<RegKey>> subKeys;
    FILETIME lastWrite;
    RegKey* parent = nullptr;  // null for a root and for a removed key
    bool deleted = false;      // removed from the tree; handles to it report ERROR_KEY_DELETED

    const RegValue* FindValue(std::u16string_view valueName) const;
    void SetValue(std::u16string_view valueName, RegValue value);
    bool RemoveValue(std::u16string_view valueName);
    std::shared_ptr<RegKey> FindSubKey(std::u16string_view subKeyName) const;
    // The sub-key of that name, created when missing.
    std::shared_ptr<RegKey> AddSubKey(std::u16string_view subKeyName);
};

class RegistryStore {
public:
    RegistryStore();

    // ---- Direct access, without handles, for tests and the machine loader.
    // Paths are full, root first, long or short root names in any case:
    // "HKEY_CURRENT_USER\Software\X" or "HKCU\Software\X". Text is in the
    // system code page. A path with an unknown root names no key.

    bool KeyExists(std::string_view path) const;
    // Creates the key and its missing parents; false for an unknown root or
    // a path beyond Windows' limits.
    bool CreateKey(std::string_view path);
    // Removes the key with everything below it; false when it does not exist.
    // A root itself cannot be removed (false).
    bool DeleteKey(std::string_view path);
    std::optional<RegValue> GetValue(std::string_view path, std::string_view name) const;
    // Creates the key when missing; false for an unknown root.
    bool SetValue(std::string_view path, std::string_view name, DWORD type, std::vector<BYTE> data);
    bool DeleteValue(std::string_view path, std::string_view name);
    // A string value as RegSetValueExA stores it: the text in UTF-16 with a terminator.
    bool SetString(std::string_view path, std::string_view name, std::string_view text,
                   DWORD type = REG_SZ);
    // The text of a string-type value up to its first zero, in the code page.
    std::optional<std::string> GetString(std::string_view path, std::string_view name) const;
    bool SetDword(std::string_view path, std::string_view name, DWORD value);

    // Every open or create of the key at this path that asks for any of these
    // access bits fails with ERROR_ACCESS_DENIED, and so does creating a key
    // below it when KEY_CREATE_SUB_KEY is among them; deleting it fails when
    // DELETE is. The rule belongs to the path: it holds whether or not the
    // key exists yet. Masks for the same path add up. READ_CONTROL, which
    // KEY_READ and KEY_WRITE share, is never refused.
    void RefuseAccess(std::string_view path, REGSAM mask);

    // The same in UTF-16, as the .reg file reader needs.
    static bool KnownRoot(std::u16string_view path);  // starts with a root name
    std::shared_ptr<RegKey> FindKey(std::u16string_view path) const;
    std::shared_ptr<RegKey> CreateKey(std::u16string_view path);
    bool DeleteKey(std::u16string_view path);
    // Whether a key at that path is within Windows' limits (depth, name lengths).
    bool FitsLimits(std::u16string_view path) const;

    // The stored roots with their long names, in the order regedit lists them
    // (HKEY_CLASSES_ROOT is not among them: it lives in HKEY_LOCAL_MACHINE).
    std::vector<std::pair<std::string, std::shared_ptr<const RegKey>>> Roots() const;
    // The levels of the kernel's name of a root ("\REGISTRY\MACHINE": 2).
    std::size_t RootDepth(const RegKey& root) const;

    // ---- The machinery behind SimPlatform's registry functions ----

    // What a handle stands for: its key, the access granted when it was
    // opened, and the key's full path (root spelled out) for fault rules.
    struct Opened {
        std::shared_ptr<RegKey> key;
        REGSAM granted = 0;
        std::string path;
        std::u16string ruleKey;   // where the key lives, for the refusal rules
        bool predefined = false;  // one of the root handles HKCR..HKCC
        // The path the caller named (below the stored root; HKEY_CLASSES_ROOT
        // resolved), and whether it was opened in the 32-bit view of a 64-bit
        // machine, where the key itself may lie in a Wow6432Node key.
        std::string rootName;
        std::vector<std::u16string> logical;
        bool wow32 = false;
    };
    // A predefined root or a handle this store issued; nullopt otherwise.
    std::optional<Opened> Find(HKEY handle);
    // The full path a sub-key path below an opened key names (for fault
    // rules): parts joined with "\", trailing backslashes dropped.
    static std::string JoinPath(const std::string& base, std::string_view subKey);

    // Opens (or with create, creates with its parents) the key at subKey
    // below base, checking the access each key refuses; wow32: in the 32-bit
    // view of a 64-bit machine, where redirected keys live in Wow6432Node.
    // `created` tells whether the last key was new. Gives a Win32 error code.
    LONG Open(const Opened& base, std::string_view subKey, REGSAM desired, bool create, bool wow32,
              Opened* result, bool* created);
    // The same with the sub-key's names in UTF-16 (the W calls).
    LONG Open(const Opened& base, std::u16string_view subKey, REGSAM desired, bool create, bool wow32,
              Opened* result, bool* created);
    void Issue(HKEY handle, Opened opened);
    // Releases a handle this store issued; false when it is not one of its own.
    bool CloseHandle(HANDLE handle);
    // RegDeleteKey: removes the key at subKey below base (base itself for an
    // empty subKey) when it has no sub-keys. Gives a Win32 error code.
    LONG DeleteSubKey(const Opened& base, std::string_view subKey, bool wow32);
    // The key's full name as the kernel knows it: "\REGISTRY\MACHINE\...",
    // "\REGISTRY\USER\<the user's SID>\..." for HKEY_CURRENT_USER.
    std::u16string KernelName(const RegKey& key) const;

    // Marks a key as written now.
    void Touch(RegKey& key);

private:
    // A path split into its stored root and the names below it; HKCR is
    // resolved into HKLM\SOFTWARE\Classes. Nullopt for an unknown root.
    struct Split {
        std::shared_ptr<RegKey> root;
        std::string rootName;  // long name of the stored root
        std::vector<std::u16string> names;
    };
    std::optional<Split> SplitPath(std::u16string_view path) const;
    std::shared_ptr<RegKey> Walk(const Split& split) const;
    // The refusal rules' key for a full path: the stored root's long name
    // and the names below it, upper-cased.
    static std::u16string RuleKey(std::string_view rootName, const std::vector<std::u16string>& names);
    REGSAM Refused(std::u16string_view ruleKey) const;
    std::optional<Opened> RootHandle(HKEY root);
    std::shared_ptr<RegKey> ClassesRoot() const;  // HKLM\SOFTWARE\Classes, made when missing
    static void MarkDeleted(RegKey& key);

    std::shared_ptr<RegKey> machine_;
    std::shared_ptr<RegKey> user_;
    std::shared_ptr<RegKey> users_;
    std::shared_ptr<RegKey> config_;
    std::map<std::u16string, REGSAM, std::less<>> refused_;
    std::map<HKEY, Opened> handles_;
    std::uint64_t clock_ = 0;
};

}  // namespace qm::sim
