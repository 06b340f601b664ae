// The framing of the record area: the trailer, the magic, one record with its
// descrambled fields, and the string-table record.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "format/FieldKey.h"
#include "reader/Quarn_ReadSpecialFile.h"

namespace qm {

namespace {

constexpr DWORD kErrorHandleEof = 38;  // ERROR_HANDLE_EOF

std::uint16_t Word(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t DoubleWord(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(Word(bytes)) | static_cast<std::uint32_t>(Word(bytes + 2)) << 16;
}

// Raised inside the string table and caught by ReadRecord; never shown.
struct StringTableError : std::runtime_error {
    StringTableError() : std::runtime_error("Error Header SIZE") {}
};

}  // namespace

TReadSpecialFile::Trailer TReadSpecialFile::ReadTrailer() {
    // A file shorter than the trailer makes this a seek before the start.
    file_.Seek(static_cast<std::int64_t>(file_.Size()) - 8);
    std::uint8_t bytes[8] = {};
    if (file_.BlockRead(bytes, sizeof bytes) != sizeof bytes) throw EInOutError(kErrorHandleEof);
    return Trailer{DoubleWord(bytes), DoubleWord(bytes + 4)};
}

bool TReadSpecialFile::CheckMagic() {
    ZeroBlock(FDataBlock1, dirty1_);
    const std::size_t got = file_.BlockRead(FDataBlock1.data(), 8);
    dirty1_ = got;
    return got == 8 && std::memcmp(FDataBlock1.data(), kScriptMagic, 8) == 0;
}

// Zeroes what an earlier field may have left in a block: the block is all
// zeros behind its count without clearing 64 KiB for every field.
void TReadSpecialFile::ZeroBlock(TDataBlock& block, std::size_t& dirty) {
    std::fill(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(dirty), std::uint8_t{0});
    dirty = 0;
}

// Text fields must be there whole; they are read through FDataBlock1.
bool TReadSpecialFile::ReadText(std::string& text) {
    std::uint8_t length[2] = {};
    if (file_.BlockRead(length, 2) != 2) return false;
    const std::uint16_t size = Word(length);
    text.clear();
    if (size == 0) return true;
    ZeroBlock(FDataBlock1, dirty1_);
    dirty1_ = size;
    if (file_.BlockRead(FDataBlock1.data(), size) != size) return false;
    DescrambleField(FDataBlock1.data(), size);
    text = FieldToString(FDataBlock1.data(), size);
    return true;
}

bool TReadSpecialFile::ReadRecord() {
    const std::uint32_t recordAt = file_.Position();
    std::uint8_t tag[4] = {};
    if (file_.BlockRead(tag, sizeof tag) < 1) return false;

    std::uint8_t word[2] = {};
    if (file_.BlockRead(word, 2) < 1) return false;
    const std::uint16_t recordType = Word(word);

    // After the last record the trailer is read as a record that cannot be
    // completed; its bytes must not pass for a string table.
    if (recordType == kRecordStringTable && recordAt < trailerStart_) {
        try {
            ReadStringTable();
            return true;
        } catch (...) {
            return false;
        }
    }

    std::fill(std::begin(word), std::end(word), std::uint8_t{0});
    if (file_.BlockRead(word, 2) < 1) return false;
    const std::uint16_t kind = Word(word);

    std::string text1;
    std::string text2;
    if (!ReadText(text1) || !ReadText(text2)) return false;

    // Data blocks: a half-read length word still counts, and a block cut
    // short keeps the bytes that were there, descrambled, and zeros behind.
    std::fill(std::begin(word), std::end(word), std::uint8_t{0});
    if (file_.BlockRead(word, 2) < 1) return false;
    const std::uint16_t size1 = Word(word);
    ZeroBlock(FDataBlock1, dirty1_);
    dirty1_ = size1;
    if (size1 > 0) DescrambleField(FDataBlock1.data(), file_.BlockRead(FDataBlock1.data(), size1));

    std::fill(std::begin(word), std::end(word), std::uint8_t{0});
    std::size_t lastRead = file_.BlockRead(word, 2);
    if (lastRead < 1) return false;
    const std::uint16_t size2 = Word(word);
    ZeroBlock(FDataBlock2, dirty2_);
    dirty2_ = size2;
    if (size2 > 0) {
        lastRead = file_.BlockRead(FDataBlock2.data(), size2);
        DescrambleField(FDataBlock2.data(), lastRead);
    }

    // A block 2 of which not one byte was there still reaches the dispatch,
    // but ends the read.
    const bool dispatched = DispatchRecord(recordType, kind, std::move(text1), text2, size1, size2);
    return dispatched && lastRead > 0;
}

// The entries run to the start of the trailer, whether or not a module lies
// in front of the record area. An entry that would cross into the trailer
// means the table is damaged.
void TReadSpecialFile::ReadStringTable() {
    const std::uint32_t stop = trailerStart_;
    while (file_.Position() < stop) {
        if (stop - file_.Position() < 2) throw StringTableError();
        std::uint8_t length[2] = {};
        if (file_.BlockRead(length, 2) != 2) throw StringTableError();
        const std::uint16_t entrySize = Word(length);
        if (entrySize > stop - file_.Position()) throw StringTableError();
        std::string entry(entrySize, '\0');
        if (entrySize > 0 && file_.BlockRead(entry.data(), entrySize) != entrySize) throw StringTableError();
        FStringTable.push_back(std::move(entry));
    }
}

}  // namespace qm
