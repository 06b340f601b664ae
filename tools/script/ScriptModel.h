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

#include "format/RemovalScriptFormat.h"

namespace qm::script {

using Bytes = std::vector<std::uint8_t>;

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
    Bytes magic = Bytes(kScriptMagic, kScriptMagic + kScriptMagicSize);
    std::vector<BodyItem> body;
    bool hasTrailer = true;
    std::optional<std::uint32_t> trailerCheck;  // trailer field 1
    std::optional<std::uint32_t> recordStart;   // trailer field 2
    bool operator==(const Container&) const = default;
};

}  // namespace qm::script
