// The fixture of the backend contract suite. The same tests run against the
// simulated machine on Linux and against the real Win32 backend under Wine
// (or Windows): each test gets the platform, an empty scratch folder and an
// empty scratch registry key, and leaves nothing behind.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "tests/support/UseMachine.h"

namespace qm::test {

// What a backend provides to the fixture (one implementation per backend).
class ContractBackend {
public:
    virtual ~ContractBackend() = default;
    virtual Platform& platform() = 0;
    // A folder (no trailing backslash) in which the test may create anything.
    virtual std::string ScratchRoot() = 0;
    // True on the simulated machine, where tests may use the simulation's controls.
    virtual bool IsSimulated() const = 0;
    // True under Wine, whose behaviour differs from Windows in a few places.
    virtual bool IsWine() const = 0;

    // ---- What each backend does its own way ----
    // Makes this test program show among the running processes, started
    // from ownPath (Windows runs it already; the simulated machine runs
    // nothing until told).
    virtual void ShowOwnProcess(const std::string& ownPath) = 0;
    // Starts a program file with these arguments as a child of this test
    // program and gives its process id (0 when it could not be started).
    virtual DWORD StartProgram(const std::string& path, const std::string& arguments) = 0;
    // A module that can be loaded, with the name of a function it exports;
    // the backend may put what it needs into the folder given.
    struct LoadableModule {
        std::string path;
        std::string exportName;
    };
    virtual LoadableModule ExistingModule(const std::string& scratchFolder) = 0;
    // Makes the machine a 64-bit Windows running this (64-bit) test program,
    // where the backend can; false where it cannot (a 32-bit Windows).
    virtual bool Use64BitWindows() = 0;
    // Gives the machine what any installed Windows has (its special folders,
    // their registry values, the system's files); Windows has them already.
    virtual void UseStandardWindows() = 0;
    // A program file and the arguments that make it end at once with this
    // exit code; the backend may put what it needs into the folder given.
    struct ProgramRun {
        std::string path;
        std::string arguments;
    };
    virtual ProgramRun ProgramThatExitsWith(DWORD exitCode, const std::string& scratchFolder) = 0;
};
std::unique_ptr<ContractBackend> MakeContractBackend();

class Contract : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Platform& P() { return backend_->platform(); }
    bool IsSimulated() const { return backend_->IsSimulated(); }
    bool IsWine() const { return backend_->IsWine(); }
    ContractBackend& backend() { return *backend_; }

    // An empty folder for this test, full Windows path without trailing backslash.
    const std::string& Scratch() const { return scratch_; }
    std::string InScratch(std::string_view name) const { return scratch_ + "\\" + std::string(name); }
    // "Software\QuellmarContract\<test>": an empty key under HKEY_CURRENT_USER.
    const std::string& ScratchKey() const { return scratchKey_; }
    // The same path under HKEY_LOCAL_MACHINE, where 64-bit Windows keeps a
    // key for each registry view; removed from both before and after the test.
    const std::string& MachineScratchKey();
    static std::string TestName() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        return std::string(info->test_suite_name()) + "." + info->name();
    }
    // Every registry view's access flag: the program's own (0), the 64-bit and the 32-bit one.
    static void ForEachView(const std::function<void(REGSAM)>& action);
    void DeleteKeyTree(HKEY root, const std::string& subKey, REGSAM view = 0);

    // Small file helpers through the platform under test.
    void WriteFile(const std::string& path, std::string_view bytes);
    std::string ReadFile(const std::string& path);
    bool FileExists(const std::string& path);

private:
    void DeleteTree(const std::string& path);

    std::unique_ptr<ContractBackend> backend_;
    std::unique_ptr<UseMachine> machineInUse_;
    std::string scratch_;
    std::string scratchKey_;
    std::string machineScratchKey_;
};

}  // namespace qm::test
