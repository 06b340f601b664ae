// The fixture scripts, compiled, read by the program's own reader: each is
// read to its end (the refused changes stop where the reader refuses them),
// and the embedded module comes out byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/reader/ReaderTestSupport.h"
#include "tests/tools/ScriptTestSupport.h"
#include "tools/script/ScriptCompiler.h"

namespace qm::test {
namespace {

using Lines = std::vector<std::string>;

std::string HostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ScriptFixtureReading : public ReaderContract {
protected:
    void TearDown() override {
        if (!extracted_.empty()) P().DeleteFileA(extracted_.c_str());
        ReaderContract::TearDown();
    }
    static std::string Compiled(const std::string& name) {
        const auto path = script::test::FixtureFolder() / name;
        const auto bytes = script::CompileScript(HostFile(path), name, path.parent_path());
        return std::string(bytes.begin(), bytes.end());
    }
    static Lines Errors(const Lines& lines) {
        Lines errors;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(errors),
                     [](const std::string& line) { return line.rfind("Error(", 0) == 0; });
        return errors;
    }
    std::string extracted_;
};

TEST_F(ScriptFixtureReading, EveryRecordIsReadToItsEndWithItsModule) {
    auto reader = Reader(Compiled("every-record.qms"));
    reader->Read(false);
    const Lines items = log().items();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items.back(), "Finished");
    EXPECT_EQ(Errors(items), Lines{});
    EXPECT_EQ(reader->FDescription,
              "<html><body><h1>Every record</h1>\n<p>A test script that uses every record type.</p></body></html>");
    EXPECT_EQ(reader->FCurrentOwner, "Fixture.EveryRecord");
    EXPECT_EQ(reader->FStringTable, (Lines{"Fixture.EveryRecord", "second entry"}));
    EXPECT_NE(std::find(items.begin(), items.end(), "AddSearchFolder(%windir%\\fixture)"), items.end());
    EXPECT_NE(std::find(items.begin(), items.end(), "CallModule(FixtureEntry)"), items.end());

    reader->ExtractModule(extracted_);
    ASSERT_FALSE(extracted_.empty());
    EXPECT_EQ(ReadFile(extracted_), HostFile(script::test::FixtureFolder() / "every-record.dll"));
}

TEST_F(ScriptFixtureReading, ItemFixturesAreReadToTheirEnd) {
    for (const char* name : {"minimal.qms", "engine-items.qms"}) {
        SCOPED_TRACE(name);
        log().clear();
        auto reader = Reader(Compiled(name));
        reader->Read(false);
        const Lines items = log().items();
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(items.back(), "Finished");
        EXPECT_EQ(Errors(items), Lines{});
        EXPECT_FALSE(reader->FDescription.empty());
    }
}

TEST_F(ScriptFixtureReading, RefusedChangesStopAtTheFirst) {
    const Lines items = ReadItems(Compiled("refused-changes.qms"));
    EXPECT_EQ(Errors(items), (Lines{"Error(reg_key:HKCU\\Software\\Pest|2)", "Error(Force Close|2)"}));
}

}  // namespace
}  // namespace qm::test
