// A running program named by a delete-file record, on either backend: on
// Windows a real child process (a copy of the system's ping under a long
// name), on the simulated machine a simulated one. It is listed in the scan
// pass, stopped in the removal pass and its file deleted after the pass,
// whether the script or the process uses the long or the 8.3 name.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "engine/Quarn_link.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

class ProcessPass : public PassTest {
protected:
    void TearDown() override {
        // Nothing started here outlives the test.
        for (const auto& path : programs_)
            for (int i = 0; i < 10 && KillProcess(path) >= 0; ++i) {
            }
        PassTest::TearDown();
    }

    std::string ShortOf(const std::string& path) {
        char buffer[MAX_PATH + 1] = {};
        EXPECT_GT(P().GetShortPathNameA(path.c_str(), buffer, sizeof buffer), 0u) << path;
        return buffer;
    }

    // A program file in the scratch folder that runs for a minute.
    std::string Program(const std::string& name) {
        const std::string path = InScratch(name);
        if (IsSimulated()) {
            WriteFile(path, "MZ");
        } else {
            char system[MAX_PATH + 1] = {};
            P().GetSystemDirectoryA(system, sizeof system);
            WriteFile(path, ReadFile(std::string(system) + "\\PING.EXE"));
        }
        programs_.push_back(path);
        return path;
    }

    // Starts the program through the path given and waits until it can be
    // found by its file.
    void Start(const std::string& path) {
        ASSERT_NE(backend().StartProgram(path, "-n 60 127.0.0.1"), 0u) << path;
        DWORD id = 0;
        ASSERT_TRUE(WaitFor([&] { return FindProcessByFile(path, id); }, 10)) << path << " did not start";
    }

    template <typename Condition>
    bool WaitFor(Condition&& condition, int seconds) {
        for (int tenths = 0; tenths < seconds * 10; ++tenths) {
            if (condition()) return true;
            if (!IsSimulated()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return condition();
    }

    std::vector<std::string> Line(const char* type, const char* operation, const std::string& path) {
        const size_t slash = path.rfind('\\');
        return {type, operation, path.substr(0, slash + 1), path.substr(slash + 1)};
    }

private:
    std::vector<std::string> programs_;
};

}  // namespace

TEST_F(ProcessPass, ARunningProgramIsListedStoppedAndDeletedWhicheverNameIsUsed) {
    struct Case {
        const char* what;
        bool scriptShort;
        bool startedShort;
    };
    for (const Case& c : {Case{"long names", false, false}, Case{"script short, started long", true, false},
                          Case{"script long, started short", false, true}}) {
        SCOPED_TRACE(c.what);
        const std::string path = Program("Long Running Program.exe");
        const std::string shortPath = ShortOf(path);
        ASSERT_NE(shortPath, path);
        const std::string named = c.scriptShort ? shortPath : path;
        Start(c.startedShort ? shortPath : path);
        WriteScript("description \"running\"\nowner \"Pest\"\ndelete file '" + named + "'\n");

        Scan();
        EXPECT_EQ(Rows(disk), (Table{{"Erase File", "Pest", named, "*", "1"}}));
        EXPECT_EQ(Rows(process), (Table{{"Runing Process", "Pest", named, "2"}}));

        const PassResult removal = Remove();
        EXPECT_FALSE(removal.hadErrors);
        EXPECT_EQ(Rows(report), (Table{Line("Process ", "Kill ", named), Line("Disk", "Delete ", named)}));
        DWORD id = 0;
        EXPECT_TRUE(WaitFor([&] { return !FindProcessByFile(path, id); }, 10)) << "still running";
        // Deleted after the pass; should the stopped program still hold its
        // file for a moment, the cleanup batch deletes it soon after.
        EXPECT_TRUE(WaitFor([&] { return !FileExists(path); }, 10)) << "not deleted";
    }
}

}  // namespace qm::test
