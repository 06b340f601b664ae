// Loading modules and finding their exports, as the server registration and
// the module hook use them.
#include <string>

#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

class ModuleLoadingContract : public Contract {
protected:
    // A module of the backend's that can be loaded, and its export.
    std::string ExistingModule() {
        const auto module = backend().ExistingModule(Scratch());
        existingExport_ = module.exportName;
        return module.path;
    }
    const char* ExistingExport() const { return existingExport_.c_str(); }

private:
    std::string existingExport_;
};

}  // namespace

TEST_F(ModuleLoadingContract, LoadLibraryA_MissingFile_FailsWithModNotFound) {
    P().SetLastError(0);
    EXPECT_EQ(P().LoadLibraryA(InScratch("missing.dll").c_str()), HMODULE{0});
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(ModuleLoadingContract, LoadLibraryA_FileThatIsNoModule_FailsWithBadExeFormat) {
    const std::string path = InScratch("text.dll");
    WriteFile(path, "This is a text file, not a module.\r\n");
    P().SetLastError(0);
    EXPECT_EQ(P().LoadLibraryA(path.c_str()), HMODULE{0});
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

TEST_F(ModuleLoadingContract, GetProcAddress_FindsExportsByNameAndFailsForMissingOnes) {
    const std::string path = ExistingModule();
    const HMODULE module = P().LoadLibraryA(path.c_str());
    ASSERT_NE(module, HMODULE{0}) << P().GetLastError();

    EXPECT_NE(P().GetProcAddress(module, ExistingExport()), nullptr);
    P().SetLastError(0);
    EXPECT_EQ(P().GetProcAddress(module, "QuellmarNoSuchExport"), nullptr);
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(P().FreeLibrary(module));
}

TEST_F(ModuleLoadingContract, LoadLibraryA_Twice_GivesTheSameModuleToFreeTwice) {
    const std::string path = ExistingModule();
    const HMODULE first = P().LoadLibraryA(path.c_str());
    const HMODULE second = P().LoadLibraryA(path.c_str());
    ASSERT_NE(first, HMODULE{0});
    EXPECT_EQ(second, first);
    EXPECT_TRUE(P().FreeLibrary(second));
    // Still loaded after the first release.
    EXPECT_NE(P().GetProcAddress(first, ExistingExport()), nullptr);
    EXPECT_TRUE(P().FreeLibrary(first));
}

TEST_F(ModuleLoadingContract, GetProcAddress_OfNoLoadedModule_FailsWithModNotFound) {
    P().SetLastError(0);
    EXPECT_EQ(P().GetProcAddress(HMODULE{0xDEADBEEF}, "DllRegisterServer"), nullptr);
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    // No module at all means the program itself, which exports nothing.
    P().SetLastError(0);
    EXPECT_EQ(P().GetProcAddress(0, "QuellmarNoSuchExport"), nullptr);
    EXPECT_EQ(P().GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

}  // namespace qm::test
