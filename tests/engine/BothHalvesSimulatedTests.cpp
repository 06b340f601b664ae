// The two halves of a simulated 64-bit Windows 7, where the simulation's
// controls reach what Wine cannot run here: 32-bit COM servers registered by
// the 32-bit regsvr32, a process that PSAPI may not read, Program Files
// (x86), and a 32-bit program under WOW64, which sees one half only.
#include <string>
#include <vector>

#include "locations/InfoDirs.h"
#include "locations/Paths.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/StandardMachine.h"
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

class BothHalvesSim : public PassTest {
protected:
    void SetUp() override {
        PassTest::SetUp();
        Use64BitWindows(64);
        g_registered = g_unregistered = 0;
        Sim().modules().Define("server32").Bits(32).Export("DllRegisterServer", &CountRegister).Export(
            "DllUnregisterServer", &CountUnregister);
        Sim().modules().Define("failing32").Bits(32).Export("DllUnregisterServer", &Fail);
        Sim().modules().Define("server64").Bits(64).Export("DllUnregisterServer", &CountUnregister);
    }
    sim::SimPlatform& Sim() { return static_cast<sim::SimPlatform&>(P()); }
    void Use64BitWindows(int programBits) {
        sim::MakeWindows7x64(Sim().settings(), programBits);
        sim::InstallStandardMachine(Sim());
        InfoDir.ClearCache();
    }
    std::string Server(const std::string& path, const std::string& module) {
        ForceDirectories(ExtractFilePath(path));
        WriteFile(path, "MZ");
        Sim().modules().BindPath(path, module);
        return path;
    }
};

}  // namespace

TEST_F(BothHalvesSim, ThirtyTwoBitServersAreUnregisteredByTheThirtyTwoBitRegsvr32) {
    const std::string native = Server("C:\\Program Files\\Pest\\pestbar.dll", "server64");
    const std::string x86 = Server("C:\\Program Files (x86)\\Pest\\pestbar.dll", "server32");
    const std::string failing = Server("C:\\Windows\\SysWOW64\\pestfail.dll", "failing32");
    WriteScript(R"(
        description "servers"
        owner "Pest"
        unregister server '%programfiles%\Pest\pestbar.dll'
        unregister server '%system32%\pestfail.dll'
    )");
    Scan();
    EXPECT_EQ(Rows(server), (Table{{"UNRegister Server", "Pest", native, "1"},
                                  {"UNRegister Server", "Pest", x86, "1"},
                                  {"UNRegister Server", "Pest", failing, "2"}}));
    const PassResult removal = Remove();
    EXPECT_TRUE(removal.hadErrors);
    EXPECT_EQ(g_unregistered, 2) << "the 64-bit server loaded, the 32-bit one through regsvr32";
    EXPECT_EQ(Rows(report), (Table{{"Server ", "Unregister ", "C:\\Program Files\\Pest\\", "pestbar.dll"},
                                  {"Server ", "Unregister ", "C:\\Program Files (x86)\\Pest\\", "pestbar.dll"},
                                  {"Server ", "Error Unregister ", "C:\\Windows\\SysWOW64\\", "pestfail.dll"}}));
}

TEST_F(BothHalvesSim, AProcessThatPsapiMayNotReadIsFoundByItsImageNameAndStopped) {
    const std::string program = "C:\\Program Files (x86)\\Pest\\pest.exe";
    ForceDirectories(ExtractFilePath(program));
    WriteFile(program, "MZ");
    const DWORD id = Sim().StartProcess(program);
    sim::SimProcess* running = Sim().processes().Find(id);
    running->bits = 32;
    running->refuseRead = true;  // PSAPI may not read it; its image name is still known
    WriteScript(R"(
        description "process"
        delete file '%programfiles%\Pest\pest.exe'
    )");
    Scan();
    EXPECT_EQ(Rows(process), (Table{{"Runing Process", "", program, "2"}}));
    Remove();
    EXPECT_EQ(Sim().processes().Find(id), nullptr);
    EXPECT_FALSE(FileExists(program));
}

TEST_F(BothHalvesSim, AThirtyTwoBitProgramUnderWow64SeesOneHalfUnmarked) {
    Use64BitWindows(32);
    HKEY key = 0;
    ASSERT_EQ(P().RegCreateKeyExA(HKLM, "Software\\Pest", 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                                  &key, nullptr),
              ERROR_SUCCESS);
    P().RegCloseKey(key);
    ASSERT_EQ(P().RegCreateKeyExA(HKLM, "Software\\Pest32", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    P().RegCloseKey(key);
    WriteScript(R"(
        description "32-bit program"
        delete key 'HKLM\Software\Pest'
        delete key 'HKLM\Software\Pest32'
    )");
    Scan();
    // Its own view is the 32-bit one; the 64-bit key is out of its sight.
    EXPECT_EQ(Rows(registry), (Table{{"Delete regsitry Key", "", "HKLM\\Software\\Pest32", "", "KEY", "2"}}));
    EXPECT_TRUE(Sim().registry().KeyExists("HKLM\\Software\\Wow6432Node\\Pest32"));
    Remove();
    EXPECT_FALSE(Sim().registry().KeyExists("HKLM\\Software\\Wow6432Node\\Pest32"));
    EXPECT_TRUE(Sim().registry().KeyExists("HKLM\\Software\\Pest"));
}

}  // namespace qm::test
