// The simulated machine's modules: defined by tests, found by path or by
// content, loaded with reference counts, their exports really called.
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace qm::sim {

namespace {

int g_registrations = 0;
HRESULT QM_STDCALL CountingRegisterServer() {
    ++g_registrations;
    return 0;
}
HRESULT QM_STDCALL FailingUnregisterServer() { return static_cast<HRESULT>(0x80004005); }

class ModuleSimulation : public ::testing::Test {
protected:
    void SetUp() override {
        g_registrations = 0;
        ASSERT_TRUE(machine.CreateDirectoryA("C:\\Mods", nullptr)) << machine.GetLastError();
        machine.modules()
            .Define("server")
            .Export("DllRegisterServer", &CountingRegisterServer)
            .Export("DllUnregisterServer", &FailingUnregisterServer);
    }

    void Write(const std::string& path, std::string_view bytes) {
        const HANDLE file = machine.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, 0);
        ASSERT_NE(file, kInvalidHandle) << path << " " << machine.GetLastError();
        DWORD written = 0;
        EXPECT_TRUE(machine.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        machine.CloseHandle(file);
    }

    SimPlatform machine;
};

}  // namespace

TEST_F(ModuleSimulation, ModuleByContent_LoadsUnderAnyNameAndItsExportsRun) {
    // As a script's module is extracted: a random name in a temporary folder.
    Write("C:\\Mods\\~qm1234.tmp", ModuleTable::ContentHeader("server") + "\x01\x02 the rest");
    const HMODULE module = machine.LoadLibraryA("C:\\Mods\\~qm1234.tmp");
    ASSERT_NE(module, HMODULE{0}) << machine.GetLastError();

    auto registerServer = reinterpret_cast<HRESULT(QM_STDCALL*)()>(
        machine.GetProcAddress(module, "DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_EQ(registerServer(), 0);
    EXPECT_EQ(g_registrations, 1);
    auto unregisterServer = reinterpret_cast<HRESULT(QM_STDCALL*)()>(
        machine.GetProcAddress(module, "DllUnregisterServer"));
    ASSERT_NE(unregisterServer, nullptr);
    EXPECT_LT(unregisterServer(), 0);

    // Export names are exact.
    EXPECT_EQ(machine.GetProcAddress(module, "dllregisterserver"), nullptr);
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    char path[MAX_PATH];
    const DWORD length = machine.GetModuleFileNameA(module, path, sizeof path);
    EXPECT_STREQ(path, "C:\\Mods\\~qm1234.tmp");
    EXPECT_EQ(length, std::string_view(path).size());
    EXPECT_TRUE(machine.FreeLibrary(module));
}

TEST_F(ModuleSimulation, ModuleByPath_NeedsItsFileOnTheDisk) {
    machine.modules().BindPath("C:\\Mods\\bound.dll", "server");
    EXPECT_EQ(machine.LoadLibraryA("C:\\Mods\\bound.dll"), HMODULE{0});
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    Write("C:\\Mods\\bound.dll", "MZ any bytes at all");
    const HMODULE module = machine.LoadLibraryA("c:/mods/BOUND.DLL");
    ASSERT_NE(module, HMODULE{0}) << machine.GetLastError();
    EXPECT_NE(machine.GetProcAddress(module, "DllRegisterServer"), nullptr);
    EXPECT_TRUE(machine.modules().IsFileLoaded("C:\\Mods\\bound.dll"));
    EXPECT_TRUE(machine.FreeLibrary(module));
}

TEST_F(ModuleSimulation, FilesThatAreNoDefinedModule_FailWithBadExeFormat) {
    for (const std::string& content : {std::string("MZ\x90 a real-looking header"),
                                       ModuleTable::ContentHeader("undefined"),
                                       std::string("QMSIMDLL:server"), std::string()}) {
        SCOPED_TRACE(content);
        Write("C:\\Mods\\other.dll", content);
        EXPECT_EQ(machine.LoadLibraryA("C:\\Mods\\other.dll"), HMODULE{0});
        EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
    }
}

TEST_F(ModuleSimulation, ReferenceCounting_UnloadsAtTheLastFree) {
    Write("C:\\Mods\\server.dll", ModuleTable::ContentHeader("server"));
    const HMODULE first = machine.LoadLibraryA("C:\\Mods\\server.dll");
    const HMODULE second = machine.LoadLibraryA("C:\\MODS\\Server.dll");
    ASSERT_NE(first, HMODULE{0});
    EXPECT_EQ(second, first);
    EXPECT_EQ(machine.modules().References("server"), 2u);

    EXPECT_TRUE(machine.FreeLibrary(first));
    EXPECT_NE(machine.GetProcAddress(first, "DllRegisterServer"), nullptr);
    EXPECT_TRUE(machine.FreeLibrary(first));
    EXPECT_EQ(machine.modules().loadedCount(), 0u);

    EXPECT_FALSE(machine.FreeLibrary(first));
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(machine.GetProcAddress(first, "DllRegisterServer"), nullptr);
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(ModuleSimulation, LoadHook_RunsAtEachMappingAndMayRefuse) {
    int starts = 0;
    bool accept = true;
    machine.modules().Define("hooked").OnLoad([&] {
        ++starts;
        return accept;
    });
    Write("C:\\Mods\\hooked.dll", ModuleTable::ContentHeader("hooked"));

    const HMODULE module = machine.LoadLibraryA("C:\\Mods\\hooked.dll");
    ASSERT_NE(module, HMODULE{0});
    EXPECT_EQ(machine.LoadLibraryA("C:\\Mods\\hooked.dll"), module);
    EXPECT_EQ(starts, 1);  // a second load only counts
    machine.FreeLibrary(module);
    machine.FreeLibrary(module);

    accept = false;
    EXPECT_EQ(machine.LoadLibraryA("C:\\Mods\\hooked.dll"), HMODULE{0});
    EXPECT_EQ(machine.GetLastError(), ERROR_DLL_INIT_FAILED);
    EXPECT_EQ(starts, 2);
    EXPECT_EQ(machine.modules().loadedCount(), 0u);
}

TEST_F(ModuleSimulation, BareName_IsLookedUpInTheSystemFolderWithDllAdded) {
    ASSERT_TRUE(machine.CreateDirectoryA("C:\\WINDOWS", nullptr));
    ASSERT_TRUE(machine.CreateDirectoryA("C:\\WINDOWS\\system32", nullptr));
    Write("C:\\WINDOWS\\system32\\helper.dll", ModuleTable::ContentHeader("server"));

    const HMODULE module = machine.LoadLibraryA("helper");
    ASSERT_NE(module, HMODULE{0}) << machine.GetLastError();
    char path[MAX_PATH];
    machine.GetModuleFileNameA(module, path, sizeof path);
    EXPECT_STREQ(path, "C:\\WINDOWS\\system32\\helper.dll");
    machine.FreeLibrary(module);

    EXPECT_EQ(machine.LoadLibraryA("nowhere.dll"), HMODULE{0});
    EXPECT_EQ(machine.GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(ModuleTableContent, NameFromContent_ReadsTheHeaderLineOnly) {
    EXPECT_EQ(ModuleTable::NameFromContent("QMSIMDLL:pest\nMZ..."), "pest");
    EXPECT_EQ(ModuleTable::NameFromContent(ModuleTable::ContentHeader("a b")), "a b");
    EXPECT_FALSE(ModuleTable::NameFromContent("QMSIMDLL:\n"));
    EXPECT_FALSE(ModuleTable::NameFromContent("QMSIMDLL:unterminated"));
    EXPECT_FALSE(ModuleTable::NameFromContent("xQMSIMDLL:pest\n"));
}

}  // namespace qm::sim
