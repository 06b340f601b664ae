// Turns a container into the bytes of a removal script: the layout of the
// file, the framing of each record and the scrambling of its fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "tools/script/ScriptModel.h"

namespace qm::script {

// A container that cannot be written. `item` is the index of the body item
// at fault, or kNoItem when the fault lies in the file's layout.
struct LayoutError : std::runtime_error {
    static constexpr std::size_t kNoItem = static_cast<std::size_t>(-1);
    LayoutError(std::size_t faultyItem, const std::string& message)
        : std::runtime_error(message), item(faultyItem) {}
    std::size_t item;
};

// Trailer field 1 when the script does not give it: the module's length, or
// 0 without a module (the reader extracts a module only when this field is
// non-zero and not above the file size).
std::uint32_t DefaultTrailerCheck(const Container& container);
// The offset of the magic: the prefix, the module and its start word.
std::uint32_t ComputedRecordStart(const Container& container);
// The bytes of one record, fields scrambled; LayoutError (kNoItem) for a
// field longer than 65535 bytes.
Bytes WriteRecord(const Record& record);
Bytes WriteStringTable(const StringTable& table);

Bytes WriteContainer(const Container& container);

}  // namespace qm::script
