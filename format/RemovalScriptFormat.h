// The removal-script (".malware") format: the container's fixed pieces, the
// record types, the operation codes and the object kinds. The reader, the
// engine and the script compiler and dumper all take them from here.
//
// Container: [prefix and module] [module start, 4 bytes] magic, records,
// trailer (field 1, RecordStart). A record: tag (4), type (2), kind (2),
// then four length-prefixed fields (text 1, text 2, data 1, data 2), each
// scrambled with FieldKey (format/FieldKey.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm {

// The eight plain bytes at RecordStart.
inline constexpr char kScriptMagic[] = "-<#QZ#>-";
inline constexpr std::size_t kScriptMagicSize = 8;
// Field 1 (checked only by the module extraction) and RecordStart.
inline constexpr std::size_t kScriptTrailerSize = 8;
// A field's length is a 16-bit word.
inline constexpr std::size_t kMaxFieldSize = 0xFFFF;

// Special record types; every other type is an item record whose low byte
// is the operation and whose high byte kWideNameByte sets the wide-name flag.
inline constexpr std::uint16_t kRecordSearchFolder = 0x6666;
inline constexpr std::uint16_t kRecordModuleCall = 0x7777;
inline constexpr std::uint16_t kRecordDescription = 0x8888;
inline constexpr std::uint16_t kRecordStringTable = 0x9999;
inline constexpr std::uint16_t kRecordOwner = 0xDDDD;

// Operation codes (low byte of an item record's type).
inline constexpr std::uint8_t kOpDelete = 0x01;
inline constexpr std::uint8_t kOpChange = 0x02;
inline constexpr std::uint8_t kOpAdd = 0x03;
inline constexpr std::uint8_t kOpRename = 0x07;
inline constexpr std::uint8_t kOpRegister = 0x44;
inline constexpr std::uint8_t kOpUnregister = 0x55;
// High byte of an item record's type: value names go through the UTF-16 calls.
inline constexpr std::uint8_t kWideNameByte = 0xFF;

// Object kinds; any other kind is a registry value of that data type.
inline constexpr std::uint16_t kKindFileInText2 = 0x11;  // a file named by text 2
inline constexpr std::uint16_t kKindIniSection = 0x22;
inline constexpr std::uint16_t kKindIniValue = 0x33;
inline constexpr std::uint16_t kKindFolder = 0xAA;
inline constexpr std::uint16_t kKindFile = 0xBB;
inline constexpr std::uint16_t kKindRegKey = 0xFF;

}  // namespace qm
