// Name tables of script sources.
#include "tools/script/ScriptNames.h"

#include <array>
#include <utility>

#include "tools/script/ScriptModel.h"

namespace qm::script {

namespace {

template <typename Code, std::size_t N>
using Table = std::array<std::pair<std::string_view, Code>, N>;

constexpr Table<std::uint8_t, 6> kOperations{{
    {"delete", kOpDelete},
    {"change", kOpChange},
    {"add", kOpAdd},
    {"rename", kOpRename},
    {"register", kOpRegister},
    {"unregister", kOpUnregister},
}};

constexpr Table<std::uint16_t, 5> kSpecials{{
    {"search-folder", kRecordSearchFolder},
    {"call-module", kRecordModuleCall},
    {"description", kRecordDescription},
    {"string-table", kRecordStringTable},
    {"owner", kRecordOwner},
}};

constexpr Table<std::uint16_t, 6> kKinds{{
    {"file-text2", kKindFileInText2},
    {"ini-section", kKindIniSection},
    {"ini-value", kKindIniValue},
    {"folder", kKindFolder},
    {"file", kKindFile},
    {"key", kKindRegKey},
}};

constexpr Table<std::uint16_t, 12> kRegistryTypes{{
    {"REG_NONE", 0},
    {"REG_SZ", 1},
    {"REG_EXPAND_SZ", 2},
    {"REG_BINARY", 3},
    {"REG_DWORD", 4},
    {"REG_DWORD_BIG_ENDIAN", 5},
    {"REG_LINK", 6},
    {"REG_MULTI_SZ", 7},
    {"REG_RESOURCE_LIST", 8},
    {"REG_FULL_RESOURCE_DESCRIPTOR", 9},
    {"REG_RESOURCE_REQUIREMENTS_LIST", 10},
    {"REG_QWORD", 11},
}};

template <typename Code, std::size_t N>
std::optional<Code> Find(const Table<Code, N>& table, std::string_view name) {
    for (const auto& [n, code] : table)
        if (n == name) return code;
    return std::nullopt;
}

template <typename Code, std::size_t N>
std::optional<std::string_view> FindName(const Table<Code, N>& table, Code code) {
    for (const auto& [n, c] : table)
        if (c == code) return n;
    return std::nullopt;
}

}  // namespace

std::optional<std::uint8_t> OperationCode(std::string_view name) { return Find(kOperations, name); }
std::optional<std::string_view> OperationName(std::uint8_t code) { return FindName(kOperations, code); }
std::optional<std::uint16_t> SpecialType(std::string_view name) { return Find(kSpecials, name); }
std::optional<std::string_view> SpecialTypeName(std::uint16_t type) { return FindName(kSpecials, type); }
std::optional<std::uint16_t> ObjectKind(std::string_view name) { return Find(kKinds, name); }
std::optional<std::string_view> ObjectKindName(std::uint16_t kind) { return FindName(kKinds, kind); }
std::optional<std::uint16_t> RegistryType(std::string_view name) { return Find(kRegistryTypes, name); }
std::optional<std::string_view> RegistryTypeName(std::uint16_t type) { return FindName(kRegistryTypes, type); }

std::string HexNumber(std::uint64_t value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    do {
        hex.insert(hex.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    while (static_cast<int>(hex.size()) < digits) hex.insert(hex.begin(), '0');
    return "0x" + hex;
}

}  // namespace qm::script
