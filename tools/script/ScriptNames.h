// The names that script sources give to record types, operations, kinds and
// registry data types, shared by the compiler and the dumper.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm::script {

// "delete", "change", "add", "rename", "register", "unregister".
std::optional<std::uint8_t> OperationCode(std::string_view name);
std::optional<std::string_view> OperationName(std::uint8_t code);

// "description", "owner", "search-folder", "call-module", "string-table".
std::optional<std::uint16_t> SpecialType(std::string_view name);
std::optional<std::string_view> SpecialTypeName(std::uint16_t type);

// Object kinds: "file" (0xBB), "file-text2" (0x11), "folder", "key",
// "ini-section", "ini-value".
std::optional<std::uint16_t> ObjectKind(std::string_view name);
std::optional<std::string_view> ObjectKindName(std::uint16_t kind);

// Registry data types: "REG_NONE" .. "REG_QWORD".
std::optional<std::uint16_t> RegistryType(std::string_view name);
std::optional<std::string_view> RegistryTypeName(std::uint16_t type);

// A number as the dumper writes it: "0x" and upper-case hex digits, at
// least `digits` of them.
std::string HexNumber(std::uint64_t value, int digits = 2);

}  // namespace qm::script
