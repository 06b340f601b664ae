// The removal-script container as the compiler builds it and the dumper
// finds it: the pieces of the file in their order, with every field plain
// (not scrambled). WriteContainer (ScriptWriter.h) turns it into bytes and
// DecodeContainer (ScriptDecode.h) finds it in any byte sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qm::script {

using Bytes = std::vector<std::uint8_t>;

// The eight plain bytes at RecordStart.
inline constexpr char kMagic[] = "-<#QZ#>-";
inline constexpr std::size_t kMagicSize = 8;
inline constexpr std::size_t kTrailerSize = 8;
// A field's length is a 16-bit word.
inline constexpr std::size_t kMaxFieldSize = 0xFFFF;

// Special record types; any other type is an item record.
inline constexpr std::uint16_t kTypeSearchFolder = 0x6666;
inline constexpr std::uint16_t kTypeModuleCall = 0x7777;
inline constexpr std::uint16_t kTypeDescription = 0x8888;
inline constexpr std::uint16_t kTypeStringTable = 0x9999;
inline constexpr std::uint16_t kTypeOwner = 0xDDDD;

// Operation codes: the low byte of an item record's type. A high byte of
// 0xFF sets the wide-name flag.
inline constexpr std::uint8_t kOpDelete = 0x01;
inline constexpr std::uint8_t kOpChange = 0x02;
inline constexpr std::uint8_t kOpAdd = 0x03;
inline constexpr std::uint8_t kOpRename = 0x07;
inline constexpr std::uint8_t kOpRegister = 0x44;
inline constexpr std::uint8_t kOpUnregister = 0x55;
inline constexpr std::uint8_t kWideHighByte = 0xFF;

// Kinds; every other kind is a registry value of that data type.
inline constexpr std::uint16_t kKindFileText2 = 0x11;
inline constexpr std::uint16_t kKindIniSection = 0x22;
inline constexpr std::uint16_t kKindIniValue = 0x33;
inline constexpr std::uint16_t kKindFolder = 0xAA;
inline constexpr std::uint16_t kKindFile = 0xBB;
inline constexpr std::uint16_t kKindKey = 0xFF;

// One record other than the string table.
struct Record {
    std::uint32_t tag = 0;
    std::uint16_t type = 0;
    std::uint16_t kind = 0;
    std::string text1;
    std::string text2;
    Bytes data1;
    Bytes data2;
    bool operator==(const Record&) const = default;
};

// The string-table record: its entries are stored plain, with no count and
// no end mark; the reader reads them up to the start of the trailer, so a
// string table is the last record of a script.
struct StringTable {
    std::uint32_t tag = 0;
    std::vector<std::string> entries;
    bool operator==(const StringTable&) const = default;
};

// Bytes written as they are, for anything that is not a whole record.
struct RawBytes {
    Bytes bytes;
    bool operator==(const RawBytes&) const = default;
};

using BodyItem = std::variant<Record, StringTable, RawBytes>;

// The file, in order: prefix, module and its start offset (when there is a
// module), magic, body, trailer. The trailer's two fields default to the
// module's length and to the magic's offset (RecordStart).
struct Container {
    Bytes prefix;
    std::optional<Bytes> module;
    Bytes magic = Bytes(kMagic, kMagic + kMagicSize);
    std::vector<BodyItem> body;
    bool hasTrailer = true;
    std::optional<std::uint32_t> trailerCheck;  // trailer field 1
    std::optional<std::uint32_t> recordStart;   // trailer field 2
    bool operator==(const Container&) const = default;
};

}  // namespace qm::script
