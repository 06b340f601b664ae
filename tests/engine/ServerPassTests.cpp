// COM servers through both passes on Windows, with a real module: the test
// server built beside the test program (tests/fixtures/testdll), copied under
// names that choose its behaviour. Each call of an entry point leaves a line
// in "<module file>.registered" or "<module file>.unregistered".
#include <string>
#include <vector>

#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

class ServerPass : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        if (IsSimulated()) GTEST_SKIP() << "needs a real module; the simulated servers are in ServerPassSimulatedTests";
        char program[MAX_PATH + 1] = {};
        P().GetModuleFileNameA(0, program, sizeof program);
        const std::string own = program;
        testServer_ = own.substr(0, own.rfind('\\') + 1) + "quellmar_test_server.dll";
        ASSERT_TRUE(FileExists(testServer_)) << testServer_ << " is missing: build the target quellmar_test_server";
        serverBytes_ = ReadFile(testServer_);
    }

    // A copy of the test server; its name decides how it behaves.
    std::string Server(const std::string& path) {
        WriteFile(path, serverBytes_);
        return path;
    }
    // How many times an entry point of the module at `path` ran.
    int Runs(const std::string& path, const char* suffix) {
        const std::string marks = path + suffix;
        if (!FileExists(marks)) return 0;
        const std::string text = ReadFile(marks);
        int count = 0;
        for (size_t at = text.find("ran\r\n"); at != std::string::npos; at = text.find("ran\r\n", at + 1)) ++count;
        return count;
    }
    std::vector<std::string> Line(const char* operation, const std::string& path) {
        const size_t slash = path.rfind('\\');
        return {"Server ", operation, path.substr(0, slash + 1), path.substr(slash + 1)};
    }

private:
    std::string testServer_;
    std::string serverBytes_;
};

}  // namespace

TEST_F(ServerPass, ARealModuleIsRegisteredAndUnregisteredAndItsFailuresReported) {
    const std::string good = Server(InScratch("server.dll"));
    const std::string failing = Server(InScratch("failing server.dll"));
    const std::string refusing = Server(InScratch("refusing server.dll"));
    const std::string plain = InScratch("not a module.dll");
    WriteFile(plain, "no module at all");
    WriteScript(R"(
        description "real servers"
        owner "Pest"
        register server '{DIR}\server.dll'
        unregister server '{DIR}\server.dll'
        register server '{DIR}\failing server.dll'
        register server '{DIR}\refusing server.dll'
        unregister server '{DIR}\not a module.dll'
        register server '{DIR}\missing.dll'
    )");
    Scan();
    EXPECT_EQ(Rows(server), (Table{{"Register Server", "Pest", good, "1"},
                                   {"UNRegister Server", "Pest", good, "2"},
                                   {"Register Server", "Pest", failing, "3"},
                                   {"Register Server", "Pest", refusing, "4"},
                                   {"UNRegister Server", "Pest", plain, "5"}}));
    EXPECT_EQ(Runs(good, ".registered"), 0);

    const PassResult removal = Remove();
    EXPECT_EQ(Runs(good, ".registered"), 1);
    EXPECT_EQ(Runs(good, ".unregistered"), 1);
    EXPECT_EQ(Runs(failing, ".registered"), 1) << "it ran and returned a failure code";
    EXPECT_EQ(Runs(refusing, ".registered"), 0) << "its start-up code refused the load";
    EXPECT_EQ(Rows(report), (Table{Line("Register ", good), Line("Unregister ", good),
                                   Line("Error Register ", failing), Line("Error Register ", refusing),
                                   Line("Error Unregister ", plain)}));
    EXPECT_TRUE(removal.hadErrors);

    // Registered already, it is listed and registered again; the module was
    // unloaded after each call, so its file can go.
    ScanAndRemove();
    EXPECT_EQ(Runs(good, ".registered"), 2);
    EXPECT_TRUE(P().DeleteFileA(good.c_str())) << P().GetLastError();
}

TEST_F(ServerPass, ABareServerFoundInTwoSearchFoldersIsUnregisteredInBothUnderItsFirstRow) {
    for (const char* folder : {"a", "b"}) {
        ASSERT_TRUE(P().CreateDirectoryA(InScratch(folder).c_str(), nullptr));
        Server(InScratch(folder) + "\\qm-shared-server.dll");
    }
    WriteScript(R"(
        description "bare server"
        owner "Pest"
        search-folder '{DIR}\a'
        search-folder '{DIR}\b'
        unregister server 'qm-shared-server.dll'
    )");
    const std::string a = InScratch("a\\qm-shared-server.dll");
    const std::string b = InScratch("b\\qm-shared-server.dll");
    Scan();
    EXPECT_EQ(Rows(server), (Table{{"UNRegister Server", "Pest", b, "1"}, {"UNRegister Server", "Pest", a, "1"}}));
    server.SetChecked(0, false);
    Remove();
    EXPECT_EQ(Runs(a, ".unregistered") + Runs(b, ".unregistered"), 0);

    server.SetChecked(0, true);
    Remove();
    EXPECT_EQ(Runs(a, ".unregistered"), 1);
    EXPECT_EQ(Runs(b, ".unregistered"), 1);
    EXPECT_EQ(Rows(report), (Table{Line("Unregister ", b), Line("Unregister ", a)}));
}

}  // namespace qm::test
