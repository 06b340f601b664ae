// The contract suite's backend on Windows: the real system, with the scratch
// folder inside the temporary folder of the (throw-away) Wine prefix.
#include "platform/win32/Win32Platform.h"
#include "tests/support/ContractFixture.h"

#include <windows.h>

namespace qm::test {

namespace {

class Win32Backend : public ContractBackend {
public:
    Platform& platform() override { return platform_; }
    std::string ScratchRoot() override {
        char temp[MAX_PATH + 1] = {};
        ::GetTempPathA(sizeof temp, temp);
        std::string root = std::string(temp) + "quellmar-contract";
        ::CreateDirectoryA(root.c_str(), nullptr);
        return root;
    }
    bool IsSimulated() const override { return false; }
    bool IsWine() const override {
        ::HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
        return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }

    void ShowOwnProcess(const std::string&) override {}  // this program runs already
    qm::DWORD StartProgram(const std::string& path, const std::string& arguments) override {
        std::string commandLine = "\"" + path + "\" " + arguments;
        ::STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ::PROCESS_INFORMATION started{};
        if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                              nullptr, &startup, &started))
            return 0;
        ::CloseHandle(started.hThread);
        ::CloseHandle(started.hProcess);
        return started.dwProcessId;
    }
    LoadableModule ExistingModule(const std::string&) override { return {"kernel32.dll", "GetVersion"}; }
    void UseStandardWindows() override {}
    bool Use64BitWindows() override {
        ::SYSTEM_INFO info{};
        ::GetNativeSystemInfo(&info);
        return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
               info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
    }
    ProgramRun ProgramThatExitsWith(DWORD exitCode, const std::string&) override {
        char system[MAX_PATH + 1] = {};
        ::GetSystemDirectoryA(system, sizeof system);
        return {std::string(system) + "\\cmd.exe", "/c exit " + std::to_string(exitCode)};
    }

private:
    win32::Win32Platform platform_;
};

}  // namespace

std::unique_ptr<ContractBackend> MakeContractBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace qm::test
