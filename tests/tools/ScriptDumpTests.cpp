// The dumper: any bytes come back exactly through dump and compile, a
// well-formed script reads naturally, and the fixtures compile to scripts
// that the reader walks to their end.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "tests/tools/ScriptTestSupport.h"
#include "tools/script/ScriptCompiler.h"
#include "tools/script/ScriptDump.h"
#include "tools/script/ScriptModel.h"
#include "tools/script/ScriptWriter.h"

namespace qm::script::test {
namespace {

Bytes ReadBytes(const std::filesystem::path& path) { return B(ReadText(path)); }

std::vector<std::filesystem::path> FixtureSources() {
    std::vector<std::filesystem::path> sources;
    for (const auto& entry : std::filesystem::directory_iterator(FixtureFolder()))
        if (entry.path().extension() == ".qms") sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    return sources;
}

Bytes CompileFixture(const std::filesystem::path& source) {
    return CompileScript(ReadText(source), source.filename().string(), source.parent_path());
}

// Dumps the bytes, puts the side files into the folder and compiles the
// source back; the source is left in *source. With inlineModule the module
// is put into the source as hex instead (many runs, no disk traffic).
Bytes DumpAndCompile(const Bytes& bytes, const TempFolder& folder, std::string* source = nullptr,
                     bool inlineModule = false) {
    const DumpResult dump = DumpScript(bytes, "dumped");
    std::string compiled = dump.source;
    for (const auto& [name, data] : dump.sideFiles) {
        if (inlineModule) {
            std::string hex = "module hex \"";
            for (std::uint8_t b : data) {
                hex += "0123456789ABCDEF"[b >> 4];
                hex += "0123456789ABCDEF"[b & 15];
            }
            const std::string line = "module \"" + name + "\"";
            EXPECT_NE(compiled.find(line), std::string::npos);
            compiled.replace(compiled.find(line), line.size(), hex + "\"");
            continue;
        }
        std::ofstream out(folder.path() / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
    if (source) *source = dump.source;
    try {
        return CompileScript(compiled, "dumped.qms", folder.path());
    } catch (const SourceError& e) {
        ADD_FAILURE() << e.what() << "\n" << dump.source;
        return {};
    }
}

TEST(ScriptFixtures, EveryFixtureIsReadToItsEndAndComesBackExactly) {
    const auto sources = FixtureSources();
    ASSERT_GE(sources.size(), 3u);
    TempFolder folder;
    for (const auto& source : sources) {
        SCOPED_TRACE(source.filename().string());
        const Bytes bytes = CompileFixture(source);
        const Walk walk = WalkScript(bytes);
        EXPECT_TRUE(walk.magicFound);
        EXPECT_TRUE(walk.finished);
        ASSERT_FALSE(walk.records.empty());
        EXPECT_EQ(walk.records.front().type, kRecordDescription);  // the preview reads the description first

        std::string dumped;
        EXPECT_EQ(DumpAndCompile(bytes, folder, &dumped), bytes);
        std::string again;
        DumpAndCompile(DumpAndCompile(bytes, folder), folder, &again);
        EXPECT_EQ(again, dumped);  // compile -> dump -> compile -> dump is stable
    }
}

TEST(ScriptFixtures, EveryRecordFixtureCoversTheDecodingTable) {
    const Bytes bytes = CompileFixture(FixtureFolder() / "every-record.qms");
    const Walk walk = WalkScript(bytes);
    ASSERT_TRUE(walk.finished);
    EXPECT_EQ(walk.stringTable, (std::vector<std::string>{"Fixture.EveryRecord", "second entry"}));

    // The module is extracted from ModuleStart up to RecordStart - 5, and
    // trailer field 1 lets the reader extract it.
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
                                          (static_cast<std::uint32_t>(bytes[at + 3]) << 24));
    };
    const std::uint32_t recordStart = u32(bytes.size() - 4);
    const std::uint32_t moduleStart = u32(recordStart - 4);
    EXPECT_EQ(Bytes(bytes.begin() + moduleStart, bytes.begin() + recordStart - 4),
              ReadBytes(FixtureFolder() / "every-record.dll"));
    EXPECT_NE(u32(bytes.size() - 8), 0u);
    EXPECT_LE(u32(bytes.size() - 8), bytes.size());

    // Every operation on every kind the reader accepts, wide and not.
    std::set<std::pair<std::uint16_t, std::uint16_t>> seen;
    bool emptyText2File = false;
    for (const WalkedRecord& r : walk.records) {
        seen.insert({r.type, r.kind});
        emptyText2File = emptyText2File || (r.kind == kKindFileInText2 && r.text2.empty());
    }
    EXPECT_TRUE(emptyText2File);
    for (std::uint16_t special : {kRecordDescription, kRecordOwner, kRecordSearchFolder, kRecordModuleCall})
        EXPECT_TRUE(seen.count({special, 0})) << special;
    for (std::uint16_t op : {kOpDelete, kOpAdd})
        for (std::uint16_t kind : {kKindFileInText2, kKindIniSection, kKindIniValue, kKindFolder, kKindFile, kKindRegKey})
            EXPECT_TRUE(seen.count({op, kind})) << op << " " << kind;
    // Registry values: strings, numbers, binary data and an unnamed data type.
    for (std::uint16_t kind : {1, 3}) EXPECT_TRUE(seen.count({kOpDelete, kind}) || seen.count({0xFF01, kind})) << kind;
    for (std::uint16_t kind : {2, 4, 7, 0x20}) EXPECT_TRUE(seen.count({kOpAdd, kind})) << kind;
    for (std::uint16_t kind : {kKindIniValue, kKindFile, kKindFileInText2, std::uint16_t{1}})
        EXPECT_TRUE(seen.count({kOpChange, kind})) << kind;
    for (std::uint16_t kind : {kKindFolder, kKindFile, kKindRegKey}) EXPECT_TRUE(seen.count({kOpRename, kind})) << kind;
    EXPECT_TRUE(seen.count({kOpRegister, kKindFile}) && seen.count({kOpRegister, kKindRegKey}));
    EXPECT_TRUE(seen.count({kOpUnregister, kKindFile}));
    EXPECT_TRUE(seen.count({0xFF01, kKindRegKey}) && seen.count({0xFF03, kKindRegKey}) && seen.count({0x0103, kKindRegKey}));
    EXPECT_TRUE(seen.count({0x0009, kKindRegKey}));
}

TEST(ScriptDump, WellFormedScriptReadsNaturally) {
    const Bytes bytes = CompileScript(
        "module hex \"4D 5A 90 00 01 02 03 04 05 06 07 08 09 0A 0B 0C\"\n"
        "description \"<html>Pest</html>\"\n"
        "owner \"Pest\"\n"
        "delete file 'C:\\pest.exe'\n"
        "add value 'HKCU\\Software\\Pest' \"Count\" REG_DWORD dword 3 wide\n"
        "add value 'HKCU\\Software\\Pest' \"Name\" REG_SZ utf16 \"pest\" wide\n"
        "change ini-value 'C:\\w.ini' \"boot\" \"shell\" from \"explorer.exe pest.exe\" to \"explorer.exe\"\n"
        "rename file 'C:\\a' to 'C:\\b' tag 9\n"
        "delete value 'HKCU\\X' \"B\" REG_BINARY data hex \"00 FF\"\n"
        "record change key text1 'HKCU\\Software\\Pest'\n"
        "string-table entry \"Pest\"\n",
        "pest.qms");
    const DumpResult dump = DumpScript(bytes, "pest");
    EXPECT_EQ(dump.source,
              "# Removal script source (quellmar-script).\n"
              "module \"pest.dll\"\n"
              "\n"
              "description \"<html>Pest</html>\"\n"
              "\n"
              "owner \"Pest\"\n"
              "delete file 'C:\\pest.exe'\n"
              "add value 'HKCU\\Software\\Pest' \"Count\" REG_DWORD dword 3 wide\n"
              "add value 'HKCU\\Software\\Pest' \"Name\" REG_SZ utf16 \"pest\" wide\n"
              "change ini-value 'C:\\w.ini' \"boot\" \"shell\" from \"explorer.exe pest.exe\" to \"explorer.exe\"\n"
              "rename file 'C:\\a' to 'C:\\b' tag 0x00000009\n"
              "delete value 'HKCU\\X' \"B\" REG_BINARY data hex \"00 FF\"\n"
              "# The reader refuses a change of a registry key and stops reading here.\n"
              "record change key text1 'HKCU\\Software\\Pest'\n"
              "\n"
              "string-table\n"
              "    entry \"Pest\"\n");
    ASSERT_EQ(dump.sideFiles.size(), 1u);
    EXPECT_EQ(dump.sideFiles[0].first, "pest.dll");
    EXPECT_EQ(dump.sideFiles[0].second,
              B({0x4D, 0x5A, 0x90, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST(ScriptDump, LongTextsAndHexAreSplitOverLines) {
    const Bytes bytes = CompileScript("description \"" + std::string("<html>\\n<body>") + std::string(100, 'x') +
                                          "</body>\\n</html>\"\nadd value 'K' \"N\" REG_BINARY hex \"" +
                                          std::string(40, 'A') + "\"",
                                      "t.qms");
    const std::string source = DumpScript(bytes, "t").source;
    EXPECT_NE(source.find("description \"<html>\\n\"\n    + \"<body>"), std::string::npos) << source;
    EXPECT_NE(source.find("hex \"AA AA AA AA AA AA AA AA AA AA AA AA AA AA AA AA\"\n    + hex \"AA"), std::string::npos)
        << source;
    std::size_t longest = 0;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) longest = std::max(longest, line.size());
    EXPECT_LE(longest, 100u);
}

Bytes Trailer(std::uint32_t check, std::uint32_t recordStart) {
    return B({static_cast<int>(check & 0xFF), static_cast<int>((check >> 8) & 0xFF), static_cast<int>((check >> 16) & 0xFF),
              static_cast<int>(check >> 24), static_cast<int>(recordStart & 0xFF),
              static_cast<int>((recordStart >> 8) & 0xFF), static_cast<int>((recordStart >> 16) & 0xFF),
              static_cast<int>(recordStart >> 24)});
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct OddCase {
    std::string name;
    Bytes bytes;
    std::string shows;  // a part of the dumped source
};

TEST(ScriptDump, BytesOutsideTheLayoutAreKeptInRawForms) {
    const Bytes magic = B("-<#QZ#>-");
    const Bytes module = B("MMMMMMMMMMMMMMMM");
    // A string-table entry that would reach into the trailer.
    const Bytes crossing = Join({magic, B({0, 0, 0, 0, 0x99, 0x99, 2, 0, 'o', 'k', 9, 0, 'x'}), Trailer(0, 0)});
    const std::vector<OddCase> cases = {
        {"empty file", {}, "trailer none\n"},
        {"shorter than a trailer", B({1, 2, 3}), "bytes hex \"01 02 03\""},
        {"no room for the magic", Bytes(8, 0), "magic none"},
        {"record start past the end", Join({magic, Trailer(0, 1000)}), "record-start 1000"},
        {"another magic", Join({B("-<#QZ#>+"), Trailer(0, 0)}), "magic none"},
        {"record cut short", Join({magic, B({0, 0, 0, 0, 1, 0, 0xBB}), Trailer(0, 0)}),
         "# Bytes that do not form a whole record:\nbytes hex \"00 00 00 00 01 00 BB\""},
        {"odd trailer field 1", Join({magic, Trailer(77, 0)}), "trailer-check 77"},
        {"module after a prefix", Join({B("PP"), module, B({2, 0, 0, 0}), magic, Trailer(16, 22)}),
         "prefix \"PP\""},
        {"module start beyond the record start", Join({module, B({200, 0, 0, 0}), magic, Trailer(0, 20)}),
         "prefix hex \"4D 4D 4D 4D 4D 4D 4D 4D 4D 4D 4D 4D 4D 4D 4D 4D\"\n    + hex \"C8 00 00 00\""},
        {"entry reaching into the trailer", crossing,
         "string-table\n    entry \"ok\"\n\n# Bytes that do not form a whole record:\nbytes hex \"09 00 78\""},
        {"high byte neither 0 nor 0xFF", CompileScript("record 0x1203 key text1 'K'", "t"), "record 0x1203 key"},
        {"INI text without a star", CompileScript("record add ini-value text1 \"nostar\"", "t"),
         "record add ini-value text1 \"nostar\""},
        {"shared tag", CompileScript("default-tag 0x01020304 add key 'A' add key 'B' add key 'C' tag 0", "t"),
         "default-tag 0x01020304\n\nadd key \"A\"\nadd key \"B\"\nadd key \"C\" tag 0x00000000"},
    };
    TempFolder folder;
    for (const OddCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string source;
        EXPECT_EQ(DumpAndCompile(c.bytes, folder, &source), c.bytes);
        EXPECT_NE(source.find(c.shows), std::string::npos) << source;
    }
}

// Random inputs: plain noise, fixtures with damage, and random records.
class RandomScripts {
public:
    explicit RandomScripts(unsigned seed) : random_(seed) {}

    Bytes Next(const std::vector<Bytes>& fixtures) {
        switch (Pick(4)) {
            case 0: return Noise(Pick(48));
            case 1: return Damaged(fixtures[Pick(fixtures.size())]);
            case 2: return RandomRecords();
            default: return Damaged(RandomRecords());
        }
    }

private:
    std::size_t Pick(std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Pick(256)); }
    Bytes Noise(std::size_t n) {
        Bytes out;
        for (std::size_t i = 0; i < n; ++i) out.push_back(Byte());
        return out;
    }
    void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }

    Bytes Damaged(Bytes b) {
        switch (Pick(5)) {
            case 0:
                for (std::size_t k = Pick(3) + 1; k > 0 && !b.empty(); --k) b[Pick(b.size())] = Byte();
                break;
            case 1: b.resize(Pick(b.size() + 1)); break;
            case 2: {
                const Bytes extra = Noise(Pick(20));
                b.insert(b.begin() + static_cast<std::ptrdiff_t>(Pick(b.size() + 1)), extra.begin(), extra.end());
                break;
            }
            case 3:
                if (b.size() >= 8) Put32(b, b.size() - 4, static_cast<std::uint32_t>(Pick(b.size() + 8)));
                break;
            default:
                if (b.size() >= 8) Put32(b, b.size() - 8, static_cast<std::uint32_t>(Pick(3) == 0 ? 0 : Pick(b.size() * 2)));
        }
        return b;
    }

    std::string Text() {
        std::string t;
        for (std::size_t n = Pick(3) == 0 ? 0 : Pick(12); n > 0; --n)
            t += Pick(4) == 0 ? static_cast<char>(Byte()) : static_cast<char>('a' + Pick(26));
        if (Pick(4) == 0) t += Pick(2) ? "*" : "\\";
        return t;
    }

    Bytes RandomRecords() {
        static const std::uint16_t kTypes[] = {0x6666, 0x7777, 0x8888, 0xDDDD, 0x0001, 0x0002, 0x0003, 0x0007,
                                               0x0044, 0x0055, 0xFF01, 0xFF03, 0x1203, 0x0000, 0x9999};
        static const std::uint16_t kKinds[] = {0, 1, 2, 3, 4, 7, 11, 0x11, 0x22, 0x33, 0xAA, 0xBB, 0xFF, 0x1234};
        Container c;
        if (Pick(3) == 0) c.module = Noise(Pick(40) + 1);
        if (Pick(5) == 0) c.prefix = Noise(Pick(5));
        for (std::size_t n = Pick(8); n > 0; --n) {
            const std::uint16_t type = kTypes[Pick(std::size(kTypes))];
            if (type == 0x9999) {
                StringTable table;
                table.tag = Pick(2) ? 0 : 0x41424344;
                for (std::size_t e = Pick(4); e > 0; --e) table.entries.push_back(Text());
                c.body.push_back(table);
                continue;
            }
            Record r;
            r.tag = Pick(2) ? 0 : static_cast<std::uint32_t>(Pick(1000));
            r.type = type;
            r.kind = kKinds[Pick(std::size(kKinds))];
            r.text1 = Pick(4) ? Text() : "";
            r.text2 = Pick(3) ? "" : Text();
            if (Pick(2)) r.data1 = Noise(Pick(2) ? 4 : Pick(10));
            if (Pick(3) == 0) r.data2 = Noise(Pick(6));
            c.body.push_back(r);
        }
        return WriteContainer(c);
    }

    std::mt19937 random_;
};

TEST(ScriptDump, RandomBytesComeBackExactly) {
    std::vector<Bytes> fixtures;
    for (const auto& source : FixtureSources()) fixtures.push_back(CompileFixture(source));
    RandomScripts scripts(20240607);
    TempFolder folder;
    for (int i = 0; i < 3000; ++i) {
        const Bytes bytes = scripts.Next(fixtures);
        std::string source;
        const Bytes back = DumpAndCompile(bytes, folder, &source, true);
        ASSERT_EQ(back, bytes) << "case " << i << "\n" << source;
        std::string again;
        DumpAndCompile(back, folder, &again, true);
        ASSERT_EQ(again, source) << "case " << i;
    }
}

}  // namespace
}  // namespace qm::script::test
