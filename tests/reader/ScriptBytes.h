// A tiny byte builder for removal scripts, for the reader's tests that need
// exact or damaged bytes: scrambled fields, records, string tables, a module
// in front of the record area and the trailer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "format/FieldKey.h"

namespace qm::test {

inline std::string Le16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

inline std::string Le32(std::uint32_t value) { return Le16(value & 0xFFFF) + Le16(static_cast<std::uint16_t>(value >> 16)); }

// A field as a script writer stores it: the n-th byte (from 1) XOR FieldKey[n mod 260].
inline std::string Scrambled(std::string_view plain) {
    std::string stored(plain);
    for (std::size_t i = 0; i < stored.size(); ++i)
        stored[i] = static_cast<char>(static_cast<std::uint8_t>(stored[i]) ^ FieldKey[(i + 1) % kFieldKeySize]);
    return stored;
}

// One field: its 16-bit length and its scrambled bytes.
inline std::string Field(std::string_view plain) {
    return Le16(static_cast<std::uint16_t>(plain.size())) + Scrambled(plain);
}

struct Rec {
    std::uint16_t type = 0;
    std::uint16_t kind = 0;
    std::string text1;
    std::string text2;
    std::string data1;
    std::string data2;
    std::uint32_t tag = 0x12345678;  // ignored by the reader
};

inline std::string RecordBytes(const Rec& r) {
    return Le32(r.tag) + Le16(r.type) + Le16(r.kind) + Field(r.text1) + Field(r.text2) + Field(r.data1) +
           Field(r.data2);
}

inline std::string RecordsBytes(const std::vector<Rec>& records) {
    std::string bytes;
    for (const Rec& r : records) bytes += RecordBytes(r);
    return bytes;
}

// The string-table record: tag, type 0x9999, then plain length-prefixed entries.
inline std::string StringTableBytes(const std::vector<std::string>& entries) {
    std::string bytes = Le32(0) + Le16(0x9999);
    for (const std::string& entry : entries) bytes += Le16(static_cast<std::uint16_t>(entry.size())) + entry;
    return bytes;
}

inline const std::string kMagic = "-<#QZ#>-";

inline std::string Trailer(std::uint32_t field1, std::uint32_t recordStart) { return Le32(field1) + Le32(recordStart); }

// A script without module: magic at 0, the records, trailer (field 1 = 0).
inline std::string PlainScript(std::string_view records) { return kMagic + std::string(records) + Trailer(0, 0); }

// A script with a module: leadIn, the module, ModuleStart, magic, records and
// a trailer whose field 1 is the module's length.
inline std::string ModuleScript(std::string_view records, std::string_view module, std::string_view leadIn = {}) {
    const auto moduleStart = static_cast<std::uint32_t>(leadIn.size());
    std::string bytes = std::string(leadIn) + std::string(module) + Le32(moduleStart);
    const auto recordStart = static_cast<std::uint32_t>(bytes.size());
    return bytes + kMagic + std::string(records) + Trailer(static_cast<std::uint32_t>(module.size()), recordStart);
}

}  // namespace qm::test
