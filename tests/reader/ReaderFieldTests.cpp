// Field decoding: descrambling positions, the longest field, zero bytes in
// texts, and the zero-filled buffers behind every field.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/reader/ReaderTestSupport.h"
#include "tests/reader/ScriptBytes.h"

namespace qm::test {

namespace {
using Lines = std::vector<std::string>;
}

// The stored bytes of "abc" worked out by hand from the key: 'a' ^ FieldKey[1]
// (0x8C), 'b' ^ FieldKey[2] (0x1C), 'c' ^ FieldKey[3] (0x66).
TEST_F(ReaderContract, Fields_FirstByteUsesKeyEntryOne) {
    const std::string stored("\x03\x00\xED\x7E\x05", 5);
    const std::string record = Le32(0) + Le16(0x0103) + Le16(0xFF) + std::string(stored) + Field("") + Field("") + Field("");
    EXPECT_EQ(ReadItems(PlainScript(record)), (Lines{"AddRegKey(abc|0)", "Status(abc|0x3|0xFF)", "Finished"}));
}

// 65535 bytes in every field: each is read whole; the key wraps after 260
// bytes (byte 260 uses entry 0, byte 261 entry 1) and the last byte uses
// entry 65535 mod 260 = 15. Nothing is written behind a field.
TEST_F(ReaderContract, Fields_LongestFieldsAreReadWholeAndDescrambled) {
    std::string plain(65535, '\0');
    for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>('A' + i % 23);
    std::string other = plain;
    std::reverse(other.begin(), other.end());
    auto reader = Reader(PlainScript(RecordBytes({0x0102, 0x0003, plain, other, plain, other})));

    int calls = 0;
    reader->OnChangeRegValue = [&](TReadSpecialFile* sender, const std::string& path, const std::string& value,
                                   std::uint16_t, const std::uint8_t* newData, std::uint16_t newSize,
                                   const std::uint8_t* oldData, std::uint16_t oldSize, bool) {
        ++calls;
        EXPECT_EQ(path, plain);
        EXPECT_EQ(value, other);
        EXPECT_EQ(newSize, 65535);
        EXPECT_EQ(oldSize, 65535);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(newData), newSize), plain);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(oldData), oldSize), other);
        EXPECT_EQ(sender->FDataBlock1[65535], 0);
        EXPECT_EQ(sender->FDataBlock2[65535], 0);
    };
    reader->Read(false);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(log().items().back(), "Finished");

    // The stored bytes at the wrap points, checked against the key itself.
    const std::string stored = Scrambled(plain);
    EXPECT_EQ(static_cast<std::uint8_t>(stored[259] ^ plain[259]), FieldKey[0]);
    EXPECT_EQ(static_cast<std::uint8_t>(stored[260] ^ plain[260]), FieldKey[1]);
    EXPECT_EQ(static_cast<std::uint8_t>(stored[65534] ^ plain[65534]), FieldKey[15]);
}

TEST_F(ReaderContract, Fields_TextsKeepZeroBytes) {
    const std::string path("HK\0CU\0", 6);
    const std::string value("\0v", 2);
    auto reader = Reader(PlainScript(RecordBytes({0x0101, 0x0001, path, value, "", ""})));
    std::string seenPath;
    std::string seenValue;
    reader->OnDeleteRegValue = [&](TReadSpecialFile*, const std::string& p, const std::string& v, std::uint16_t,
                                   const std::uint8_t*, std::uint16_t, bool) {
        seenPath = p;
        seenValue = v;
    };
    reader->Read(false);
    EXPECT_EQ(seenPath, path);
    EXPECT_EQ(seenValue, value);
    // The status path is built from the full texts too.
    EXPECT_EQ(log().items()[0], "Status(HK\\x00CU\\x00\\\\x00v|0x1|0x1)");
}

// Texts pass through FDataBlock1, yet data block 1 holds zeros behind its own
// length even after longer texts; empty fields give empty texts and blocks.
TEST_F(ReaderContract, Fields_DataBlocksAreZeroBehindTheirLength) {
    const std::string records = RecordsBytes({
        {0x0102, 0x0004, std::string(300, 'k'), std::string(200, 'v'), "\x01\x02", "\x03"},
        {0x0103, 0x0003, "", "name", "", ""},
        {0x0102, 0x0003, "", "", "", ""},
    });
    // The log marks any block that is not zero behind its count with "!".
    EXPECT_EQ(ReadItems(PlainScript(records)),
              (Lines{"ChangeRegValue(" + std::string(300, 'k') + "|" + std::string(200, 'v') + "|0x4|0102|2|03|1|0)",
                     "Status(" + std::string(300, 'k') + "\\" + std::string(200, 'v') + "|0x2|0x4)",
                     "AddRegValue(|name|0x3||0|0)", "Status(name|0x3|0x3)", "ChangeRegValue(||0x3||0||0|0)",
                     "Finished"}));
}

// The tag is never interpreted.
TEST_F(ReaderContract, Fields_TagIsIgnored) {
    for (const std::uint32_t tag : {0u, 0x9999u, 0xFFFFFFFFu}) {
        Rec record{0x0103, 0xFF, "HKCU\\A", "", "", ""};
        record.tag = tag;
        EXPECT_EQ(ReadItems(PlainScript(RecordBytes(record))),
                  (Lines{"AddRegKey(HKCU\\A|0)", "Status(HKCU\\A|0x3|0xFF)", "Finished"}));
    }
}

}  // namespace qm::test
