// COM servers on the simulated machine, whose modules are functions of this
// test program: registered and unregistered through their entry points, and
// every way that can fail (no such entry, a failure code, a module that
// refuses to load, an entry that throws, a file that is no module).
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "tests/engine/PassFixture.h"

namespace qm::test {

namespace {

using Table = std::vector<std::vector<std::string>>;

int g_registered = 0;
int g_unregistered = 0;

HRESULT QM_STDCALL CountRegister() {
    ++g_registered;
    return 0;
}
HRESULT QM_STDCALL CountUnregister() {
    ++g_unregistered;
    return 0;
}
HRESULT QM_STDCALL Fail() { return static_cast<HRESULT>(0x80004005); }  // E_FAIL
HRESULT QM_STDCALL Positive() { return 1; }                               // S_FALSE: top bit clear
HRESULT QM_STDCALL Throw() { throw std::runtime_error("the entry point failed"); }

class ServerSim : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        g_registered = 0;
        g_unregistered = 0;
        auto& modules = Sim().modules();
        modules.Define("good").Export("DllRegisterServer", &CountRegister).Export("DllUnregisterServer",
                                                                                   &CountUnregister);
        modules.Define("register only").Export("DllRegisterServer", &CountRegister);
        modules.Define("failing").Export("DllRegisterServer", &Fail).Export("DllUnregisterServer", &Fail);
        modules.Define("positive").Export("DllRegisterServer", &Positive);
        modules.Define("refusing").Export("DllRegisterServer", &CountRegister).OnLoad([] { return false; });
        modules.Define("throwing").Export("DllUnregisterServer", &Throw);
    }
    sim::SimPlatform& Sim() { return static_cast<sim::SimPlatform&>(P()); }

    // A file on the disk that is the module defined under `module`.
    std::string Server(const std::string& path, const std::string& module) {
        WriteFile(path, "MZ");
        Sim().modules().BindPath(path, module);
        return path;
    }
    std::vector<std::string> Line(const char* operation, const std::string& path) {
        const size_t slash = path.rfind('\\');
        return {"Server ", operation, path.substr(0, slash + 1), path.substr(slash + 1)};
    }
};

}  // namespace

TEST_F(ServerSim, ServersAreRegisteredThroughTheirEntryPointsAndEveryFailureIsAnErrorLine) {
    for (const char* name : {"good", "register only", "failing", "positive", "refusing", "throwing"})
        Server(InScratch(std::string(name) + ".dll"), name);
    WriteFile(InScratch("plain.dll"), "no module at all");
    WriteScript(R"(
        description "servers"
        owner "Pest"
        register server '{DIR}\good.dll'
        unregister server '{DIR}\good.dll'
        unregister server '{DIR}\register only.dll'
        register server '{DIR}\failing.dll'
        register server '{DIR}\positive.dll'
        register server '{DIR}\refusing.dll'
        unregister server '{DIR}\throwing.dll'
        register server '{DIR}\plain.dll'
        register server '{DIR}\missing.dll'
    )");
    Scan();
    auto row = [this](const char* caption, const char* name, const char* number) {
        return std::vector<std::string>{caption, "Pest", InScratch(name), number};
    };
    EXPECT_EQ(Rows(server), (Table{row("Register Server", "good.dll", "1"),
                                   row("UNRegister Server", "good.dll", "2"),
                                   row("UNRegister Server", "register only.dll", "3"),
                                   row("Register Server", "failing.dll", "4"),
                                   row("Register Server", "positive.dll", "5"),
                                   row("Register Server", "refusing.dll", "6"),
                                   row("UNRegister Server", "throwing.dll", "7"),
                                   row("Register Server", "plain.dll", "8")}));
    EXPECT_EQ(server.ImageIndex(0), 9);
    EXPECT_EQ(server.ImageIndex(1), 10);
    EXPECT_EQ(g_registered + g_unregistered, 0) << "the scan pass calls nothing";

    const PassResult removal = Remove();
    EXPECT_EQ(g_registered, 1);
    EXPECT_EQ(g_unregistered, 1);
    EXPECT_EQ(Rows(report), (Table{Line("Register ", InScratch("good.dll")),
                                   Line("Unregister ", InScratch("good.dll")),
                                   Line("Error Unregister ", InScratch("register only.dll")),
                                   Line("Error Register ", InScratch("failing.dll")),
                                   Line("Register ", InScratch("positive.dll")),
                                   Line("Error Register ", InScratch("refusing.dll")),
                                   Line("Error Unregister ", InScratch("throwing.dll")),
                                   Line("Error Register ", InScratch("plain.dll"))}));
    EXPECT_EQ(report.ImageIndex(0), 9);
    EXPECT_EQ(report.ImageIndex(2), 7);
    EXPECT_TRUE(removal.hadErrors);
    EXPECT_EQ(Sim().modules().loadedCount(), 0u) << "every module is unloaded again";
}

TEST_F(ServerSim, ABareServerNameInTwoSearchFoldersFollowsItsFirstRow) {
    for (const char* folder : {"a", "b"}) {
        ASSERT_TRUE(P().CreateDirectoryA(InScratch(folder).c_str(), nullptr));
        Server(InScratch(folder) + "\\shared.dll", "good");
    }
    WriteScript(R"(
        description "bare server"
        owner "Pest"
        search-folder '{DIR}\a'
        search-folder '{DIR}\b'
        unregister server 'shared.dll'
    )");
    Scan();
    // The further match is listed first, by the nested call.
    EXPECT_EQ(Rows(server), (Table{{"UNRegister Server", "Pest", InScratch("b\\shared.dll"), "1"},
                                   {"UNRegister Server", "Pest", InScratch("a\\shared.dll"), "1"}}));
    server.SetChecked(0, false);
    Remove();
    EXPECT_EQ(g_unregistered, 0);
    EXPECT_EQ(Rows(report), (Table{{"Noting to do..."}}));

    server.SetChecked(0, true);
    server.SetChecked(1, false);
    Remove();
    EXPECT_EQ(g_unregistered, 2);
    EXPECT_EQ(Rows(report), (Table{Line("Unregister ", InScratch("b\\shared.dll")),
                                   Line("Unregister ", InScratch("a\\shared.dll"))}));
}

TEST_F(ServerSim, AServerAlreadyRegisteredIsListedAndRegisteredAgain) {
    Server(InScratch("good.dll"), "good");
    WriteScript("description \"again\"\nregister server '{DIR}\\good.dll'\n");
    for (int run = 1; run <= 2; ++run) {
        ScanAndRemove();
        EXPECT_EQ(server.RowCount(), 1);
        EXPECT_EQ(g_registered, run);
    }
}

}  // namespace qm::test
