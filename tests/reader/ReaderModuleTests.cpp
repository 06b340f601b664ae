// Extraction of the embedded module into the temporary folder, and the
// trailer and offset checks that decide there is no module.
#include <gtest/gtest.h>

#include <algorithm>

#include "locations/InfoDirs.h"
#include "tests/reader/ReaderTestSupport.h"
#include "tests/reader/ScriptBytes.h"

namespace qm::test {

namespace {

using Lines = std::vector<std::string>;

const std::string kRecords = RecordsBytes({{0x8888, 0, "<p>", "", "", ""}, {0x0103, 0xFF, "HKCU\\A", "", "", ""}});

void Patch32(std::string& bytes, std::size_t offset, std::uint32_t value) { bytes.replace(offset, 4, Le32(value)); }

std::string Module(std::size_t size) {
    std::string module(size, '\0');
    for (std::size_t i = 0; i < size; ++i) module[i] = static_cast<char>(i * 31 + 7);
    return module;
}

class ModuleContract : public ReaderContract {
protected:
    void TearDown() override {
        for (const auto& path : made_) P().DeleteFileA(path.c_str());
        ReaderContract::TearDown();
    }
    // Extracts from the bytes; a file made is removed after the test.
    std::string Extract(std::string_view bytes) {
        auto reader = Reader(bytes);
        std::string path = "not set";
        reader->ExtractModule(path);
        if (!path.empty()) made_.push_back(path);
        return path;
    }
    // The .dll files in the temporary folder.
    int DllCount() {
        int count = 0;
        WIN32_FIND_DATAA data;
        const HANDLE find = P().FindFirstFileA((InfoDir.GetSafeTempFolder() + "\\*.dll").c_str(), &data);
        if (find == kInvalidHandle) return 0;
        do ++count;
        while (P().FindNextFileA(find, &data));
        P().FindClose(find);
        return count;
    }

private:
    std::vector<std::string> made_;
};

}  // namespace

// The module is copied in chunks of 261 bytes: sizes around the chunk size
// and a lead-in in front of the module must not change a byte.
TEST_F(ModuleContract, ExtractModule_CopiesExactlyTheModule) {
    const std::string folder = InfoDir.GetSafeTempFolder() + "\\";
    for (const std::size_t size : {1u, 260u, 261u, 262u, 522u, 5000u}) {
        for (const std::string& leadIn : {std::string(), std::string(777, 'L')}) {
            SCOPED_TRACE(std::to_string(size) + " bytes behind " + std::to_string(leadIn.size()));
            const std::string module = Module(size);
            const std::string path = Extract(ModuleScript(kRecords, module, leadIn));
            ASSERT_EQ(path.compare(0, folder.size(), folder), 0) << path;
            EXPECT_EQ(path.substr(path.size() - 4), ".dll");
            EXPECT_EQ(ReadFile(path), module);
            P().DeleteFileA(path.c_str());  // the next one may get the same name
        }
    }
}

// Whatever the trailer and ModuleStart say, out-of-range values give no
// module and create no file.
TEST_F(ModuleContract, ExtractModule_NoModuleGivesAnEmptyPath) {
    const std::string good = ModuleScript(kRecords, Module(100), "lead");
    const std::uint32_t size = static_cast<std::uint32_t>(good.size());
    const std::size_t field1At = good.size() - 8;
    const std::size_t recordStartAt = good.size() - 4;
    const std::size_t moduleStartAt = 4 + 100;
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"no module: RecordStart 0, whatever field 1 holds", PlainScript(kRecords)},
        {"empty module", ModuleScript(kRecords, "")},
        {"too short for a trailer", "1234567"},
    };
    auto patched = [&](const char* name, std::size_t offset, std::uint32_t value) {
        std::string bytes = good;
        Patch32(bytes, offset, value);
        cases.push_back({name, bytes});
    };
    Patch32(cases[0].bytes, cases[0].bytes.size() - 8, 50);
    patched("field 1 zero", field1At, 0);
    patched("field 1 beyond the file", field1At, size + 1);
    patched("RecordStart beyond the file", recordStartAt, size + 1);
    patched("RecordStart too small for ModuleStart", recordStartAt, 3);
    patched("ModuleStart beyond the file", moduleStartAt, size + 1);
    patched("ModuleStart at RecordStart - 4", moduleStartAt, moduleStartAt);
    patched("ModuleStart behind RecordStart", moduleStartAt, moduleStartAt + 20);
    patched("ModuleStart far out", moduleStartAt, 0xFFFFFFFFu);

    const int before = DllCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Extract(c.bytes), "");
    }
    EXPECT_EQ(DllCount(), before);
}

// The smallest values that still give a module: field 1 equal to the file
// size, and one module byte.
TEST_F(ModuleContract, ExtractModule_BoundaryValuesStillExtract) {
    std::string bytes = ModuleScript(kRecords, "Z");
    Patch32(bytes, bytes.size() - 8, static_cast<std::uint32_t>(bytes.size()));
    const std::string path = Extract(bytes);
    ASSERT_NE(path, "");
    EXPECT_EQ(ReadFile(path), "Z");
}

// Extracting does not disturb reading, before or in the middle of a read.
TEST_F(ModuleContract, ExtractModule_ThenReadAndWhileReading) {
    const std::string bytes = ModuleScript(kRecords, Module(600));
    auto reader = Reader(bytes);
    std::string path;
    reader->ExtractModule(path);
    ASSERT_NE(path, "");
    reader->Read(false);
    const Lines whole = log().all();
    EXPECT_EQ(whole.back(), "Finished");
    P().DeleteFileA(path.c_str());

    reader = Reader(bytes);
    reader->OnAddRegKey = [&](TReadSpecialFile* sender, const std::string&, bool) {
        std::string inner;
        sender->ExtractModule(inner);
        EXPECT_EQ(ReadFile(inner), Module(600));
        P().DeleteFileA(inner.c_str());
    };
    reader->Read(false);
    Lines expected = whole;
    expected.erase(std::find(expected.begin(), expected.end(), "AddRegKey(HKCU\\A|0)"));
    EXPECT_EQ(log().all(), expected);
}

}  // namespace qm::test
