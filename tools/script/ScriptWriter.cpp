// Writing a container: layout, record framing and scrambling.
#include "tools/script/ScriptWriter.h"

#include <limits>

#include "format/FieldKey.h"

namespace qm::script {

namespace {

void Put16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

template <typename Range>
void PutField(Bytes& out, const Range& field, const char* what) {
    if (field.size() > kMaxFieldSize)
        throw LayoutError(LayoutError::kNoItem, std::string(what) + " is " + std::to_string(field.size()) +
                                                    " bytes long; a field holds at most 65535");
    Put16(out, static_cast<std::uint16_t>(field.size()));
    const std::size_t start = out.size();
    for (auto c : field) out.push_back(static_cast<std::uint8_t>(c));
    // Scrambling is the same XOR as descrambling.
    DescrambleField(out.data() + start, field.size());
}

}  // namespace

std::uint32_t DefaultTrailerCheck(const Container& container) {
    return container.module ? static_cast<std::uint32_t>(container.module->size()) : 0;
}

std::uint32_t ComputedRecordStart(const Container& container) {
    std::size_t size = container.prefix.size();
    if (container.module) size += container.module->size() + 4;
    if (size > std::numeric_limits<std::uint32_t>::max())
        throw LayoutError(LayoutError::kNoItem, "the module and prefix together exceed 4 GiB");
    return static_cast<std::uint32_t>(size);
}

Bytes WriteRecord(const Record& record) {
    Bytes out;
    Put32(out, record.tag);
    Put16(out, record.type);
    Put16(out, record.kind);
    PutField(out, record.text1, "text1");
    PutField(out, record.text2, "text2");
    PutField(out, record.data1, "data1");
    PutField(out, record.data2, "data2");
    return out;
}

Bytes WriteStringTable(const StringTable& table) {
    Bytes out;
    Put32(out, table.tag);
    Put16(out, kRecordStringTable);
    for (const std::string& entry : table.entries) {
        if (entry.size() > kMaxFieldSize)
            throw LayoutError(LayoutError::kNoItem, "a string-table entry is " + std::to_string(entry.size()) +
                                                        " bytes long; an entry holds at most 65535");
        Put16(out, static_cast<std::uint16_t>(entry.size()));
        out.insert(out.end(), entry.begin(), entry.end());  // entries are stored plain
    }
    return out;
}

Bytes WriteContainer(const Container& container) {
    Bytes out = container.prefix;
    if (container.module) {
        const std::uint32_t moduleStart = static_cast<std::uint32_t>(out.size());
        out.insert(out.end(), container.module->begin(), container.module->end());
        Put32(out, moduleStart);
    }
    const std::uint32_t recordStart = container.recordStart.value_or(ComputedRecordStart(container));
    out.insert(out.end(), container.magic.begin(), container.magic.end());

    for (std::size_t i = 0; i < container.body.size(); ++i) {
        try {
            Bytes bytes;
            if (const auto* record = std::get_if<Record>(&container.body[i])) {
                bytes = WriteRecord(*record);
            } else if (const auto* table = std::get_if<StringTable>(&container.body[i])) {
                bytes = WriteStringTable(*table);
            } else {
                bytes = std::get<RawBytes>(container.body[i]).bytes;
            }
            out.insert(out.end(), bytes.begin(), bytes.end());
        } catch (const LayoutError& e) {
            throw LayoutError(i, e.what());
        }
    }

    if (container.hasTrailer) {
        Put32(out, container.trailerCheck.value_or(DefaultTrailerCheck(container)));
        Put32(out, recordStart);
    }
    return out;
}

}  // namespace qm::script
