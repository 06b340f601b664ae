// Decoding a byte sequence into a container. It reads records as the
// script reader does (string-table entries up to the trailer), but never
// fails: what cannot be a record becomes raw bytes.
#include "tools/script/ScriptDecode.h"

#include <cstring>

#include "format/FieldKey.h"
#include "tools/script/ScriptWriter.h"  // DefaultTrailerCheck

namespace qm::script {

namespace {

std::uint16_t Get16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Get32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

Bytes Slice(std::span<const std::uint8_t> b, std::size_t from, std::size_t to) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
}

// Walks the record area [pos, end) of one file.
class BodyDecoder {
public:
    BodyDecoder(std::span<const std::uint8_t> bytes, std::size_t end) : b_(bytes), end_(end) {}

    std::vector<BodyItem> Decode(std::size_t pos) {
        std::vector<BodyItem> items;
        while (pos < end_) {
            const std::size_t start = pos;
            if (end_ - pos >= 6 && Get16(b_, pos + 4) == kRecordStringTable) {
                // Nothing after the table is read as a record.
                items.push_back(ReadStringTable(pos));
                if (pos < end_) items.push_back(RawBytes{Slice(b_, pos, end_)});
                break;
            }
            if (auto record = ReadRecord(pos)) {
                items.push_back(std::move(*record));
                continue;
            }
            items.push_back(RawBytes{Slice(b_, start, end_)});
            break;
        }
        return items;
    }

private:
    // A field: a length word and that many scrambled bytes, all before end_.
    bool ReadField(std::size_t& pos, Bytes& out) const {
        if (end_ - pos < 2) return false;
        const std::size_t length = Get16(b_, pos);
        if (end_ - pos - 2 < length) return false;
        out = Slice(b_, pos + 2, pos + 2 + length);
        DescrambleField(out.data(), out.size());
        pos += 2 + length;
        return true;
    }

    std::optional<Record> ReadRecord(std::size_t& pos) const {
        std::size_t p = pos;
        if (end_ - p < 8) return std::nullopt;
        Record r;
        r.tag = Get32(b_, p);
        r.type = Get16(b_, p + 4);
        r.kind = Get16(b_, p + 6);
        p += 8;
        Bytes text1;
        Bytes text2;
        if (!ReadField(p, text1) || !ReadField(p, text2) || !ReadField(p, r.data1) || !ReadField(p, r.data2))
            return std::nullopt;
        r.text1.assign(text1.begin(), text1.end());
        r.text2.assign(text2.begin(), text2.end());
        pos = p;
        return r;
    }

    // Entries run to the trailer; an entry that would reach into it is
    // damage, which the reader refuses, so it stays raw bytes.
    StringTable ReadStringTable(std::size_t& pos) const {
        StringTable table;
        table.tag = Get32(b_, pos);
        pos += 6;
        while (end_ - pos >= 2) {
            const std::size_t length = Get16(b_, pos);
            if (end_ - pos - 2 < length) break;
            table.entries.emplace_back(b_.begin() + static_cast<std::ptrdiff_t>(pos + 2),
                                       b_.begin() + static_cast<std::ptrdiff_t>(pos + 2 + length));
            pos += 2 + length;
        }
        return table;
    }

    std::span<const std::uint8_t> b_;
    std::size_t end_;
};

}  // namespace

Container DecodeContainer(std::span<const std::uint8_t> b) {
    Container c;
    if (b.size() < kScriptTrailerSize) {
        // No trailer at all: everything is raw.
        c.hasTrailer = false;
        c.magic.clear();
        if (!b.empty()) c.body.push_back(RawBytes{Slice(b, 0, b.size())});
        return c;
    }
    const std::size_t trailer = b.size() - kScriptTrailerSize;
    const std::uint32_t check = Get32(b, trailer);
    const std::uint32_t recordStart = Get32(b, trailer + 4);

    if (recordStart > trailer) {
        // The record start points past the records: keep it as given.
        c.magic.clear();
        c.recordStart = recordStart;
        if (trailer > 0) c.body.push_back(RawBytes{Slice(b, 0, trailer)});
    } else {
        // The bytes before the magic: a module when its start word makes one
        // of at least one byte, as the reader's extraction sees it.
        bool haveModule = false;
        if (recordStart >= 5) {
            const std::uint32_t moduleStart = Get32(b, recordStart - 4);
            if (static_cast<std::uint64_t>(moduleStart) + 4 < recordStart) {
                c.prefix = Slice(b, 0, moduleStart);
                c.module = Slice(b, moduleStart, recordStart - 4);
                haveModule = true;
            }
        }
        if (!haveModule) c.prefix = Slice(b, 0, recordStart);

        const bool magicFound = trailer - recordStart >= kScriptMagicSize &&
                                std::memcmp(b.data() + recordStart, kScriptMagic, kScriptMagicSize) == 0;
        if (magicFound) {
            c.body = BodyDecoder(b, trailer).Decode(recordStart + kScriptMagicSize);
        } else {
            c.magic.clear();
            if (trailer > recordStart) c.body.push_back(RawBytes{Slice(b, recordStart, trailer)});
        }
    }
    if (check != DefaultTrailerCheck(c)) c.trailerCheck = check;
    return c;
}

}  // namespace qm::script
