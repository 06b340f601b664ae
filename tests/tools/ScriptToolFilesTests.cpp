// What quellmar-script reads and writes besides its usual files: folders as
// inputs or modules, and outputs that are links, folders, devices or the
// command's own inputs. Each is refused with exit code 3, and nothing around
// it changes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <map>

#include "tests/tools/ScriptTestSupport.h"
#include "tools/script/ScriptCompiler.h"

namespace qm::script::test {
namespace {

namespace fs = std::filesystem;

// Every entry below the folder: its kind, where a link points, and a
// regular file's bytes, so a test sees that nothing was replaced or touched.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        const fs::file_status status = fs::symlink_status(entry.path());
        if (fs::is_symlink(status))
            entries[name] = "link to " + fs::read_symlink(entry.path()).string();
        else if (fs::is_regular_file(status))
            entries[name] = "file " + ReadText(entry.path());
        else if (fs::is_directory(status))
            entries[name] = "folder";
        else
            entries[name] = "other " + std::to_string(static_cast<int>(status.type()));
    }
    return entries;
}

// A folder with a source that names a module, the module, and a compiled
// script with that module in it.
class ScriptToolFiles : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(Path("m.dll"), "MZ module bytes!");
        WriteText(Path("src.qms"), "module 'm.dll'\ndescription \"d\"\n");
        ASSERT_EQ(Tool({"compile", Path("src.qms"), "-o", Path("in.malware")}).code, kExitOk);
    }
    std::string Path(const std::string& name) const { return (folder.path() / name).string(); }

    TempFolder folder;
};

TEST_F(ScriptToolFiles, AFolderAsInputOrModuleIsAnError) {
    fs::create_directories(folder.path() / "sub.qms");
    fs::create_directories(folder.path() / "mod");
    WriteText(Path("uses-folder.qms"), "default-tag 0\nmodule 'mod'\ndescription \"d\"\n");
    WriteText(Path("uses-missing.qms"), "default-tag 0\nmodule 'missing.dll'\ndescription \"d\"\n");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"compile", Path("sub.qms"), "-o", Path("out.malware")}, "it is a folder, not a file"},
        {{"compile", Path("sub.qms")}, "it is a folder, not a file"},
        {{"dump", Path("sub.qms"), "-o", Path("out.qms")}, "it is a folder, not a file"},
        {{"dump", Path("sub.qms")}, "it is a folder, not a file"},
        // A module that cannot be read is a file that cannot be read, with
        // the place in the source that names it.
        {{"compile", Path("uses-folder.qms"), "-o", Path("out.malware")},
         Path("uses-folder.qms") + ":2:8: cannot read the module file"},
        {{"compile", Path("uses-missing.qms"), "-o", Path("out.malware")},
         Path("uses-missing.qms") + ":2:8: cannot read the module file"},
    };
    const auto before = Snapshot(folder.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ToolRun run = Tool(c.args);
        EXPECT_EQ(run.code, kExitIoError);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(Snapshot(folder.path()), before);
    }
    EXPECT_NE(Tool({"compile", Path("uses-folder.qms")}).err.find("it is a folder, not a file"), std::string::npos);
}

TEST_F(ScriptToolFiles, OutputsThatAreNotPlainNewFilesAreRefused) {
    WriteText(Path("other.txt"), "someone else's file");
    fs::create_symlink("other.txt", folder.path() / "link.malware");
    fs::create_symlink("nowhere.malware", folder.path() / "dangling.malware");
    fs::create_symlink(folder.path() / "src.qms", folder.path() / "src-link.qms");
    fs::create_hard_link(folder.path() / "src.qms", folder.path() / "src-again.qms");
    fs::create_directories(folder.path() / "taken.malware");
    ASSERT_EQ(::mkfifo(Path("fifo.malware").c_str(), 0600), 0);
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"compile", Path("src.qms"), "-o", Path("src.qms")}, "it is the input"},
        {{"compile", Path("src.qms"), "-o", Path("src-again.qms")}, "it is the input"},
        {{"compile", Path("src-link.qms"), "-o", Path("src.qms")}, "it is the input"},
        {{"compile", Path("src.qms"), "-o", Path("m.dll")}, "it is the input"},
        {{"compile", Path("src.qms"), "-o", Path("link.malware")}, "it is a symbolic link"},
        {{"compile", Path("src.qms"), "-o", Path("dangling.malware")}, "it is a symbolic link"},
        {{"compile", Path("src.qms"), "-o", Path("taken.malware")}, "it is a folder"},
        {{"compile", Path("src.qms"), "-o", Path("fifo.malware")}, "it is not a regular file"},
        {{"dump", Path("in.malware"), "-o", Path("in.malware")}, "it is the input"},
        {{"dump", Path("in.malware"), "-o", Path("link.malware")}, "it is a symbolic link"},
        {{"dump", Path("in.malware"), "-o", Path("fifo.malware")}, "it is not a regular file"},
        // The module goes beside the source as NAME.dll: here it would be
        // the input, or the source itself.
        {{"dump", Path("in.dll"), "-o", Path("in.qms")}, "it is the input"},
        {{"dump", Path("in.malware"), "-o", Path("back.dll")}, "twice"},
    };
    fs::copy_file(folder.path() / "in.malware", folder.path() / "in.dll");
    const auto before = Snapshot(folder.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const ToolRun run = Tool(c.args);
        EXPECT_EQ(run.code, kExitIoError);
        EXPECT_NE(run.err.find("will not write"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(Snapshot(folder.path()), before);
    }
}

TEST_F(ScriptToolFiles, ADeviceIsNeverReplaced) {
    // The null device's numbers, in a folder of the test's own: only root
    // may make device nodes.
    if (::mknod(Path("null.malware").c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        GTEST_SKIP() << "making a device node needs root";
    const auto before = Snapshot(folder.path());
    ToolRun run = Tool({"compile", Path("src.qms"), "-o", Path("null.malware")});
    EXPECT_EQ(run.code, kExitIoError);
    EXPECT_NE(run.err.find("it is not a regular file"), std::string::npos) << run.err;
    run = Tool({"dump", Path("in.malware"), "-o", Path("null.malware")});
    EXPECT_EQ(run.code, kExitIoError);
    EXPECT_EQ(Snapshot(folder.path()), before);
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(folder.path() / "null.malware")));
}

TEST_F(ScriptToolFiles, ARegularOutputIsReplacedWholeOrNotAtAll) {
    // A failed command leaves the previous output as it was; a good one
    // replaces it, through a link-free temporary name that it takes away.
    WriteText(Path("out.malware"), "previous");
    WriteText(Path("bad.qms"), "description \"d\"\nadd kye 'K'\n");
    EXPECT_EQ(Tool({"compile", Path("bad.qms"), "-o", Path("out.malware")}).code, kExitSourceError);
    EXPECT_EQ(ReadText(Path("out.malware")), "previous");

    const auto before = folder.Names();
    EXPECT_EQ(Tool({"compile", Path("src.qms"), "-o", Path("out.malware")}).code, kExitOk);
    EXPECT_EQ(ReadText(Path("out.malware")), ReadText(Path("in.malware")));
    EXPECT_EQ(folder.Names(), before);

    // An output named without a folder goes to the current one.
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    const ToolRun run = Tool({"dump", "in.malware", "-o", "plain.qms"});
    fs::current_path(previous);
    EXPECT_EQ(run.code, kExitOk) << run.err;
    EXPECT_EQ(ReadText(Path("plain.dll")), "MZ module bytes!");
    EXPECT_NE(ReadText(Path("plain.qms")).find("module \"plain.dll\""), std::string::npos);
}

}  // namespace
}  // namespace qm::script::test
